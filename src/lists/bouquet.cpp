#include "lists/bouquet.h"

#include <string_view>

#include "channels/record_name_text.h"
#include "lists/text_fields.h"

namespace pelorus {
namespace {

constexpr uint64_t kMarkerFlag = 0x40;
constexpr uint64_t kDirectoryFlags = 0x07;
constexpr uint64_t kDvbService = 1;
constexpr std::string_view kFromBouquet = "FROM BOUQUET \"";
constexpr char kNotAnEntry[] = "not a bouquet entry";

bool StartsWithWord(std::string_view line, std::string_view word, std::string_view& rest) {
  if (!line.starts_with(word)) return false;
  rest = line.substr(word.size());
  if (rest.starts_with(':')) rest.remove_prefix(1);  // the old form "#SERVICE: ..."
  if (!rest.empty() && rest.front() != ' ') return false;
  rest = TrimBlanks(rest);
  return true;
}

// The ten numbers of a service reference, then its path and its name; the name may hold colons.
bool ParseReference(std::string_view reference, BouquetEntry& entry,
                    std::string_view& displayName) {
  uint64_t numbers[10] = {};
  size_t position = 0;
  for (int i = 0; i < 10; ++i) {
    const size_t colon = reference.find(':', position);
    if (colon == std::string_view::npos) return false;
    const std::string_view field = reference.substr(position, colon - position);
    // The kind and the flags are decimal, the rest hexadecimal.
    const bool ok = i < 2 ? ParseDecimal(field, numbers[i]) : ParseHex(field, numbers[i]);
    if (!ok) return false;
    position = colon + 1;
  }
  const std::string_view tail = reference.substr(position);
  const size_t colon = tail.find(':');
  const std::string_view path = tail.substr(0, colon);
  displayName = colon == std::string_view::npos ? std::string_view() : tail.substr(colon + 1);

  const uint64_t flags = numbers[1];
  if ((flags & kMarkerFlag) != 0) {
    entry.kind = BouquetEntry::Kind::kMarker;
    return true;
  }
  const size_t from = path.find(kFromBouquet);
  if ((flags & kDirectoryFlags) == kDirectoryFlags || from != std::string_view::npos) {
    if (from == std::string_view::npos) return false;
    const std::string_view quoted = path.substr(from + kFromBouquet.size());
    const size_t close = quoted.find('"');
    if (close == std::string_view::npos) return false;
    entry.kind = BouquetEntry::Kind::kBouquet;
    entry.fileName = std::string(quoted.substr(0, close));
    return IsPlainFileName(entry.fileName);
  }
  if (numbers[0] != kDvbService || !path.empty()) {
    entry.kind = BouquetEntry::Kind::kOther;
    return true;
  }
  if (numbers[3] > 0xFFFF || numbers[4] > 0xFFFF || numbers[5] > 0xFFFF ||
      numbers[6] > 0xFFFFFFFF || numbers[2] > 0xFFFF) {
    return false;
  }
  entry.kind = BouquetEntry::Kind::kService;
  entry.serviceType = static_cast<int>(numbers[2]);
  entry.serviceId = static_cast<uint16_t>(numbers[3]);
  entry.transponder = {static_cast<uint32_t>(numbers[6]), static_cast<uint16_t>(numbers[4]),
                       static_cast<uint16_t>(numbers[5])};
  return true;
}

}  // namespace

bool IsPlainFileName(std::string_view name) {
  if (name.empty() || name.size() > 255 || name == "." || name == "..") return false;
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '/' || c == '\\' || byte < 0x20 || byte == 0x7F) return false;
  }
  return !name.starts_with("..");
}

bool LooksLikeBouquet(std::span<const uint8_t> bytes) {
  LineCursor cursor(bytes);
  std::string_view line;
  while (cursor.Next(line)) {
    line = TrimBlanks(line);
    if (line.empty()) continue;
    return line.starts_with("#NAME") || line.starts_with("#SERVICE");
  }
  return false;
}

Bouquet ParseBouquet(std::span<const uint8_t> bytes) {
  Bouquet bouquet;
  const bool utf8 =
      IsValidUtf8(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  const auto name = [utf8](std::string_view text) {
    return utf8 ? RecordNameFromUtf8(text) : RecordNameFromLatin1(text);
  };
  LineCursor cursor(bytes);
  std::string_view line;
  bool described = true;  // the last entry has its #DESCRIPTION already (or there is none)
  while (cursor.Next(line)) {
    if (line.size() > kMaxListLine) {
      bouquet.badLines.push_back({0, cursor.LineNumber(), kNotAnEntry});
      described = true;
      continue;
    }
    const std::string_view text = TrimBlanks(line);
    std::string_view rest;
    if (text.empty()) continue;
    if (StartsWithWord(text, "#NAME", rest)) {
      bouquet.name = name(rest);
    } else if (StartsWithWord(text, "#SERVICE", rest)) {
      BouquetEntry entry;
      entry.line = cursor.LineNumber();
      std::string_view displayName;
      if (!ParseReference(rest, entry, displayName)) {
        bouquet.badLines.push_back({0, entry.line, kNotAnEntry});
        described = true;
        continue;
      }
      entry.name = name(displayName);
      bouquet.entries.push_back(std::move(entry));
      described = false;
    } else if (StartsWithWord(text, "#DESCRIPTION", rest)) {
      // A description names the entry before it; a second one, or one before any, means nothing.
      if (!described && !bouquet.entries.empty()) bouquet.entries.back().name = name(rest);
      described = true;
    } else if (!text.starts_with('#')) {
      bouquet.badLines.push_back({0, cursor.LineNumber(), kNotAnEntry});
    }
  }
  return bouquet;
}

}  // namespace pelorus
