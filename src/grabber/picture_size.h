#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace pelorus {

// The broadcast picture's size: `width` columns of the 720 are the picture; `height` rows are
// saved and shown.
struct PictureSize {
  int width = 0;
  int height = 0;
  friend bool operator==(const PictureSize&, const PictureSize&) = default;
};

// The receiver's answer to the size command, "%d:%d" in 9 bytes: each number may follow white
// space and carry a sign, the colon follows the first number at once, and a zero byte ends the
// text. No value unless both numbers are there.
std::optional<PictureSize> ParsePictureSizeAnswer(std::span<const uint8_t> answer);

// What a reported size means for the grab.
enum class SizeVerdict {
  kUsable,   // within 1..720 x 1..576
  kUnknown,  // a zero (or no size at all): 720 x 576, not interpolated
  kClamped,  // beyond the buffers or negative: held to 720 x 576
};
struct SizeDecision {
  PictureSize size;
  SizeVerdict verdict = SizeVerdict::kUsable;
};
SizeDecision DecidePictureSize(std::optional<PictureSize> reported);

// Only pictures this much narrower than the frame are stretched to its width.
inline constexpr int kInterpolateBelowWidth = 700;

}  // namespace pelorus
