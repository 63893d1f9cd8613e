#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <thread>

#include "common/editor_state.h"
#include "stream_receiver.h"
#include "streams/continuity.h"
#include "streams/messages.h"
#include "streams/multi_pid_recorder.h"
#include "streams/record_command.h"
#include "support/fake_ui.h"
#include "support/temp_dir.h"

namespace pelorus {
namespace {

using testing::MemorySink;
using testing::StreamReceiver;

RecorderPlan ThreeSlots(bool waitPcr) {
  return PlanRecording({0x100, 0x101, 0x102}, false, 0, waitPcr);
}

// Packets per PID in a file of whole packets, and the continuity errors the file shows.
struct FileSummary {
  std::map<uint16_t, int> packets;
  int continuityErrors = 0;
};
FileSummary Summarise(const std::vector<uint8_t>& file) {
  FileSummary summary;
  ContinuityChecker checker;
  for (size_t i = 0; i + 188 <= file.size(); i += 188) {
    const ts::Packet packet(file.data() + i, 188);
    ++summary.packets[ts::Pid(packet)];
    summary.continuityErrors += checker.Check(packet);
  }
  return summary;
}

TEST(MultiPidRecorderTest, RecordsEverySlotWithPsiAndStopsTheStream) {
  StreamReceiver receiver;
  receiver.readDelay = std::chrono::microseconds(200);
  MemorySink sink;
  MultiPidRecorder recorder(receiver, sink, ThreeSlots(false));
  ASSERT_TRUE(recorder.WriteHeader());
  ASSERT_TRUE(recorder.Start());
  for (int tick = 0; tick < 4; ++tick) {
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    const RecorderDisplay display = recorder.Tick();
    EXPECT_FALSE(display.ended);
    if (tick == 3) {
      EXPECT_EQ(display.runningTime, "00:00:01");
      EXPECT_FALSE(display.rate.empty());
    } else {
      EXPECT_TRUE(display.runningTime.empty());
    }
  }
  recorder.Stop();
  EXPECT_EQ(receiver.stops, 1);
  const RecordStats stats = recorder.Stats();
  const std::vector<uint8_t> file = sink.Data();
  ASSERT_EQ(file.size() % 188, 0u);
  EXPECT_EQ(file[0], 0x47);
  EXPECT_EQ(file[2], 0x00);        // the PAT first
  EXPECT_EQ(file[188 + 2], 0x20);  // then the PMT
  const FileSummary summary = Summarise(file);
  EXPECT_EQ(summary.continuityErrors, 0);
  EXPECT_EQ(stats.continuityErrors, 0u);
  EXPECT_GT(summary.packets.at(0x100), 32);
  // The stop let the video run on to its next unit start (every fourth packet here).
  EXPECT_EQ(summary.packets.at(0x100) % 4, 0);
  EXPECT_GT(summary.packets.at(0x101), 1);
  EXPECT_GT(summary.packets.at(0x102), 1);
  EXPECT_GE(summary.packets.at(0x0000), 2);  // at start and after ticks
  // Everything captured reached the file, and the ring was drained.
  EXPECT_EQ(stats.bytesCaptured / 188,
            static_cast<uint64_t>(summary.packets.at(0x100) + summary.packets.at(0x101) +
                                  summary.packets.at(0x102)));
  EXPECT_EQ(stats.ringFill, 0u);
  EXPECT_EQ(stats.dropped, 0u);
  EXPECT_GT(stats.polls, 0);
  // Set-up of three slots, each with mode 6, slot 0 read 32 packets at a time.
  const auto commands = receiver.Commands();
  ASSERT_GE(commands.size(), 2u);
  EXPECT_EQ(commands.front(),
            (std::vector<uint8_t>{0x3E, 0,    0,    0,    0,    0,    0,    0,    18,   0,
                                  0x01, 0x00, 0x17, 0x80, 0,    6,    0x01, 0x01, 0x00, 0xBC,
                                  0,    6,    0x01, 0x02, 0x00, 0xBC, 0,    6}));
  EXPECT_EQ(commands.back(), (std::vector<uint8_t>{0x3E, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(MultiPidRecorderTest, WaitsForEntryPointsAndCountsLostSync) {
  StreamReceiver receiver;
  receiver.readDelay = std::chrono::microseconds(200);
  receiver.badSyncEvery = 7;
  MemorySink sink;
  MultiPidRecorder recorder(receiver, sink, PlanRecording({0x100, 0x101, 0x100}, false, 0, true));
  ASSERT_TRUE(recorder.Start());
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  recorder.Stop();
  const std::vector<uint8_t> file = sink.Data();
  ASSERT_GT(file.size(), 188u);
  EXPECT_GT(recorder.Stats().syncErrors, 0u);
  // Each PID's first recorded packet is an entry point: unit start and PCR.
  std::map<uint16_t, bool> seen;
  for (size_t i = 0; i + 188 <= file.size(); i += 188) {
    const ts::Packet packet(file.data() + i, 188);
    const uint16_t pid = ts::Pid(packet);
    if (!ts::HasSync(packet) || seen[pid]) continue;
    seen[pid] = true;
    EXPECT_TRUE(ts::UnitStart(packet)) << pid;
    if (pid == 0x100) {
      EXPECT_TRUE(ts::CarriesPcr(packet));
    }
  }
  EXPECT_TRUE(seen[0x100] && seen[0x101]);
}

TEST(MultiPidRecorderTest, FullRingDropsWithoutOverwriting) {
  StreamReceiver receiver;
  MemorySink sink;
  MultiPidRecorder recorder(receiver, sink, ThreeSlots(false), 64);
  recorder.StallWriterOnce(std::chrono::milliseconds(300));
  ASSERT_TRUE(recorder.Start());
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
  const RecorderDisplay display = recorder.Tick();
  EXPECT_LE(display.stats.ringFill, 64u);
  recorder.Stop();
  const RecordStats stats = recorder.Stats();
  EXPECT_GT(stats.dropped, 0u);
  // What was kept reached the file whole, in order: only the dropped packets leave gaps.
  const FileSummary summary = Summarise(sink.Data());
  uint64_t recorded = 0;
  for (const auto& [pid, count] : summary.packets) {
    if (pid != 0 && pid != 0x20) recorded += static_cast<uint64_t>(count);
  }
  EXPECT_EQ(recorded * 188, stats.bytesCaptured);
  EXPECT_EQ(stats.continuityErrors, static_cast<uint64_t>(summary.continuityErrors));
}

TEST(MultiPidRecorderTest, FullDiskEndsTheRecordingWithWholePackets) {
  StreamReceiver receiver;
  receiver.readDelay = std::chrono::microseconds(200);
  MemorySink sink;
  sink.failAfter = 188 * 100 + 77;
  MultiPidRecorder recorder(receiver, sink, ThreeSlots(false));
  ASSERT_TRUE(recorder.WriteHeader());
  ASSERT_TRUE(recorder.Start());
  bool ended = false;
  for (int i = 0; i < 100 && !ended; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ended = recorder.Tick().ended;
  }
  EXPECT_TRUE(ended);
  // The recording stopped the stream by itself; Stop only joins.
  for (int i = 0; i < 100 && receiver.stops == 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  recorder.Stop();
  EXPECT_EQ(receiver.stops, 1);
  EXPECT_EQ(sink.Data().size(), 188u * 100);
  EXPECT_TRUE(recorder.Stats().writeFailed);
}

TEST(MultiPidRecorderTest, RefusedSetupStartsNothing) {
  StreamReceiver receiver;
  receiver.setupStatus = kScsiError;
  MemorySink sink;
  MultiPidRecorder recorder(receiver, sink, ThreeSlots(false));
  EXPECT_FALSE(recorder.Start());
  recorder.Stop();
  EXPECT_EQ(receiver.reads, 0);
}

class RecordCommandTest : public ::testing::Test {
 protected:
  RecordCommandTest() {
    receiver = std::make_shared<StreamReceiver>();
    receiver->readDelay = std::chrono::microseconds(200);
    receiver->SetService(0x100, 0x101, 0x1FFF);
    state.aspiModule = receiver;
  }
  bool Run(const std::function<void(RecordDialogRequest&)>& edit) {
    return RecordMultiPid(
        state, ui, ac3Pid,
        [&](RecordDialogRequest& request) {
          shown = request;
          request.file.path = dir.File("out.m2t");
          edit(request);
          return true;
        },
        [&](MultiPidRecorder& recorder) {
          ran = true;
          std::this_thread::sleep_for(std::chrono::milliseconds(50));
          recorder.Tick();
        });
  }

  std::shared_ptr<StreamReceiver> receiver;
  EditorState state;
  testing::FakeUi ui;
  testing::TempDir dir;
  uint16_t ac3Pid = 0;
  RecordDialogRequest shown;
  bool ran = false;
};

TEST_F(RecordCommandTest, RecordsTheCurrentServiceInTwoSlots) {
  ASSERT_TRUE(Run([](RecordDialogRequest& request) { request.scsiBusy = true; }));
  EXPECT_TRUE(ui.calls.empty());
  EXPECT_EQ(shown.videoPidText, "0x0100");
  EXPECT_EQ(shown.pcrPidText, "0x0100");
  EXPECT_EQ(shown.ac3PidText, "0x0102");  // the audio PID + 1
  EXPECT_EQ(state.options.scsiBusy, 1u);
  const auto commands = receiver->Commands();
  ASSERT_GE(commands.size(), 4u);
  EXPECT_EQ(commands[0][0], 0x3C);  // the current service
  EXPECT_EQ(commands[1],
            (std::vector<uint8_t>{0x3B, 0x05, 0x01, 0x00, 0xFF, 0xEA, 0, 0, 2, 0, 0x00, 0x00}));
  EXPECT_EQ(commands[2][8], 12);  // two slots
  const std::vector<uint8_t> file = testing::ReadBytes(dir.File("out.m2t"));
  ASSERT_GT(file.size(), 376u);
  EXPECT_EQ(file.size() % 188, 0u);
  EXPECT_EQ(file[188 + 13], 0xE1);  // the PMT names the video PID as PCR PID
  EXPECT_EQ(file[188 + 14], 0x00);
}

TEST_F(RecordCommandTest, RefusesBadAc3PidAndPidsBeforeSendingAnything) {
  EXPECT_FALSE(Run([](RecordDialogRequest& request) {
    request.ac3 = true;
    request.ac3PidText = "0x12G";
  }));
  ASSERT_EQ(ui.calls.size(), 1u);
  EXPECT_EQ(ui.calls[0], "message stop: The AC3 PID \"0x12G\" is not a number");
  EXPECT_EQ(receiver->Commands().size(), 1u);  // the current-service read only
  EXPECT_FALSE(ran);

  ui.calls.clear();
  receiver->SetService(0x2100, 0x101, 0x102);
  EXPECT_FALSE(Run([](RecordDialogRequest&) {}));
  ASSERT_EQ(ui.calls.size(), 1u);
  EXPECT_EQ(ui.calls[0], "message stop: PID 0x2100 is out of range: PIDs run from 0 to 0x1FFF");
}

TEST_F(RecordCommandTest, RefusedSetupAndUnwritableFileAreReported) {
  receiver->setupStatus = kScsiError;
  EXPECT_FALSE(Run([](RecordDialogRequest&) {}));
  ASSERT_EQ(ui.calls.size(), 1u);
  EXPECT_EQ(ui.calls[0], std::string("message stop: ") + msg::streams::kSetupPidStreamFailed);
  ui.calls.clear();
  EXPECT_FALSE(
      Run([&](RecordDialogRequest& request) { request.file.path = dir.File("missing/out.m2t"); }));
  ASSERT_EQ(ui.calls.size(), 1u);
  EXPECT_EQ(ui.calls[0],
            std::string("message information: ") + msg::streams::kUnableToOpenForOutput);
}

}  // namespace
}  // namespace pelorus
