#pragma once

#include <string>
#include <string_view>

#include "receiver/channel_record.h"

namespace pelorus {

// Names that come from outside the receiver (other receivers' lists, broadcast tables) turned into
// the record's 8-bit name text:
// - characters of Latin-1 are kept as their byte;
// - the emphasis codes U+0086 and U+0087 become the bytes 0x86 and 0x87;
// - other letters become their closest Latin letters: accents are stripped ("Ł" gives "L"),
//   ligatures spelt out ("Œ" gives "OE"), Greek and Cyrillic transliterated ("Ж" gives "Zh"),
//   and a letter followed by a combining accent is composed where Latin-1 has the pair ("e"
//   and U+0301 give "é");
// - anything else becomes "?";
// - control characters are dropped (a tab is a blank), and blanks at either end trimmed;
// - the result is at most 24 bytes, cut before the first character that would not fit whole.
std::string RecordNameFromUnicode(std::u32string_view text);

// The same for UTF-8 bytes; bytes that are not valid UTF-8 are read as Latin-1, all of them.
std::string RecordNameFromUtf8(std::string_view bytes);
// The same for bytes known to be Latin-1 (a file that is not valid UTF-8).
std::string RecordNameFromLatin1(std::string_view bytes);

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view bytes);
// The code points of UTF-8 bytes, or of the bytes as Latin-1 when they are not valid UTF-8.
std::u32string DecodeUtf8OrLatin1(std::string_view bytes);
std::u32string DecodeLatin1(std::string_view bytes);

// Puts record name text (as made above) into the name field as it is, zero-filled; the brackets
// of the display text are not involved.
void StoreRecordName(ChannelRecord& record, std::string_view recordText);

// The name field as UTF-8 for files that other programs read: each byte is a Latin-1 character
// (the emphasis codes U+0086 and U+0087 included), up to the first zero byte, trailing blanks
// dropped. RecordNameFromUtf8 gives the same bytes back.
std::string RecordNameToUtf8(const ChannelRecord& record);

}  // namespace pelorus
