// Reading 10,000 channels from the simulator over a pseudo-terminal, without --throttle.
#include <benchmark/benchmark.h>

#include <chrono>

#include "serial/serial_link.h"
#include "serial/serial_timing.h"
#include "serial/settings_serial.h"
#include "support/fake_ui.h"
#include "support/records.h"
#include "support/sim_process.h"
#include "support/temp_dir.h"

namespace {

using namespace std::chrono_literals;

constexpr int kChannels = 10000;
// "CBEG" and a one-byte command, twice, each byte followed by the 100 ms SlowSend pause.
constexpr double kFixedPausesSeconds = 10 * 0.100;

void ReadChannels(benchmark::State& benchState, std::chrono::milliseconds tick) {
  pelorus::testing::TempDir dir;
  std::vector<pelorus::ChannelRecord> records;
  for (int i = 0; i < kChannels; ++i) {
    records.push_back(pelorus::testing::MakeChannel("Channel " + std::to_string(i),
                                                    static_cast<uint16_t>(10700 + i % 2000)));
  }
  pelorus::testing::WriteBytes(dir.File("receiver.dvb"), pelorus::testing::FileBytes(records));
  pelorus::testing::SimProcess sim(dir, {"--channels", dir.File("receiver.dvb")});
  if (!sim.Running()) {
    benchState.SkipWithError("the simulator did not start");
    return;
  }
  pelorus::SetSerialTickForTesting(tick);
  pelorus::testing::FakeUi ui;
  pelorus::SerialLink link(ui);
  double seconds = 0;
  for (auto _ : benchState) {
    pelorus::EditorState state;
    state.links.serialPort = sim.Port();
    const auto start = std::chrono::steady_clock::now();
    const bool read = pelorus::ReadSettingsSerial(state, link);
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!read || state.ChannelCount() != kChannels) benchState.SkipWithError("read failed");
  }
  pelorus::SetSerialTickForTesting(250ms);
  const double perRead = seconds / static_cast<double>(benchState.iterations());
  const double pauses = kFixedPausesSeconds * static_cast<double>(tick.count()) / 250.0;
  benchState.counters["beyond_fixed_pauses_s"] = perRead - pauses;
  benchState.SetBytesProcessed(benchState.iterations() * kChannels * 64);
}

void BM_SerialReadTenThousandChannels(benchmark::State& state) { ReadChannels(state, 250ms); }
// The same read with the pauses and time-outs shrunk 25 times: mostly the transfer itself.
void BM_SerialReadTenThousandChannelsShortTick(benchmark::State& state) {
  ReadChannels(state, 10ms);
}

BENCHMARK(BM_SerialReadTenThousandChannels)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_SerialReadTenThousandChannelsShortTick)
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
