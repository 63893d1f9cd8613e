// The number fields of the memory dialog take any text the user types.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "scsi/number_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const size_t half = size / 2;
  const pelorus::MemoryRange range =
      pelorus::ParseRangeFields(text.substr(0, half), text.substr(half));
  // A range the dump would accept never reaches past the 32-bit address space.
  if (range.Valid() && uint64_t(uint32_t(range.address)) + uint32_t(range.length) > (1ull << 32)) {
    std::abort();
  }
  (void)pelorus::ParseNumberText(text);
  return 0;
}
