// One 720 x 576 frame dump through the grabber's conversion: untiling, 4:2:0 to 4:2:2 and the
// colour formula.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "grabber/frame_convert.h"

namespace {

std::vector<uint8_t> RandomDump() {
  std::mt19937 random(20261207);
  std::vector<uint8_t> dump(pelorus::kFrameBytes);
  for (uint8_t& byte : dump) byte = static_cast<uint8_t>(random());
  return dump;
}

void BM_ConvertColourFrame(benchmark::State& state) {
  const std::vector<uint8_t> dump = RandomDump();
  std::vector<uint8_t> bitmap(pelorus::kBitmapBytes, 0);
  pelorus::FrameConverter converter;
  for (auto _ : state) {
    converter.LoadChroma(dump);
    converter.LoadLuma(dump);
    converter.ConvertRows(pelorus::GrabDisplayMode::kColour, 0, pelorus::kFrameHeight, bitmap);
    benchmark::DoNotOptimize(bitmap.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_ConvertColourFrame)->Unit(benchmark::kMicrosecond);

// The formula as written, one double computation per channel, for comparison.
void BM_ConvertColourFramePlainFormula(benchmark::State& state) {
  const std::vector<uint8_t> dump = RandomDump();
  std::vector<uint8_t> bitmap(pelorus::kBitmapBytes, 0);
  pelorus::FrameConverter converter;
  for (auto _ : state) {
    converter.LoadChroma(dump);
    converter.LoadLuma(dump);
    const auto luma = converter.Luma();
    const auto cr = converter.Cr();
    const auto cb = converter.Cb();
    for (int y = 0; y < pelorus::kFrameHeight; ++y) {
      for (int x = 1; x < pelorus::kFrameWidth - 1; ++x) {
        const size_t c = size_t(y / 2) * pelorus::kChromaWidth + size_t(x / 2);
        const pelorus::Bgr pixel =
            pelorus::ColourPixelFormula(luma[size_t(y) * pelorus::kFrameWidth + x], cr[c], cb[c]);
        uint8_t* out = bitmap.data() + size_t(y) * pelorus::kBitmapStride + 3 * size_t(x);
        out[0] = pixel.b;
        out[1] = pixel.g;
        out[2] = pixel.r;
      }
    }
    benchmark::DoNotOptimize(bitmap.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_ConvertColourFramePlainFormula)->Unit(benchmark::kMicrosecond);

}  // namespace
