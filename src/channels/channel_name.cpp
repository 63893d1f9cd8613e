#include "channels/channel_name.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

namespace pelorus {

namespace {

// Where the first zero byte of the name is (its size without one), and whether any byte has its
// top bit set, found eight bytes at a time: a name is decoded for every record at each load.
struct NameScan {
  size_t zeroAt = kChannelNameSize;
  bool highBit = false;
};

NameScan ScanName(std::span<const char, kChannelNameSize> name) {
  NameScan scan;
  if constexpr (std::endian::native == std::endian::little && kChannelNameSize % 8 == 0) {
    constexpr uint64_t kOnes = 0x0101010101010101;
    constexpr uint64_t kHighs = 0x8080808080808080;
    uint64_t high = 0;
    for (size_t offset = kChannelNameSize; offset > 0;) {
      offset -= 8;
      uint64_t word;
      std::memcpy(&word, name.data() + offset, sizeof word);
      high |= word;
      // The lowest flagged byte is the word's first zero; flags above it may be false ones.
      const uint64_t zeros = (word - kOnes) & ~word & kHighs;
      if (zeros != 0) scan.zeroAt = offset + static_cast<size_t>(std::countr_zero(zeros)) / 8;
    }
    scan.highBit = (high & kHighs) != 0;
  } else {
    for (size_t i = kChannelNameSize; i > 0; --i) {
      const auto byte = static_cast<uint8_t>(name[i - 1]);
      if (byte == 0) scan.zeroAt = i - 1;
      if ((byte & 0x80) != 0) scan.highBit = true;
    }
  }
  return scan;
}

}  // namespace

size_t DecodeChannelName(const ChannelRecord& record, std::span<char, kChannelNameSize> out) {
  std::memcpy(out.data(), record.name.data(), kChannelNameSize);
  const NameScan scan = ScanName(out);
  // Emphasis codes are rare; most names are plain text.
  if (scan.highBit) {
    for (char& c : out) {
      const auto byte = static_cast<uint8_t>(c);
      if (byte == kEmphasisOn) c = '[';
      if (byte == kEmphasisOff) c = ']';
    }
  }
  // The text ends at the first zero byte; without one, trailing blanks are no part of it.
  if (scan.zeroAt < kChannelNameSize) return scan.zeroAt;
  size_t length = kChannelNameSize;
  while (length > 0 && out[length - 1] == ' ') --length;
  return length;
}

std::string DecodeChannelName(const ChannelRecord& record) {
  std::array<char, kChannelNameSize> text;
  return std::string(text.data(), DecodeChannelName(record, text));
}

void EncodeChannelName(ChannelRecord& record, std::string_view text) {
  record.name.fill(0);
  for (size_t i = 0; i < text.size() && i < kChannelNameSize && text[i] != '\0'; ++i) {
    const char c = text[i];
    record.name[i] = c == '[' ? kEmphasisOn : c == ']' ? kEmphasisOff : static_cast<uint8_t>(c);
  }
}

}  // namespace pelorus
