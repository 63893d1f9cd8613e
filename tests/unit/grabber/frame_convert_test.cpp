#include "grabber/frame_convert.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "grabber/colour_kernel.h"

namespace pelorus {
namespace {

uint8_t At(const std::vector<uint8_t>& bitmap, int x, int y, int channel) {
  return bitmap[size_t(y) * kBitmapStride + 3 * size_t(x) + size_t(channel)];
}

TEST(FrameConvertTest, LumaTilesLandOnTheirRowsAndColumns) {
  EXPECT_EQ(LumaOffset(1, 16), 11521u);
  EXPECT_EQ(LumaOffset(3, 15), 63u);
  std::vector<uint8_t> dump(kFrameBytes, 0);
  dump[11521] = 201;
  dump[63] = 99;
  FrameConverter converter;
  converter.LoadLuma(dump);
  EXPECT_EQ(converter.Luma()[16 * kFrameWidth + 1], 201);
  EXPECT_EQ(converter.Luma()[15 * kFrameWidth + 3], 99);
  // The luminance picture shows the same samples as grey.
  const std::vector<uint8_t> bitmap = ConvertFrame(dump, GrabDisplayMode::kLuminance);
  for (int c = 0; c < 3; ++c) {
    EXPECT_EQ(At(bitmap, 1, 16, c), 201);
    EXPECT_EQ(At(bitmap, 3, 15, c), 99);
    EXPECT_EQ(At(bitmap, 2, 16, c), 0);
  }
}

TEST(FrameConvertTest, OneChromaTileRowCoversFourColumnsOnTwoRows) {
  std::vector<uint8_t> dump(kFrameBytes, 0);
  // Tile 5 of chroma row 19 covers the pixel columns 20..23 on rows 38 and 39.
  const size_t at = ChromaOffset(5, 19);
  EXPECT_EQ(at, kLumaBytes + (1 * 180 + 5) * 64 + 3 * 4);
  dump[at] = 10;
  dump[at + 1] = 20;
  dump[at + 2] = 30;
  dump[at + 3] = 40;
  const std::vector<uint8_t> cr = ConvertFrame(dump, GrabDisplayMode::kCr);
  const std::vector<uint8_t> cb = ConvertFrame(dump, GrabDisplayMode::kCb);
  const uint8_t wantCr[] = {10, 10, 20, 20};
  const uint8_t wantCb[] = {30, 30, 40, 40};
  for (int row : {38, 39}) {
    for (int k = 0; k < 4; ++k) {
      // Cr shows as blue, Cb as red.
      EXPECT_EQ(At(cr, 20 + k, row, 0), wantCr[k]) << row << " " << k;
      EXPECT_EQ(At(cr, 20 + k, row, 2), 0);
      EXPECT_EQ(At(cb, 20 + k, row, 2), wantCb[k]) << row << " " << k;
      EXPECT_EQ(At(cb, 20 + k, row, 0), 0);
    }
    EXPECT_EQ(At(cr, 24, row, 0), 0);
    EXPECT_EQ(At(cr, 19, row, 0), 0);
  }
  EXPECT_EQ(At(cr, 20, 37, 0), 0);
  EXPECT_EQ(At(cr, 20, 40, 0), 0);
}

TEST(FrameConvertTest, FormulaExamplesAndTheirClamps) {
  EXPECT_EQ(ColourPixelFormula(128, 128, 128), (Bgr{128, 128, 128}));
  EXPECT_EQ(ColourPixelFormula(255, 255, 128).r, 254);
  EXPECT_EQ(ColourPixelFormula(0, 128, 0).b, 1);
  EXPECT_EQ(ColourPixelFormula(0, 128, 128), (Bgr{1, 1, 1}));
  EXPECT_EQ(ColourPixelFormula(255, 128, 128), (Bgr{254, 254, 254}));
}

TEST(FrameConvertTest, BlackColumnsDependOnTheMode) {
  const std::vector<uint8_t> dump(kFrameBytes, 200);
  for (const GrabDisplayMode mode : {GrabDisplayMode::kColour, GrabDisplayMode::kLuminance,
                                     GrabDisplayMode::kCr, GrabDisplayMode::kCb}) {
    const std::vector<uint8_t> bitmap = ConvertFrame(dump, mode);
    const bool colour = mode == GrabDisplayMode::kColour;
    for (int row : {0, 287, 575}) {
      int lastSum = 0;
      for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(At(bitmap, 0, row, c), 0) << static_cast<int>(mode);
        lastSum += At(bitmap, 719, row, c);
      }
      EXPECT_EQ(lastSum == 0, colour) << static_cast<int>(mode);
      EXPECT_NE(At(bitmap, 1, row, 0) + At(bitmap, 1, row, 2), 0);
    }
  }
}

TEST(FrameConvertTest, ShortDumpLeavesTheRestBlack) {
  // Half the luminance arrived, no chrominance: the lower half is black in every mode.
  const std::vector<uint8_t> dump(kLumaBytes / 2 + 3, 90);
  const std::vector<uint8_t> grey = ConvertFrame(dump, GrabDisplayMode::kLuminance);
  EXPECT_EQ(At(grey, 5, 0, 0), 90);
  EXPECT_EQ(At(grey, 5, 287, 0), 90);
  EXPECT_EQ(At(grey, 5, 289, 0), 0);
  EXPECT_EQ(At(grey, 5, 575, 0), 0);
  // The three bytes past the half are the first three of the next band's tile.
  EXPECT_EQ(At(grey, 2, 288, 0), 90);
  EXPECT_EQ(At(grey, 3, 288, 0), 0);
  const std::vector<uint8_t> colour = ConvertFrame({}, GrabDisplayMode::kColour);
  EXPECT_EQ(At(colour, 5, 5, 0), ColourPixelFormula(0, 0, 0).b);
}

// Every Y, Cr, Cb combination goes through the frame conversion as it runs for a grab (tables
// and row kernel) and must give the bytes of the double-precision formula.
TEST(FrameConvertTest, FrameConversionEqualsTheFormulaForEveryCombination) {
  FrameConverter converter;
  std::vector<uint8_t> dump(kFrameBytes);
  std::vector<uint8_t> bitmap(kBitmapBytes);
  // Each 2 x 2 block shares one chroma pair; its four pixels take four Y values. Columns 0 and
  // 719 are black, so blocks touching them are left out of the combinations.
  constexpr int kUsableBlocksPerRow = kChromaWidth - 2;
  constexpr uint32_t kCombinations = 1u << 24;
  uint32_t next = 0;
  int mismatches = 0;
  while (next < kCombinations) {
    std::vector<uint32_t> placed(size_t(kChromaHeight) * kChromaWidth, kCombinations);
    for (int r = 0; r < kChromaHeight && next < kCombinations; ++r) {
      for (int m = 1; m <= kUsableBlocksPerRow && next < kCombinations; ++m) {
        // next = (cr * 256 + cb) * 256 + y; four consecutive Y values per block.
        placed[size_t(r) * kChromaWidth + size_t(m)] = next;
        next += 4;
      }
    }
    for (int r = 0; r < kChromaHeight; ++r) {
      for (int m = 0; m < kChromaWidth; ++m) {
        const uint32_t code = placed[size_t(r) * kChromaWidth + size_t(m)];
        const uint8_t y0 = code < kCombinations ? static_cast<uint8_t>(code) : 0;
        const uint8_t cr = code < kCombinations ? static_cast<uint8_t>(code >> 16) : 0;
        const uint8_t cb = code < kCombinations ? static_cast<uint8_t>(code >> 8) : 0;
        for (int k = 0; k < 4; ++k) {
          dump[LumaOffset(2 * m + (k & 1), 2 * r + (k >> 1))] = static_cast<uint8_t>(y0 + k);
        }
        const size_t at = ChromaOffset(m / 2, r) + size_t(m % 2);
        dump[at] = cr;
        dump[at + 2] = cb;
      }
    }
    converter.LoadChroma(dump);
    converter.LoadLuma(dump);
    converter.ConvertRows(GrabDisplayMode::kColour, 0, kFrameHeight, bitmap);
    for (int r = 0; r < kChromaHeight; ++r) {
      for (int m = 1; m <= kUsableBlocksPerRow; ++m) {
        const uint32_t code = placed[size_t(r) * kChromaWidth + size_t(m)];
        if (code >= kCombinations) continue;
        for (int k = 0; k < 4; ++k) {
          const int x = 2 * m + (k & 1);
          const int y = 2 * r + (k >> 1);
          const Bgr want = ColourPixelFormula(static_cast<int>((code & 0xFF) + uint32_t(k)),
                                              static_cast<int>(code >> 16),
                                              static_cast<int>((code >> 8) & 0xFF));
          const Bgr got{At(bitmap, x, y, 0), At(bitmap, x, y, 1), At(bitmap, x, y, 2)};
          if (got != want && ++mismatches < 5) {
            ADD_FAILURE() << "code " << code + uint32_t(k) << " at " << x << "," << y;
          }
        }
      }
    }
  }
  EXPECT_EQ(mismatches, 0);
}

TEST(FrameConvertTest, TablePixelAndVectorRowAgreeWithThePlainOnes) {
  for (int y = 0; y < 256; y += 3) {
    for (int cr = 0; cr < 256; cr += 5) {
      for (int cb = 0; cb < 256; cb += 7) {
        ASSERT_EQ(ColourPixelFast(y, cr, cb), ColourPixelFormula(y, cr, cb)) << y << cr << cb;
      }
    }
  }
  // Every Cr/Cb pair through the vector offsets, a row of 360 at a time.
  std::vector<uint8_t> cr(kChromaWidth), cb(kChromaWidth);
  for (int pair = 0; pair < 65536; pair += kChromaWidth) {
    for (int m = 0; m < kChromaWidth; ++m) {
      cr[size_t(m)] = static_cast<uint8_t>(pair + m);
      cb[size_t(m)] = static_cast<uint8_t>((pair + m) >> 8);
    }
    ColourOffsets vectorOffsets{}, plainOffsets{};
    ChromaOffsetsKernel(cr.data(), cb.data(), vectorOffsets);
    ChromaOffsetsPlain(cr.data(), cb.data(), plainOffsets);
    ASSERT_EQ(std::memcmp(&vectorOffsets, &plainOffsets, sizeof vectorOffsets), 0) << pair;
  }
  ColourOffsets offsets{};
  std::vector<uint8_t> luma(kFrameWidth);
  for (int x = 0; x < kFrameWidth; ++x) luma[size_t(x)] = static_cast<uint8_t>(x * 7);
  for (int x = 0; x < kFrameWidth; ++x) {
    offsets.blue[x] = static_cast<int16_t>((x * 5) % 450 - 225);
    offsets.green[x] = static_cast<int16_t>(140 - (x * 3) % 281);
    offsets.red[x] = static_cast<int16_t>((x * 13) % 351 - 176);
  }
  std::vector<uint8_t> vector(kBitmapStride), plain(kBitmapStride);
  ColourRowKernel(luma.data(), offsets, vector.data());
  ColourRowPlain(luma.data(), offsets, plain.data());
  EXPECT_EQ(vector, plain);
}

}  // namespace
}  // namespace pelorus
