#include "channels/record_name_text.h"

#include <algorithm>
#include <cstring>

#include "channels/record_name_letters.h"

namespace pelorus {
namespace {

constexpr char32_t kEmphasisOnCode = 0x86;
constexpr char32_t kEmphasisOffCode = 0x87;
constexpr char32_t kDvbLineBreak = 0x8A;  // the broadcast tables' CR/LF inside a name

bool IsAsciiLetter(char32_t c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsUpper(char32_t c) {
  if (c >= 'A' && c <= 'Z') return true;
  if (c >= 0x0391 && c <= 0x03A9) return true;  // Greek capitals
  if (c >= 0x0400 && c <= 0x042F) return true;  // Cyrillic capitals
  if (c >= 0x00C0 && c <= 0x00DE && c != 0x00D7) return true;
  return false;
}
bool IsLower(char32_t c) {
  if (c >= 'a' && c <= 'z') return true;
  if (c >= 0x03B1 && c <= 0x03C9) return true;
  if (c >= 0x0430 && c <= 0x045F) return true;
  if (c >= 0x00DF && c <= 0x00FF && c != 0x00F7) return true;
  return false;
}

// How one character is written: the bytes, or nothing. `next` and `previous` decide whether a
// capital spelt with several letters is written in capitals ("ЖУК" gives "ZHUK") or as a word
// begins ("Жук" gives "Zhuk").
std::string Spell(char32_t c, char32_t previous, char32_t next) {
  if (c == kEmphasisOnCode || c == kEmphasisOffCode) return std::string(1, static_cast<char>(c));
  if (c == '\t' || c == kDvbLineBreak) return " ";
  if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) return {};  // control characters
  if (c <= 0xFF) return std::string(1, static_cast<char>(c));
  const char* letters = ClosestLatinLetters(c);
  if (letters == nullptr) return "?";
  std::string spelt(letters);
  if (spelt.size() > 1 && IsUpper(c) && spelt[1] >= 'A' && spelt[1] <= 'Z') {
    const bool capitalsAround = next != 0 ? IsUpper(next) : (previous != 0 && IsUpper(previous));
    const bool smallNext = next != 0 && IsLower(next);
    if (smallNext || !capitalsAround) {
      for (size_t i = 1; i < spelt.size(); ++i) {
        if (spelt[i] >= 'A' && spelt[i] <= 'Z') spelt[i] = static_cast<char>(spelt[i] - 'A' + 'a');
      }
    }
  }
  return spelt;
}

bool IsCombiningAccent(char32_t c) { return c >= 0x0300 && c <= 0x036F; }

// The next code point of strict UTF-8 at `i`, or false when the bytes there are not UTF-8.
bool NextUtf8(std::string_view bytes, size_t& i, char32_t& out) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(bytes[k]); };
  const unsigned char first = byte(i);
  if (first < 0x80) {
    out = first;
    ++i;
    return true;
  }
  size_t length = 0;
  char32_t least = 0;
  if (first >= 0xC2 && first <= 0xDF) {
    length = 2;
    out = first & 0x1F;
    least = 0x80;
  } else if (first >= 0xE0 && first <= 0xEF) {
    length = 3;
    out = first & 0x0F;
    least = 0x800;
  } else if (first >= 0xF0 && first <= 0xF4) {
    length = 4;
    out = first & 0x07;
    least = 0x10000;
  } else {
    return false;
  }
  if (bytes.size() - i < length) return false;
  for (size_t k = 1; k < length; ++k) {
    const unsigned char continuation = byte(i + k);
    if ((continuation & 0xC0) != 0x80) return false;
    out = (out << 6) | (continuation & 0x3F);
  }
  if (out < least || out > 0x10FFFF || (out >= 0xD800 && out <= 0xDFFF)) return false;
  i += length;
  return true;
}

bool IsBlank(char c) { return c == ' '; }

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
  size_t i = 0;
  char32_t ignored = 0;
  while (i < bytes.size()) {
    if (!NextUtf8(bytes, i, ignored)) return false;
  }
  return true;
}

std::u32string DecodeLatin1(std::string_view bytes) {
  std::u32string text;
  text.reserve(bytes.size());
  for (const char c : bytes) text.push_back(static_cast<unsigned char>(c));
  return text;
}

std::u32string DecodeUtf8OrLatin1(std::string_view bytes) {
  std::u32string text;
  text.reserve(bytes.size());
  size_t i = 0;
  char32_t c = 0;
  while (i < bytes.size()) {
    if (!NextUtf8(bytes, i, c)) return DecodeLatin1(bytes);
    text.push_back(c);
  }
  return text;
}

std::string RecordNameFromUnicode(std::u32string_view text) {
  std::string name;
  bool lastWasLetter = false;  // the last byte written is the whole of an ASCII letter
  for (size_t i = 0; i < text.size(); ++i) {
    const char32_t c = text[i];
    if (IsCombiningAccent(c)) {
      if (lastWasLetter) {
        const unsigned char composed =
            ComposeWithAccent(static_cast<unsigned char>(name.back()), c);
        if (composed != 0) name.back() = static_cast<char>(composed);
      }
      lastWasLetter = false;
      continue;
    }
    const char32_t previous = i > 0 ? text[i - 1] : 0;
    const char32_t next = i + 1 < text.size() ? text[i + 1] : 0;
    const std::string spelt = Spell(c, previous, next);
    if (spelt.empty()) continue;
    if (name.empty() && std::all_of(spelt.begin(), spelt.end(), IsBlank)) continue;
    if (name.size() + spelt.size() > kChannelNameSize) break;  // never half a character
    name += spelt;
    lastWasLetter = IsAsciiLetter(c);
  }
  while (!name.empty() && IsBlank(name.back())) name.pop_back();
  return name;
}

std::string RecordNameFromUtf8(std::string_view bytes) {
  return RecordNameFromUnicode(DecodeUtf8OrLatin1(bytes));
}

std::string RecordNameFromLatin1(std::string_view bytes) {
  return RecordNameFromUnicode(DecodeLatin1(bytes));
}

void StoreRecordName(ChannelRecord& record, std::string_view recordText) {
  record.name.fill(0);
  std::memcpy(record.name.data(), recordText.data(), std::min(recordText.size(), kChannelNameSize));
}

std::string RecordNameToUtf8(const ChannelRecord& record) {
  size_t length = 0;
  while (length < kChannelNameSize && record.name[length] != 0) ++length;
  while (length > 0 && record.name[length - 1] == ' ') --length;
  std::string text;
  for (size_t i = 0; i < length; ++i) {
    const uint8_t byte = record.name[i];
    if (byte < 0x80) {
      text += static_cast<char>(byte);
    } else {
      text += static_cast<char>(0xC0 | (byte >> 6));
      text += static_cast<char>(0x80 | (byte & 0x3F));
    }
  }
  return text;
}

}  // namespace pelorus
