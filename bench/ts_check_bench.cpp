// The file check over a 1 GiB transport stream in the page cache, against plain reads of the
// same file in 1 MiB blocks (the most any check of it could hope for). PELORUS_TS_BENCH_MB sets
// another size.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "streams/ts_check.h"

namespace {

uint64_t FileBytes() {
  const char* mb = std::getenv("PELORUS_TS_BENCH_MB");
  const uint64_t megabytes = mb != nullptr ? std::strtoull(mb, nullptr, 10) : 1024;
  return (megabytes << 20) / 188 * 188;
}

// A file of packets on a few PIDs with running counters, written once per run and removed at
// exit; reading it once puts it in the page cache.
const std::string& BenchFile() {
  static const std::string path = [] {
    const std::string file = (std::filesystem::temp_directory_path() /
                              ("pelorus-ts-bench-" + std::to_string(getpid()) + ".m2t"))
                                 .string();
    std::vector<uint8_t> block(188 * 5577);
    uint8_t counters[4] = {};
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    for (uint64_t written = 0; written < FileBytes();) {
      for (size_t p = 0; p < block.size() / 188; ++p) {
        uint8_t* packet = block.data() + p * 188;
        const int stream = static_cast<int>(p % 4);
        packet[0] = 0x47;
        packet[1] = static_cast<uint8_t>(0x01 + stream);
        packet[2] = 0x00;
        packet[3] = static_cast<uint8_t>(0x10 | (counters[stream]++ & 0x0F));
      }
      const size_t chunk =
          static_cast<size_t>(std::min<uint64_t>(block.size(), FileBytes() - written));
      if (::write(fd, block.data(), chunk) != static_cast<ssize_t>(chunk)) std::abort();
      written += chunk;
    }
    ::close(fd);
    std::atexit([] { std::filesystem::remove(BenchFile()); });
    return file;
  }();
  return path;
}

void BM_TsCheckFile(benchmark::State& state) {
  const std::string& path = BenchFile();
  for (auto _ : state) {
    pelorus::TsStatistics stats;
    if (pelorus::ReadTsFile(path, stats, nullptr) != pelorus::TsReadResult::kDone) std::abort();
    benchmark::DoNotOptimize(stats.Packets());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * FileBytes()));
}

void BM_TsReadOnly1MiB(benchmark::State& state) {
  const std::string& path = BenchFile();
  std::unique_ptr<uint8_t[]> buffer(new uint8_t[1 << 20]);
  for (auto _ : state) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    uint64_t total = 0;
    ssize_t got;
    while ((got = ::read(fd, buffer.get(), 1 << 20)) > 0) total += static_cast<uint64_t>(got);
    ::close(fd);
    benchmark::DoNotOptimize(total);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * FileBytes()));
}

// The reads first, so that both run on a file already in the page cache.
BENCHMARK(BM_TsReadOnly1MiB)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TsCheckFile)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
