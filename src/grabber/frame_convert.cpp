#include "grabber/frame_convert.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "grabber/colour_kernel.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace pelorus {
namespace {

static_assert(kFrameHeight % kTileRows == 0 && kChromaHeight % kTileRows == 0,
              "the dump is read in whole bands of tiles");

#ifdef __SSE2__
// Four tiles side by side, sixteen rows of four bytes each: a 4 x 4 transpose of 32-bit words per
// four rows gives each row its sixteen bytes in picture order.
struct TileRows {
  __m128i rows[kTileRows / 4][4];
};

TileRows TransposeFourTiles(const uint8_t* tiles) {
  TileRows result;
  for (int k = 0; k < kTileRows / 4; ++k) {
    auto load = [&](int tile) {
      return _mm_loadu_si128(reinterpret_cast<const __m128i*>(tiles + tile * kTileBytes + 16 * k));
    };
    const __m128i a = load(0), b = load(1), c = load(2), d = load(3);
    const __m128i abLow = _mm_unpacklo_epi32(a, b), cdLow = _mm_unpacklo_epi32(c, d);
    const __m128i abHigh = _mm_unpackhi_epi32(a, b), cdHigh = _mm_unpackhi_epi32(c, d);
    result.rows[k][0] = _mm_unpacklo_epi64(abLow, cdLow);
    result.rows[k][1] = _mm_unpackhi_epi64(abLow, cdLow);
    result.rows[k][2] = _mm_unpacklo_epi64(abHigh, cdHigh);
    result.rows[k][3] = _mm_unpackhi_epi64(abHigh, cdHigh);
  }
  return result;
}
#endif

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
  return {Hold(y + BlueOffset(cb)), Hold(y + GreenOffset(cr, cb)), Hold(y + RedOffset(cr))};
}

FrameConverter::FrameConverter()
    : luma_(kLumaBytes), cr_(kChromaBytes / 2), cb_(kChromaBytes / 2) {}

void FrameConverter::LoadChroma(std::span<const uint8_t> dump) {
  if (dump.size() >= kFrameBytes) {
    // Straight through the dump, as for the luminance: each tile row is Cr, Cr, Cb, Cb.
    const uint8_t* in = dump.data() + kLumaBytes;
    for (int band = 0; band < kChromaHeight / kTileRows; ++band) {
      const size_t first = size_t(band) * kTileRows * kChromaWidth;
#ifdef __SSE2__
      for (int tile = 0; tile < kTilesPerBand; tile += 4, in += 4 * kTileBytes) {
        const TileRows four = TransposeFourTiles(in);
        for (int row = 0; row < kTileRows; ++row) {
          // Cr Cr Cb Cb per tile: gather the Cr words into the low half, the Cb into the high.
          __m128i words = four.rows[row / 4][row % 4];
          words = _mm_shufflehi_epi16(_mm_shufflelo_epi16(words, 0xD8), 0xD8);
          words = _mm_shuffle_epi32(words, 0xD8);
          const size_t at = first + size_t(row) * kChromaWidth + 2 * size_t(tile);
          _mm_storel_epi64(reinterpret_cast<__m128i*>(cr_.data() + at), words);
          _mm_storel_epi64(reinterpret_cast<__m128i*>(cb_.data() + at),
                           _mm_unpackhi_epi64(words, words));
        }
      }
      continue;
#endif
      for (int tile = 0; tile < kTilesPerBand; ++tile) {
        uint8_t* cr = cr_.data() + first + 2 * size_t(tile);
        uint8_t* cb = cb_.data() + first + 2 * size_t(tile);
        for (int row = 0; row < kTileRows; ++row, in += kTileColumns) {
          std::memcpy(cr + size_t(row) * kChromaWidth, in, 2);
          std::memcpy(cb + size_t(row) * kChromaWidth, in + 2, 2);
        }
      }
    }
    return;
  }
  // A short dump: the bytes that did arrive count, the rest stay zero.
  auto byte = [&dump](size_t i) { return i < dump.size() ? dump[i] : uint8_t{0}; };
  for (int row = 0; row < kChromaHeight; ++row) {
    uint8_t* cr = cr_.data() + size_t(row) * kChromaWidth;
    uint8_t* cb = cb_.data() + size_t(row) * kChromaWidth;
    for (int tile = 0; tile < kTilesPerBand; ++tile) {
      const size_t at = ChromaOffset(tile, row);
      cr[2 * tile] = byte(at);
      cr[2 * tile + 1] = byte(at + 1);
      cb[2 * tile] = byte(at + 2);
      cb[2 * tile + 1] = byte(at + 3);
    }
  }
}

void FrameConverter::LoadLuma(std::span<const uint8_t> dump) {
  if (dump.size() >= kLumaBytes) {
    // In the dump's own order, so that it is read straight through: tile after tile, each tile
    // four bytes of sixteen rows.
    const uint8_t* in = dump.data();
    for (int band = 0; band < kFrameHeight / kTileRows; ++band) {
      uint8_t* rows = luma_.data() + size_t(band) * kTileRows * kFrameWidth;
#ifdef __SSE2__
      for (int tile = 0; tile < kTilesPerBand; tile += 4, in += 4 * kTileBytes) {
        const TileRows four = TransposeFourTiles(in);
        for (int row = 0; row < kTileRows; ++row) {
          _mm_storeu_si128(
              reinterpret_cast<__m128i*>(rows + size_t(row) * kFrameWidth + tile * kTileColumns),
              four.rows[row / 4][row % 4]);
        }
      }
      continue;
#endif
      for (int tile = 0; tile < kTilesPerBand; ++tile) {
        uint8_t* out = rows + tile * kTileColumns;
        for (int row = 0; row < kTileRows; ++row, in += kTileColumns) {
          std::memcpy(out + size_t(row) * kFrameWidth, in, kTileColumns);
        }
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
          ChromaOffsetsKernel(cr, cb, offsets);
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
