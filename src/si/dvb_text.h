#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace pelorus {

// What becomes of the control codes of a broadcast text (0x80-0x9F in the one-byte tables,
// U+E080-U+E09F in the others): the line break (0x8A) is always a newline and the codes
// without a meaning are always dropped.
enum class DvbTextControls {
  kShown,  // for the screen and for files: emphasis on and off (0x86, 0x87) are dropped too
  kKept,   // emphasis on and off stay, as U+0086 and U+0087, for a text converted once more
};

// A text of the broadcast tables in UTF-8. Its first byte may select a character table:
// 0x01-0x0B ISO 8859-5 to 8859-15, 0x10 0x00 nn ISO 8859-nn, 0x11 UCS-2, 0x12 KS X 1001,
// 0x13 GB 2312, 0x14 the Big5 subset of ISO/IEC 10646 (in UCS-2), 0x15 UTF-8. Without one the
// default table applies: ISO/IEC 6937 with the euro sign at 0xA4. Two-byte texts are decoded
// code unit by code unit, so one bad character costs one replacement and what follows stays in
// step; bytes no table knows, and the texts of tables not defined, become U+FFFD.
std::string DecodeDvbText(std::span<const uint8_t> text,
                          DvbTextControls controls = DvbTextControls::kShown);
std::string DecodeDvbText(std::string_view text,
                          DvbTextControls controls = DvbTextControls::kShown);

// Joins the text parts of several descriptors (the extended event descriptors of one event)
// into one text: a part that repeats the first part's table selector loses it, so that the
// whole decodes in one table even where a character is split between two parts.
void AppendTextPart(std::string& joined, std::string_view part);

// The length of the UTF-8 sequence at `at` and its code point; 0 when it is not a valid one.
size_t NextCodePoint(std::string_view text, size_t at, uint32_t& codePoint);
// Appends the UTF-8 form of a code point.
void AppendUtf8(std::string& out, uint32_t codePoint);

}  // namespace pelorus
