// Compression speed of the firmware coder on a 4 MiB firmware-like image, in memory and
// through the file export the firmware upgrade calls.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "lzw_coder.h"
#include "pelorus_lzw.h"
#include "unit/lzw/lzw_test_data.h"

namespace {

constexpr std::size_t kImageSize = 4 << 20;

const std::vector<std::uint8_t>& FirmwareImage() {
  static const std::vector<std::uint8_t> image =
      pelorus::testing::MakeFirmwareLike(kImageSize, 4242);
  return image;
}

void BM_LzwEncodeBuffer(benchmark::State& state) {
  const auto& image = FirmwareImage();
  std::size_t encodedSize = 0;
  for (auto _ : state) {
    const auto encoded = pelorus::lzw::EncodeLzw(image);
    encodedSize = encoded.size();
    benchmark::DoNotOptimize(encoded.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * image.size()));
  state.counters["ratio"] = static_cast<double>(encodedSize) / static_cast<double>(image.size());
}
BENCHMARK(BM_LzwEncodeBuffer)->Unit(benchmark::kMillisecond);

void BM_LzwEncodeFile(benchmark::State& state) {
  const auto& image = FirmwareImage();
  namespace fs = std::filesystem;
  const fs::path base =
      fs::temp_directory_path() / ("pelorus-lzw-bench-" + std::to_string(std::random_device{}()));
  const std::string input = base.string() + ".bin";
  const std::string output = base.string() + ".tmp";
  if (std::FILE* file = std::fopen(input.c_str(), "wb")) {
    std::fwrite(image.data(), 1, image.size(), file);
    std::fclose(file);
  }
  for (auto _ : state) {
    const std::int32_t size =
        LZWencode(output.c_str(), input.c_str(), static_cast<std::int32_t>(image.size()), 0);
    if (size <= 0) state.SkipWithError("LZWencode failed");
    benchmark::DoNotOptimize(size);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * image.size()));
  std::error_code ignored;
  fs::remove(input, ignored);
  fs::remove(output, ignored);
}
BENCHMARK(BM_LzwEncodeFile)->Unit(benchmark::kMillisecond);

}  // namespace
