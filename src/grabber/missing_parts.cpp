#include "grabber/missing_parts.h"

#include <algorithm>

#include "grabber/frame_format.h"

namespace pelorus {

std::vector<MemoryGap> MissingFromDump(std::vector<MemoryGap> gaps, uint64_t dumpBytes) {
  if (dumpBytes < kFrameBytes) gaps.push_back({dumpBytes, kFrameBytes - dumpBytes});
  return gaps;
}

size_t BlackenMissing(std::span<const MemoryGap> missing, GrabDisplayMode mode,
                      std::span<uint8_t> bitmap) {
  if (missing.empty() || bitmap.size() < kBitmapBytes) return 0;
  std::vector<uint8_t> arrived(kFrameBytes, 1);
  for (const MemoryGap& gap : missing) {
    if (gap.offset >= kFrameBytes) continue;
    const uint64_t end =
        std::min<uint64_t>(kFrameBytes, gap.offset + std::min<uint64_t>(gap.length, kFrameBytes));
    std::fill(arrived.begin() + static_cast<std::ptrdiff_t>(gap.offset),
              arrived.begin() + static_cast<std::ptrdiff_t>(end), uint8_t{0});
  }
  size_t blackened = 0;
  for (int y = 0; y < kFrameHeight; ++y) {
    for (int x = 0; x < kFrameWidth; ++x) {
      const int chromaColumn = x / 2;
      const size_t cr = ChromaOffset(chromaColumn / 2, y / 2) + size_t(chromaColumn % 2);
      bool whole = true;
      switch (mode) {
        case GrabDisplayMode::kLuminance:
          whole = arrived[LumaOffset(x, y)] != 0;
          break;
        case GrabDisplayMode::kCr:
          whole = arrived[cr] != 0;
          break;
        case GrabDisplayMode::kCb:
          whole = arrived[cr + 2] != 0;
          break;
        default:
          whole = arrived[LumaOffset(x, y)] != 0 && arrived[cr] != 0 && arrived[cr + 2] != 0;
          break;
      }
      if (whole) continue;
      uint8_t* pixel = bitmap.data() + (size_t(y) * kFrameWidth + size_t(x)) * 3;
      pixel[0] = pixel[1] = pixel[2] = 0;
      ++blackened;
    }
  }
  return blackened;
}

}  // namespace pelorus
