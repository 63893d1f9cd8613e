#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "common/editor_state.h"
#include "serial/serial_link.h"

namespace pelorus {

// The receiver's five on-screen colours.
using ColourTable = std::array<uint32_t, 5>;
inline constexpr size_t kColourFileSize = 40;  // five "%08X" values, no separators

// Five consecutive 8-character chunks of hexadecimal digits (either case), one value each. No
// value unless the bytes are 40 such digits (blanks and line ends may follow): anything else is
// not a colour file, and is never taken as colours of zero.
std::optional<ColourTable> ParseColourText(std::span<const uint8_t> text);
std::string FormatColourFile(const ColourTable& colours);

// "/CU NAME": everything after the first blank is the file name; empty when there is none.
std::string ColourUploadFile(std::string_view commandLine);

// "/CD NAME HANDLE": the name runs to the next blank (at most 260 characters), the handle word
// to the one after (at most 100).
struct ColourDownloadRequest {
  bool hasLine = false;
  std::string file;
  bool fileTooLong = false;  // the name had more than 260 characters: `file` is cut, not usable
  std::string handleWord;
  uintptr_t handle = 0;  // the handle word read as hexadecimal
};
ColourDownloadRequest ParseColourDownloadLine(std::string_view commandLine);

// Command 40047 "Colori &Al d-box": sends the colour file named on the command line
// (`state.commandLineFile`) to the receiver through "color.sbr" from `programFolder`.
bool UploadColours(EditorState& state, SerialLink& link, const std::string& programFolder);

// Command 40048 "Colori &Dal d-box": reads the receiver's colours into the file named on the
// command line. Returns the caller's window handle, 0 on any failure.
uintptr_t DownloadColours(EditorState& state, SerialLink& link, const std::string& programFolder);

// Tells the colour-editing program that its file is ready. A window message where there are
// windows to post to; nothing here.
void NotifyColourProgram(uintptr_t handle);

}  // namespace pelorus
