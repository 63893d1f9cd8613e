// A frame dump of any length and contents (short, long, garbage), and the size answer, through
// the grabber's conversion. The first byte picks the display mode.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "grabber/frame_convert.h"
#include "grabber/picture_size.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> input(data, size);
  if (input.empty()) return 0;
  static constexpr pelorus::GrabDisplayMode kModes[] = {
      pelorus::GrabDisplayMode::kColour, pelorus::GrabDisplayMode::kLuminance,
      pelorus::GrabDisplayMode::kCr, pelorus::GrabDisplayMode::kCb};
  const auto mode = kModes[input[0] % 4];
  // Kept between runs, as a grab's buffers would be, so that a run costs the conversion only.
  static pelorus::FrameConverter converter;
  static std::vector<uint8_t> bitmap(pelorus::kBitmapBytes);
  converter.LoadChroma(input.subspan(1));
  converter.LoadLuma(input.subspan(1));
  converter.ConvertRows(mode, 0, pelorus::kFrameHeight, bitmap);
  // Column 0 is never written.
  for (int row = 0; row < pelorus::kFrameHeight; ++row) {
    if (bitmap[size_t(row) * pelorus::kBitmapStride] != 0) __builtin_trap();
  }
  const auto decision = pelorus::DecidePictureSize(
      pelorus::ParsePictureSizeAnswer(input.subspan(1, std::min<size_t>(9, size - 1))));
  if (decision.size.width < 1 || decision.size.width > pelorus::kFrameWidth ||
      decision.size.height < 1 || decision.size.height > pelorus::kFrameHeight) {
    __builtin_trap();
  }
  return 0;
}
