#include "channels/channel_name.h"

namespace pelorus {

std::string DecodeChannelName(const ChannelRecord& record) {
  char text[kChannelNameSize + 1] = {};
  for (size_t i = 0; i < kChannelNameSize; ++i) {
    const uint8_t byte = record.name[i];
    text[i] = byte == kEmphasisOn ? '[' : byte == kEmphasisOff ? ']' : static_cast<char>(byte);
  }
  for (size_t i = kChannelNameSize; i-- > 0 && text[i] == ' ';) text[i] = '\0';
  return std::string(text);  // stops at the first zero byte
}

void EncodeChannelName(ChannelRecord& record, std::string_view text) {
  record.name.fill(0);
  for (size_t i = 0; i < text.size() && i < kChannelNameSize && text[i] != '\0'; ++i) {
    const char c = text[i];
    record.name[i] = c == '[' ? kEmphasisOn : c == ']' ? kEmphasisOff : static_cast<uint8_t>(c);
  }
}

}  // namespace pelorus
