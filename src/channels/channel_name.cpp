#include "channels/channel_name.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace pelorus {

size_t DecodeChannelName(const ChannelRecord& record, std::span<char, kChannelNameSize> out) {
  std::memcpy(out.data(), record.name.data(), kChannelNameSize);
  // Emphasis codes are rare; most names are plain text, told apart by one pass over the bytes.
  uint8_t high = 0;
  for (const uint8_t byte : record.name) high |= byte;
  if ((high & 0x80) != 0) {
    for (char& c : out) {
      const auto byte = static_cast<uint8_t>(c);
      if (byte == kEmphasisOn) c = '[';
      if (byte == kEmphasisOff) c = ']';
    }
  }
  // The text ends at the first zero byte; without one, trailing blanks are no part of it.
  const void* zero = std::memchr(out.data(), 0, kChannelNameSize);
  if (zero != nullptr) return static_cast<size_t>(static_cast<const char*>(zero) - out.data());
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
