#pragma once

namespace pelorus {

// The ASCII letters that stand for a character outside Latin-1 in a record name: "L" for "Ł",
// "OE" for "Œ", "ZH" for "Ж" (capital letters spell out in capitals), "" for a character that is
// best left out (a zero-width space, a Cyrillic soft sign), null when there is none.
const char* ClosestLatinLetters(char32_t c);

// The Latin-1 character that a Latin-1 letter and a combining accent (U+0300 to U+036F) make
// together ("e" and U+0301 give "é"), or 0 when Latin-1 has no such character.
unsigned char ComposeWithAccent(unsigned char base, char32_t accent);

}  // namespace pelorus
