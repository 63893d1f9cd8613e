#include "grabber/picture_size.h"

#include <algorithm>

#include "common/byte_reader.h"
#include "grabber/frame_format.h"

namespace pelorus {
namespace {

bool IsSpace(uint8_t byte) { return byte == ' ' || (byte >= '\t' && byte <= '\r'); }

// One "%d": white space, an optional sign, at least one digit. Large values stick at the int
// range rather than overflow.
std::optional<int> ReadNumber(std::span<const uint8_t> text, size_t& at) {
  while (at < text.size() && IsSpace(text[at])) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '-' || text[at] == '+')) negative = text[at++] == '-';
  const size_t first = at;
  int64_t value = 0;
  while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
    value = std::min<int64_t>(value * 10 + (text[at] - '0'), int64_t{1} << 31);
    ++at;
  }
  if (at == first) return std::nullopt;
  if (negative) value = -value;
  return static_cast<int>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

}  // namespace

std::optional<PictureSize> ParsePictureSizeAnswer(std::span<const uint8_t> answer) {
  // The text ends at its first zero byte, as the receiver's string would.
  ByteReader reader(answer);
  size_t length = 0;
  while (length < answer.size() && reader.U8() != 0) ++length;
  const std::span<const uint8_t> text = answer.first(length);
  size_t at = 0;
  const std::optional<int> width = ReadNumber(text, at);
  if (!width || at >= text.size() || text[at] != ':') return std::nullopt;
  ++at;
  const std::optional<int> height = ReadNumber(text, at);
  if (!height) return std::nullopt;
  return PictureSize{*width, *height};
}

SizeDecision DecidePictureSize(std::optional<PictureSize> reported) {
  const PictureSize full{kFrameWidth, kFrameHeight};
  if (!reported || reported->width == 0 || reported->height == 0) {
    return {full, SizeVerdict::kUnknown};
  }
  const bool fits = reported->width > 0 && reported->width <= kFrameWidth && reported->height > 0 &&
                    reported->height <= kFrameHeight;
  if (fits) return {*reported, SizeVerdict::kUsable};
  // A negative number says nothing about the picture: the whole buffer is the best guess.
  auto hold = [](int value, int limit) { return value < 0 ? limit : std::min(value, limit); };
  return {{hold(reported->width, kFrameWidth), hold(reported->height, kFrameHeight)},
          SizeVerdict::kClamped};
}

}  // namespace pelorus
