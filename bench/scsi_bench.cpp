// Bulk SCSI transfers from the stand-in receiver through its socket: the full channel table
// and a 16 MiB memory dump. Bytes per second are reported as the transfer rate.
#include <benchmark/benchmark.h>

#include <memory>

#include "scsi/memory_dump.h"
#include "scsi/scsi_scan.h"
#include "scsi/settings_transfer.h"
#include "support/fake_ui.h"
#include "support/records.h"
#include "support/sim_process.h"
#include "support/temp_dir.h"

namespace {

using pelorus::EditorState;

// One simulator for all cases, seeded with a full table of 65536 channels.
struct Receiver {
  pelorus::testing::TempDir dir;
  std::unique_ptr<pelorus::testing::ScsiSimProcess> sim;
  EditorState state;

  Receiver() {
    std::vector<pelorus::ChannelRecord> records(65536,
                                                pelorus::testing::MakeChannel("Benchmark", 11778));
    pelorus::testing::WriteBytes(dir.File("full.dvb"), pelorus::testing::FileBytes(records));
    sim = std::make_unique<pelorus::testing::ScsiSimProcess>(
        dir, std::vector<std::string>{"--channels", dir.File("full.dvb")});
    state.links.scsi = sim->Link();
    pelorus::testing::FakeUi ui;
    pelorus::ScsiScan(state, ui);
  }
};

Receiver& TheReceiver() {
  static Receiver receiver;
  return receiver;
}

void BM_ReadFullChannelTable(benchmark::State& bench) {
  Receiver& receiver = TheReceiver();
  if (!receiver.state.aspiModule) {
    bench.SkipWithError("the simulator was not found");
    return;
  }
  for (auto _ : bench) {
    EditorState state;
    state.aspiModule = receiver.state.aspiModule;
    pelorus::testing::FakeUi ui;
    if (!pelorus::ReadSettingsScsi(state, ui) || state.ChannelCount() != 65536) {
      bench.SkipWithError("the read failed");
      return;
    }
  }
  bench.SetBytesProcessed(static_cast<int64_t>(bench.iterations()) * 65536 * 64);
}
BENCHMARK(BM_ReadFullChannelTable)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_DumpSixteenMebibytes(benchmark::State& bench) {
  Receiver& receiver = TheReceiver();
  if (!receiver.state.aspiModule) {
    bench.SkipWithError("the simulator was not found");
    return;
  }
  EditorState state;
  state.aspiModule = receiver.state.aspiModule;
  state.options.readStartAddress = 0x02000000;
  state.options.readLength = 16 << 20;
  const std::string path = receiver.dir.File("dump.mem");
  for (auto _ : bench) {
    pelorus::testing::FakeUi ui;
    if (!pelorus::ReadMemoryToFile(state, ui, path)) {
      bench.SkipWithError("the dump failed");
      return;
    }
  }
  bench.SetBytesProcessed(static_cast<int64_t>(bench.iterations()) * (16 << 20));
}
BENCHMARK(BM_DumpSixteenMebibytes)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
