// CRC-32/MPEG-2 over section-sized and large buffers: the slice-by-8 form against one look-up
// per byte.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "common/crc32_mpeg.h"

namespace {

std::vector<uint8_t> RandomBytes(size_t size) {
  std::mt19937 random(1);
  std::vector<uint8_t> bytes(size);
  for (auto& byte : bytes) byte = static_cast<uint8_t>(random());
  return bytes;
}

void BM_Crc32MpegSliceBy8(benchmark::State& state) {
  const auto bytes = RandomBytes(static_cast<size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(pelorus::Crc32Mpeg(bytes));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_Crc32MpegSliceBy8)->Arg(1024)->Arg(1 << 20);

void BM_Crc32MpegBytewise(benchmark::State& state) {
  const auto bytes = RandomBytes(static_cast<size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(pelorus::Crc32MpegBytewise(bytes));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_Crc32MpegBytewise)->Arg(1024)->Arg(1 << 20);

}  // namespace
