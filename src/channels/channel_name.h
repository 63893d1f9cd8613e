#pragma once

#include <span>
#include <string>
#include <string_view>

#include "receiver/channel_record.h"

namespace pelorus {

// The receiver's emphasis control codes, shown and typed as '[' and ']'.
inline constexpr uint8_t kEmphasisOn = 0x86;
inline constexpr uint8_t kEmphasisOff = 0x87;

// Name bytes to display text: emphasis codes become brackets, trailing blanks and zero bytes
// are dropped. At most 24 characters.
std::string DecodeChannelName(const ChannelRecord& record);
// The same text written into `out`, for callers that build many rows; returns its length.
size_t DecodeChannelName(const ChannelRecord& record, std::span<char, kChannelNameSize> out);

// Display text to name bytes: brackets become emphasis codes, the rest is zero-filled. Text past
// 24 characters or after a zero byte is not stored.
void EncodeChannelName(ChannelRecord& record, std::string_view text);

}  // namespace pelorus
