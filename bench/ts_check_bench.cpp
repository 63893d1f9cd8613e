// The file check over a 1 GiB transport stream in the page cache, against plain reads of the
// same file in 1 MiB blocks (the most any check of it could hope for): a plain stream, and one
// shaped like a broadcast with cuts to re-synchronise after. PELORUS_TS_BENCH_MB sets another size.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
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

// A packet of the benchmark's streams: `pid`, `counter`, and what follows the header.
void FillPacket(uint8_t* packet, unsigned pid, unsigned counter, bool adaptationOnly) {
  packet[0] = 0x47;
  packet[1] = static_cast<uint8_t>(pid >> 8);
  packet[2] = static_cast<uint8_t>(pid);
  packet[3] = static_cast<uint8_t>((adaptationOnly ? 0x20 : 0x10) | (counter & 0x0F));
  // No stale bytes: a cut leaves old headers in the block, which would read as a second stream.
  std::memset(packet + 4, 0xFF, 184);
  if (adaptationOnly) {
    packet[4] = 183;
    packet[5] = 0x10;
  }
}

// A file written once per run and removed at exit; reading it once puts it in the page cache.
// `plain`: packets on four PIDs with running counters. Otherwise it is shaped like a broadcast:
// video, audio, PSI and null packets, adaptation-only packets that keep the counter, a duplicate
// now and then, and every 16 MiB a cut of 100 bytes that the check must find its way past.
std::string MakeBenchFile(bool plain) {
  const std::string file =
      (std::filesystem::temp_directory_path() / ("pelorus-ts-bench-" + std::to_string(getpid()) +
                                                 (plain ? "-plain" : "-broadcast") + ".m2t"))
          .string();
  std::vector<uint8_t> block(188 * 5577);
  unsigned counters[8192] = {};
  uint64_t packetNumber = 0;
  const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  for (uint64_t written = 0; written < FileBytes();) {
    size_t length = block.size();
    for (size_t p = 0; p < block.size() / 188; ++p, ++packetNumber) {
      uint8_t* packet = block.data() + p * 188;
      if (plain) {
        const unsigned stream = static_cast<unsigned>(p % 4);
        FillPacket(packet, 0x01 + stream, counters[stream]++, false);
        continue;
      }
      const unsigned kind = static_cast<unsigned>(packetNumber % 20);
      const unsigned pid = kind < 14 ? 0x200 : kind < 16 ? 0x281 : kind < 17 ? 0x00 : 0x1FFF;
      const bool adaptationOnly = pid == 0x200 && packetNumber % 97 == 0;
      // Now and then the second audio packet of a round repeats the first, byte for byte.
      const bool duplicate = packetNumber % 1000 == 15 && p > 0;
      if (duplicate) {
        std::memcpy(packet, packet - 188, 188);
        continue;
      }
      FillPacket(packet, pid, adaptationOnly ? counters[pid] - 1 : counters[pid]++, adaptationOnly);
    }
    if (!plain && written % (uint64_t{16} << 20) < block.size()) {
      // The cut: 100 bytes out of the middle of a packet.
      std::memmove(block.data() + 1000, block.data() + 1100, block.size() - 1100);
      length -= 100;
    }
    const size_t chunk = static_cast<size_t>(std::min<uint64_t>(length, FileBytes() - written));
    if (::write(fd, block.data(), chunk) != static_cast<ssize_t>(chunk)) std::abort();
    written += chunk;
  }
  ::close(fd);
  return file;
}

struct BenchFiles {
  std::string plain = MakeBenchFile(true);
  std::string broadcast = MakeBenchFile(false);
  ~BenchFiles() {
    std::filesystem::remove(plain);
    std::filesystem::remove(broadcast);
  }
};

const BenchFiles& Files() {
  static const BenchFiles files;
  return files;
}

const std::string& BenchFile() { return Files().plain; }

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
  // Page-aligned, as the fastest plain read has it: the kernel copies into such memory several
  // times faster than into an ordinary allocation, which starts 16 bytes into a page.
  std::unique_ptr<uint8_t, decltype(&std::free)> buffer(
      static_cast<uint8_t*>(std::aligned_alloc(4096, 1 << 20)), &std::free);
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

void BM_TsCheckBroadcastLikeFile(benchmark::State& state) {
  const std::string& path = Files().broadcast;
  uint64_t skipped = 0;
  uint64_t errors = 0;
  for (auto _ : state) {
    pelorus::TsStatistics stats;
    if (pelorus::ReadTsFile(path, stats, nullptr) != pelorus::TsReadResult::kDone) std::abort();
    skipped = stats.SkippedBytes();
    errors = 0;
    for (uint16_t pid = 0; pid < pelorus::ts::kPidCount; ++pid) {
      errors += stats.PidContinuityErrors(pid);
    }
  }
  state.counters["skipped_bytes"] = static_cast<double>(skipped);
  state.counters["continuity_errors"] = static_cast<double>(errors);
  state.SetBytesProcessed(
      static_cast<int64_t>(state.iterations() * std::filesystem::file_size(path)));
}

// The reads first, so that the checks run on files already in the page cache.
BENCHMARK(BM_TsReadOnly1MiB)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TsCheckFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TsCheckBroadcastLikeFile)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
