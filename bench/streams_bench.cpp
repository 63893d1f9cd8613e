// The multi-PID recorder against the stand-in receiver at transponder rates, and the TS->ES
// conversion on its own. The recorder cases run once each for their full time and report what
// the recorder and the receiver lost; they belong here rather than in the test suite.
#include <benchmark/benchmark.h>

#include <array>
#include <memory>
#include <regex>
#include <string>
#include <thread>

#include "common/run_output.h"
#include "scsi/receiver_commands.h"
#include "scsi/scsi_scan.h"
#include "scsi/stream_primitives.h"
#include "streams/multi_pid_recorder.h"
#include "streams/ts_to_es.h"
#include "support/fake_ui.h"
#include "support/sim_process.h"
#include "support/temp_dir.h"

namespace {

using namespace pelorus;

// Packets the receiver's own stream queues lost, summed over the last loss line of its log.
uint64_t ReceiverLosses(const std::string& log) {
  const size_t line = log.rfind("stream loss");
  if (line == std::string::npos) return 0;
  const std::string last = log.substr(line, log.find('\n', line) - line);
  uint64_t total = 0;
  static const std::regex kLost("lost (\\d+)");
  for (std::sregex_iterator it(last.begin(), last.end(), kLost), end; it != end; ++it) {
    total += std::stoull((*it)[1]);
  }
  return total;
}

// Records the receiver's current service for `seconds`, ticking as the dialog does; with a
// stall, the writer sleeps that long once after the first second.
void RecordFromReceiver(benchmark::State& state, const char* rate, int seconds,
                        std::chrono::milliseconds stall) {
  testing::TempDir dir;
  testing::ScsiSimProcess sim(dir, {"--rate", rate});
  EditorState editor;
  editor.links.scsi = sim.Link();
  testing::FakeUi ui;
  ScsiScan(editor, ui);
  if (!editor.aspiModule) {
    state.SkipWithError("no receiver");
    return;
  }
  ScsiTransport& transport = *editor.aspiModule;
  std::array<uint8_t, kCurrentServiceSize> block{};
  ExecScsiCommandFully(transport, ReadMemoryBlock(kCurrentServiceAddress, kCurrentServiceSize),
                       ScsiDirection::kIn, block);
  const std::optional<CurrentService> service = ParseCurrentService(block);
  if (!service) {
    state.SkipWithError("no current service");
    return;
  }
  for (auto _ : state) {
    RunOutput output(dir.File("bench.m2t"), 188);
    if (!output.Open()) {
      state.SkipWithError("no output file");
      return;
    }
    SetScsiBusy(transport, true);
    MultiPidRecorder recorder(transport, output, PlanRecording(*service, false, 0, false));
    recorder.WriteHeader();
    recorder.Start();
    for (int tick = 0; tick < seconds * 4; ++tick) {
      std::this_thread::sleep_for(MultiPidRecorder::kTick);
      if (tick == 4 && stall.count() > 0) recorder.StallWriterOnce(stall);
      recorder.Tick();
    }
    const RunResult result = recorder.Stop();
    output.Finish();
    if (result.Failed()) state.SkipWithError(result.message.c_str());
    const RecordStats stats = recorder.Stats();
    state.counters["captured_MB"] = static_cast<double>(stats.bytesCaptured) / 1048576.0;
    state.counters["recorder_dropped"] = static_cast<double>(stats.dropped);
    state.counters["continuity_errors"] = static_cast<double>(stats.continuityErrors);
    state.counters["polls"] = stats.polls;
    state.SetBytesProcessed(static_cast<int64_t>(stats.bytesCaptured));
  }
  sim.Stop();
  state.counters["receiver_lost"] = static_cast<double>(ReceiverLosses(sim.Log()));
}

void BM_RecorderAt100Mbit30s(benchmark::State& state) {
  RecordFromReceiver(state, "100000000", 30, std::chrono::milliseconds(0));
}
BENCHMARK(BM_RecorderAt100Mbit30s)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

void BM_RecorderAt38MbitWithWriterStall(benchmark::State& state) {
  RecordFromReceiver(state, "38000000", 6, std::chrono::milliseconds(1000));
}
BENCHMARK(BM_RecorderAt38MbitWithWriterStall)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

void BM_TsToEs(benchmark::State& state) {
  std::vector<uint8_t> read(32 * 188, 0xAB);
  for (size_t i = 0; i < 32; ++i) {
    uint8_t* packet = read.data() + i * 188;
    packet[0] = 0x47;
    packet[1] = i % 8 == 0 ? 0x42 : 0x02;
    packet[2] = 0x00;
    packet[3] = static_cast<uint8_t>(0x10 | (i & 15));
    packet[12] = 5;
  }
  std::vector<uint8_t> out(read.size());
  for (auto _ : state) benchmark::DoNotOptimize(ConvertTsToEs(read, 0x200, out));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * read.size()));
}
BENCHMARK(BM_TsToEs);

}  // namespace
