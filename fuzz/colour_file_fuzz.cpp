// The colour file and the receiver's colour answer, and the /CU and /CD command lines.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "serial/colour_transfer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> bytes(data, size);
  if (const auto colours = pelorus::ParseColourText(bytes)) {
    // Only 40 hexadecimal digits are colours: written back, they are the same digits.
    const std::string text = pelorus::FormatColourFile(*colours);
    if (text.size() != pelorus::kColourFileSize) __builtin_trap();
    for (size_t i = 0; i < text.size(); ++i) {
      if (std::toupper(data[i]) != text[i]) __builtin_trap();
    }
  }
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  pelorus::ColourUploadFile(line);
  const auto request = pelorus::ParseColourDownloadLine(line);
  if (request.file.size() > 260 || request.handleWord.size() > 100) __builtin_trap();
  return 0;
}
