#include "channels/record_name_letters.h"

#include <array>
#include <cstddef>

namespace pelorus {
namespace {

// Latin Extended-A, U+0100 to U+017F: every letter is a Latin letter with an accent, except the
// two ligatures.
constexpr std::array<const char*, 128> kLatinExtendedA = {
    "A", "a", "A",  "a",  "A", "a", "C", "c", "C", "c", "C", "c", "C", "c", "D", "d",  // 0100
    "D", "d", "E",  "e",  "E", "e", "E", "e", "E", "e", "E", "e", "G", "g", "G", "g",  // 0110
    "G", "g", "G",  "g",  "H", "h", "H", "h", "I", "i", "I", "i", "I", "i", "I", "i",  // 0120
    "I", "i", "IJ", "ij", "J", "j", "K", "k", "k", "L", "l", "L", "l", "L", "l", "L",  // 0130
    "l", "L", "l",  "N",  "n", "N", "n", "N", "n", "n", "N", "n", "O", "o", "O", "o",  // 0140
    "O", "o", "OE", "oe", "R", "r", "R", "r", "R", "r", "S", "s", "S", "s", "S", "s",  // 0150
    "S", "s", "T",  "t",  "T", "t", "T", "t", "U", "u", "U", "u", "U", "u", "U", "u",  // 0160
    "U", "u", "U",  "u",  "W", "w", "Y", "y", "Y", "Z", "z", "Z", "z", "Z", "z", "s",  // 0170
};

// Cyrillic, U+0400 to U+045F, in the usual romanisation of channel names. The hard and soft signs
// are left out.
constexpr std::array<const char*, 96> kCyrillic = {
    "E", "YO", "DJ", "G", "YE", "DZ", "I",  "YI", "J",  "LJ",   "NJ", "C", "K", "I", "U",  "DZ",
    "A", "B",  "V",  "G", "D",  "E",  "ZH", "Z",  "I",  "Y",    "K",  "L", "M", "N", "O",  "P",
    "R", "S",  "T",  "U", "F",  "KH", "TS", "CH", "SH", "SHCH", "",   "Y", "",  "E", "YU", "YA",
    "a", "b",  "v",  "g", "d",  "e",  "zh", "z",  "i",  "y",    "k",  "l", "m", "n", "o",  "p",
    "r", "s",  "t",  "u", "f",  "kh", "ts", "ch", "sh", "shch", "",   "y", "",  "e", "yu", "ya",
    "e", "yo", "dj", "g", "ye", "dz", "i",  "yi", "j",  "lj",   "nj", "c", "k", "i", "u",  "dz",
};

// Greek capitals U+0391 to U+03A9 (U+03A2 is not a character); the small letters U+03B1 to U+03C9
// are the same letters in small type, with the final sigma at U+03C2.
constexpr std::array<const char*, 25> kGreekCapitals = {
    "A", "V", "G", "D", "E",     "Z", "I", "TH", "I", "K",  "L",  "M", "N",
    "X", "O", "P", "R", nullptr, "S", "T", "Y",  "F", "CH", "PS", "O",
};
constexpr std::array<const char*, 25> kGreekSmall = {
    "a", "v", "g", "d", "e", "z", "i", "th", "i", "k",  "l",  "m", "n",
    "x", "o", "p", "r", "s", "s", "t", "y",  "f", "ch", "ps", "o",
};

// The Vietnamese letters of Latin Extended Additional, U+1EA0 to U+1EF9: capital and small in
// turn, by base letter.
const char* VietnameseLetter(char32_t c) {
  struct Run {
    char32_t last;
    const char* capital;
    const char* small;
  };
  static constexpr std::array<Run, 6> kRuns = {{{0x1EB7, "A", "a"},
                                                {0x1EC7, "E", "e"},
                                                {0x1ECB, "I", "i"},
                                                {0x1EE3, "O", "o"},
                                                {0x1EF1, "U", "u"},
                                                {0x1EF9, "Y", "y"}}};
  for (const Run& run : kRuns) {
    if (c <= run.last) return (c - 0x1EA0) % 2 == 0 ? run.capital : run.small;
  }
  return nullptr;
}

// Greek letters with a tonos or dialytika, which romanise as their plain letters.
const char* GreekAccented(char32_t c) {
  switch (c) {
    case 0x0386:
      return "A";
    case 0x0388:
      return "E";
    case 0x0389:
    case 0x038A:
    case 0x03AA:
      return "I";
    case 0x038C:
    case 0x038F:
      return "O";
    case 0x038E:
    case 0x03AB:
      return "Y";
    case 0x03AC:
      return "a";
    case 0x03AD:
      return "e";
    case 0x03AE:
    case 0x03AF:
    case 0x0390:
    case 0x03CA:
      return "i";
    case 0x03CC:
    case 0x03CE:
      return "o";
    case 0x03CD:
    case 0x03B0:
    case 0x03CB:
      return "y";
    default:
      return nullptr;
  }
}

// Latin Extended-B: the letters seen in European and African names.
const char* LatinExtendedB(char32_t c) {
  switch (c) {
    case 0x0180:
      return "b";
    case 0x0181:
      return "B";
    case 0x0186:
    case 0x019F:
    case 0x01A0:
    case 0x01D1:
      return "O";
    case 0x0189:
      return "D";
    case 0x018E:
    case 0x018F:
      return "E";
    case 0x0192:
      return "f";
    case 0x0197:
    case 0x01CF:
      return "I";
    case 0x01A1:
    case 0x01D2:
      return "o";
    case 0x01AF:
    case 0x01D3:
    case 0x01D5:
    case 0x01D7:
    case 0x01D9:
    case 0x01DB:
      return "U";
    case 0x01B0:
    case 0x01D4:
    case 0x01D6:
    case 0x01D8:
    case 0x01DA:
    case 0x01DC:
      return "u";
    case 0x01B5:
      return "Z";
    case 0x01B6:
      return "z";
    case 0x01C4:
      return "DZ";
    case 0x01C5:
      return "Dz";
    case 0x01C6:
      return "dz";
    case 0x01C7:
      return "LJ";
    case 0x01C8:
      return "Lj";
    case 0x01C9:
      return "lj";
    case 0x01CA:
      return "NJ";
    case 0x01CB:
      return "Nj";
    case 0x01CC:
      return "nj";
    case 0x01CD:
    case 0x01DE:
    case 0x01E0:
      return "A";
    case 0x01CE:
    case 0x01DF:
    case 0x01E1:
      return "a";
    case 0x01DD:
      return "e";
    case 0x01E2:
      return "AE";
    case 0x01E3:
      return "ae";
    case 0x0218:
      return "S";
    case 0x0219:
      return "s";
    case 0x021A:
      return "T";
    case 0x021B:
      return "t";
    default:
      return nullptr;
  }
}

// Punctuation, blanks and signs of general use.
const char* Punctuation(char32_t c) {
  if (c >= 0x2000 && c <= 0x200A) return " ";
  if (c >= 0x200B && c <= 0x200F) return "";  // zero-width characters and direction marks
  if (c >= 0x2010 && c <= 0x2015) return "-";
  if (c >= 0x2018 && c <= 0x201B) return "'";
  if (c >= 0x201C && c <= 0x201F) return "\"";
  switch (c) {
    case 0x2022:
      return "*";
    case 0x2026:
      return "...";
    case 0x202F:
    case 0x205F:
    case 0x3000:
      return " ";
    case 0x2032:
      return "'";
    case 0x2033:
      return "\"";
    case 0x2060:
    case 0xFEFF:
      return "";
    case 0x20AC:
      return "EUR";
    case 0x2116:
      return "No";
    case 0x2122:
      return "TM";
    case 0x2212:
      return "-";
    default:
      return nullptr;
  }
}

// The printable ASCII characters one by one, for the full-width forms U+FF01 to U+FF5E.
struct OneCharacter {
  char text[2];
};
constexpr std::array<OneCharacter, 94> PrintableAscii() {
  std::array<OneCharacter, 94> table{};
  for (size_t i = 0; i < table.size(); ++i) table[i].text[0] = static_cast<char>('!' + i);
  return table;
}
constexpr std::array<OneCharacter, 94> kPrintableAscii = PrintableAscii();

}  // namespace

const char* ClosestLatinLetters(char32_t c) {
  if (c >= 0x0100 && c <= 0x017F) return kLatinExtendedA[c - 0x0100];
  if (c >= 0x0180 && c <= 0x024F) return LatinExtendedB(c);
  if (c == 0x0259) return "e";
  if (c >= 0x0391 && c <= 0x03A9) return kGreekCapitals[c - 0x0391];
  if (c >= 0x03B1 && c <= 0x03C9) return kGreekSmall[c - 0x03B1];
  if (c >= 0x0386 && c <= 0x03CE) return GreekAccented(c);
  if (c >= 0x0400 && c <= 0x045F) return kCyrillic[c - 0x0400];
  if (c == 0x0490) return "G";
  if (c == 0x0491) return "g";
  if (c >= 0x1EA0 && c <= 0x1EF9) return VietnameseLetter(c);
  if (c >= 0xFF01 && c <= 0xFF5E) return kPrintableAscii[c - 0xFF01].text;
  return Punctuation(c);
}

unsigned char ComposeWithAccent(unsigned char base, char32_t accent) {
  struct Pair {
    char32_t accent;
    const char* bases;        // the ASCII letters that take the accent
    const unsigned char* to;  // their Latin-1 characters, in the same order
  };
  static constexpr unsigned char kGrave[] = {0xC0, 0xC8, 0xCC, 0xD2, 0xD9,
                                             0xE0, 0xE8, 0xEC, 0xF2, 0xF9};
  static constexpr unsigned char kAcute[] = {0xC1, 0xC9, 0xCD, 0xD3, 0xDA, 0xDD,
                                             0xE1, 0xE9, 0xED, 0xF3, 0xFA, 0xFD};
  static constexpr unsigned char kCircumflex[] = {0xC2, 0xCA, 0xCE, 0xD4, 0xDB,
                                                  0xE2, 0xEA, 0xEE, 0xF4, 0xFB};
  static constexpr unsigned char kTilde[] = {0xC3, 0xD1, 0xD5, 0xE3, 0xF1, 0xF5};
  static constexpr unsigned char kDiaeresis[] = {0xC4, 0xCB, 0xCF, 0xD6, 0xDC, 0xE4,
                                                 0xEB, 0xEF, 0xF6, 0xFC, 0xFF};
  static constexpr unsigned char kRing[] = {0xC5, 0xE5};
  static constexpr unsigned char kCedilla[] = {0xC7, 0xE7};
  static constexpr std::array<Pair, 7> kPairs = {{{0x0300, "AEIOUaeiou", kGrave},
                                                  {0x0301, "AEIOUYaeiouy", kAcute},
                                                  {0x0302, "AEIOUaeiou", kCircumflex},
                                                  {0x0303, "ANOano", kTilde},
                                                  {0x0308, "AEIOUaeiouy", kDiaeresis},
                                                  {0x030A, "Aa", kRing},
                                                  {0x0327, "Cc", kCedilla}}};
  for (const Pair& pair : kPairs) {
    if (pair.accent != accent) continue;
    for (size_t i = 0; pair.bases[i] != '\0'; ++i) {
      if (static_cast<unsigned char>(pair.bases[i]) == base) return pair.to[i];
    }
    return 0;
  }
  return 0;
}

}  // namespace pelorus
