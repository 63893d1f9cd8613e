#include "grabber/frame_convert.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "grabber/colour_kernel.h"

namespace pelorus {
namespace {

// The formula's coefficients, in ten-thousandths.
constexpr int kCrToRed = 13707;
constexpr int kCbToGreen = -3365;
constexpr int kCrToGreen = -6982;
constexpr int kCbToBlue = 17324;
constexpr int kScale = 10000;

int FloorDiv(int value, int divisor) {
  const int quotient = value / divisor;
  return (value % divisor != 0 && value < 0) ? quotient - 1 : quotient;
}

// Each channel is (10000 Y + c) x 0.0001 with an integer c that depends on the chroma only.
// Since 10000 Y is a multiple of 10000, truncating that equals Y + floor(c / 10000) (the
// double constant 0.0001 lies just above a ten-thousandth, so whole numbers stay whole); the
// per-chroma floors come from these tables, and adding Y and holding to 1..254 is all that is
// left per pixel.
struct ChromaTables {
  std::array<int16_t, 256> red{};
  std::array<int16_t, 256> blue{};
  std::array<int16_t, 65536> green{};  // by Cb * 256 + Cr

  ChromaTables() {
    for (int c = 0; c < 256; ++c) {
      red[c] = static_cast<int16_t>(FloorDiv(kCrToRed * (c - 128), kScale));
      blue[c] = static_cast<int16_t>(FloorDiv(kCbToBlue * (c - 128), kScale));
    }
    for (int cb = 0; cb < 256; ++cb) {
      for (int cr = 0; cr < 256; ++cr) {
        green[cb * 256 + cr] = static_cast<int16_t>(
            FloorDiv(kCbToGreen * (cb - 128) + kCrToGreen * (cr - 128), kScale));
      }
    }
  }
};

const ChromaTables& Tables() {
  static const ChromaTables tables;
  return tables;
}

uint8_t Hold(int value) { return static_cast<uint8_t>(std::clamp(value, 1, 254)); }

uint8_t FormulaChannel(double value) {
  if (value < 1.0) value = 1.0;
  if (value > 254.0) value = 254.0;
  return static_cast<uint8_t>(static_cast<int>(value));
}

}  // namespace

Bgr ColourPixelFormula(int y, int cr, int cb) {
  const double red = (10000.0 * y + 13707.0 * (cr - 128)) * 0.0001;
  const double green = (10000.0 * y - 3365.0 * (cb - 128) - 6982.0 * (cr - 128)) * 0.0001;
  const double blue = (10000.0 * y + 17324.0 * (cb - 128)) * 0.0001;
  return {FormulaChannel(blue), FormulaChannel(green), FormulaChannel(red)};
}

Bgr ColourPixelFast(int y, int cr, int cb) {
  const ChromaTables& tables = Tables();
  return {Hold(y + tables.blue[cb]), Hold(y + tables.green[cb * 256 + cr]),
          Hold(y + tables.red[cr])};
}

FrameConverter::FrameConverter() : luma_(kLumaBytes), cr_(kChromaBytes / 2), cb_(kChromaBytes / 2) {
  Tables();
}

void FrameConverter::LoadChroma(std::span<const uint8_t> dump) {
  std::fill(cr_.begin(), cr_.end(), uint8_t{0});
  std::fill(cb_.begin(), cb_.end(), uint8_t{0});
  for (int row = 0; row < kChromaHeight; ++row) {
    uint8_t* cr = cr_.data() + size_t(row) * kChromaWidth;
    uint8_t* cb = cb_.data() + size_t(row) * kChromaWidth;
    for (int tile = 0; tile < kTilesPerBand; ++tile) {
      const size_t at = ChromaOffset(tile, row);
      if (at + 4 > dump.size()) {
        // A short dump: the bytes that did arrive count, the rest stay zero.
        auto byte = [&dump](size_t i) { return i < dump.size() ? dump[i] : uint8_t{0}; };
        cr[2 * tile] = byte(at);
        cr[2 * tile + 1] = byte(at + 1);
        cb[2 * tile] = byte(at + 2);
        cb[2 * tile + 1] = byte(at + 3);
        continue;
      }
      cr[2 * tile] = dump[at];
      cr[2 * tile + 1] = dump[at + 1];
      cb[2 * tile] = dump[at + 2];
      cb[2 * tile + 1] = dump[at + 3];
    }
  }
}

void FrameConverter::LoadLuma(std::span<const uint8_t> dump) {
  if (dump.size() >= kLumaBytes) {
    for (int row = 0; row < kFrameHeight; ++row) {
      uint8_t* out = luma_.data() + size_t(row) * kFrameWidth;
      for (int tile = 0; tile < kTilesPerBand; ++tile) {
        std::memcpy(out + tile * kTileColumns, dump.data() + LumaOffset(tile * kTileColumns, row),
                    kTileColumns);
      }
    }
    return;
  }
  for (int row = 0; row < kFrameHeight; ++row) {
    for (int x = 0; x < kFrameWidth; ++x) {
      const size_t at = LumaOffset(x, row);
      luma_[size_t(row) * kFrameWidth + size_t(x)] = at < dump.size() ? dump[at] : 0;
    }
  }
}

void FrameConverter::ConvertRows(GrabDisplayMode mode, int firstRow, int endRow,
                                 std::span<uint8_t> bitmap) const {
  firstRow = std::max(firstRow, 0);
  endRow = std::min(endRow, kFrameHeight);
  if (bitmap.size() < kBitmapBytes) return;
  const ChromaTables& tables = Tables();
  ColourOffsets offsets;
  int offsetsRow = -1;
  for (int row = firstRow; row < endRow; ++row) {
    const uint8_t* y = luma_.data() + size_t(row) * kFrameWidth;
    const uint8_t* cr = cr_.data() + size_t(row / 2) * kChromaWidth;
    const uint8_t* cb = cb_.data() + size_t(row / 2) * kChromaWidth;
    uint8_t* out = bitmap.data() + size_t(row) * kBitmapStride;
    switch (mode) {
      case GrabDisplayMode::kColour:
        if (offsetsRow != row / 2) {
          for (int m = 0; m < kChromaWidth; ++m) {
            offsets.blue[m] = tables.blue[cb[m]];
            offsets.green[m] = tables.green[cb[m] * 256 + cr[m]];
            offsets.red[m] = tables.red[cr[m]];
          }
          offsetsRow = row / 2;
        }
        ColourRowKernel(y, offsets, out);
        out[3 * (kFrameWidth - 1)] = out[3 * (kFrameWidth - 1) + 1] =
            out[3 * (kFrameWidth - 1) + 2] = 0;
        break;
      case GrabDisplayMode::kLuminance:
        for (int x = 1; x < kFrameWidth; ++x) out[3 * x] = out[3 * x + 1] = out[3 * x + 2] = y[x];
        break;
      case GrabDisplayMode::kCr:
        for (int x = 1; x < kFrameWidth; ++x) {
          out[3 * x] = cr[x / 2];
          out[3 * x + 1] = out[3 * x + 2] = 0;
        }
        break;
      case GrabDisplayMode::kCb:
        for (int x = 1; x < kFrameWidth; ++x) {
          out[3 * x] = out[3 * x + 1] = 0;
          out[3 * x + 2] = cb[x / 2];
        }
        break;
    }
    out[0] = out[1] = out[2] = 0;
  }
}

std::vector<uint8_t> ConvertFrame(std::span<const uint8_t> dump, GrabDisplayMode mode) {
  std::vector<uint8_t> bitmap(kBitmapBytes, 0);
  FrameConverter converter;
  converter.LoadChroma(dump);
  converter.LoadLuma(dump);
  converter.ConvertRows(mode, 0, kFrameHeight, bitmap);
  return bitmap;
}

}  // namespace pelorus
