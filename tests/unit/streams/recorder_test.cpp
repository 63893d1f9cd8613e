#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <map>
#include <memory>
#include <thread>

#include "common/editor_state.h"
#include "common/run_output.h"
#include "stream_receiver.h"
#include "streams/continuity.h"
#include "streams/messages.h"
#include "streams/multi_pid_recorder.h"
#include "streams/record_command.h"
#include "support/fake_ui.h"
#include "support/temp_dir.h"

namespace pelorus {
namespace {

using namespace std::chrono_literals;
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

// Waits until the recording ends by itself, at most `limit`.
bool WaitForEnd(MultiPidRecorder& recorder, std::chrono::milliseconds limit) {
  return recorder.worker().WaitFor(limit);
}

class MultiPidRecorderTest : public ::testing::Test {
 protected:
  MultiPidRecorderTest() { receiver.readDelay = 200us; }
  std::string Out() const { return dir.File("out.m2t"); }
  std::vector<uint8_t> File() const { return testing::ReadBytes(Out()); }

  StreamReceiver receiver;
  testing::TempDir dir;
};

TEST_F(MultiPidRecorderTest, RecordsEverySlotWithPsiAndStopsTheStream) {
  RunOutput output(Out(), 188);
  ASSERT_TRUE(output.Open());
  MultiPidRecorder recorder(receiver, output, ThreeSlots(false));
  ASSERT_TRUE(recorder.WriteHeader());
  ASSERT_TRUE(recorder.Start());
  for (int tick = 0; tick < 4; ++tick) {
    std::this_thread::sleep_for(100ms);
    const RecorderDisplay display = recorder.Tick();
    EXPECT_FALSE(display.ended);
    if (tick == 3) {
      EXPECT_EQ(display.runningTime, "00:00:01");
      EXPECT_FALSE(display.rate.empty());
    } else {
      EXPECT_TRUE(display.runningTime.empty());
    }
  }
  const RunResult result = recorder.Stop();
  EXPECT_EQ(result.outcome, RunOutcome::kStopped);
  EXPECT_TRUE(recorder.Tick().ended);
  EXPECT_EQ(receiver.stops, 1);
  ASSERT_EQ(output.Finish(), RunOutput::Ending::kReplaced);
  const RecordStats stats = recorder.Stats();
  const std::vector<uint8_t> file = File();
  ASSERT_EQ(file.size() % 188, 0u);
  EXPECT_EQ(file.size(), output.FileBytes());
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
  // At the start and again every 250 ms of the 400 the recording ran.
  EXPECT_GE(summary.packets.at(0x0000), 2);
  EXPECT_EQ(summary.packets.at(0x0000), summary.packets.at(0x0020));
  // Everything captured reached the file, and the ring was drained.
  const uint64_t recorded = static_cast<uint64_t>(
      summary.packets.at(0x100) + summary.packets.at(0x101) + summary.packets.at(0x102));
  EXPECT_EQ(stats.bytesCaptured / 188, recorded);
  EXPECT_EQ(output.DataBytes() / 188, recorded);
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

TEST_F(MultiPidRecorderTest, WaitsForEntryPointsAndCountsLostSync) {
  receiver.badSyncEvery = 7;
  RunOutput output(Out(), 188);
  ASSERT_TRUE(output.Open());
  MultiPidRecorder recorder(receiver, output, PlanRecording({0x100, 0x101, 0x100}, false, 0, true));
  ASSERT_TRUE(recorder.Start());
  std::this_thread::sleep_for(100ms);
  // Lost sync is counted, not a reason to end the recording.
  EXPECT_FALSE(recorder.Ended());
  EXPECT_EQ(recorder.Stop().outcome, RunOutcome::kStopped);
  ASSERT_EQ(output.Finish(), RunOutput::Ending::kReplaced);
  const std::vector<uint8_t> file = File();
  ASSERT_GT(file.size(), 188u);
  EXPECT_GT(recorder.Stats().syncErrors, 0u);
  // Each PID's first recorded packet is an entry point: unit start, and the PCR on the PID
  // that carries it.
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

TEST_F(MultiPidRecorderTest, FullRingDropsWithoutOverwriting) {
  receiver.readDelay = 0us;
  RunOutput output(Out(), 188);
  ASSERT_TRUE(output.Open());
  MultiPidRecorder recorder(receiver, output, ThreeSlots(false), 64);
  recorder.StallWriterOnce(300ms);
  ASSERT_TRUE(recorder.Start());
  std::this_thread::sleep_for(150ms);
  const RecorderDisplay display = recorder.Tick();
  EXPECT_LE(display.stats.ringFill, 64u);
  recorder.Stop();
  ASSERT_EQ(output.Finish(), RunOutput::Ending::kReplaced);
  const RecordStats stats = recorder.Stats();
  EXPECT_GT(stats.dropped, 0u);
  // What was kept reached the file whole, in order: only the dropped packets leave gaps.
  const FileSummary summary = Summarise(File());
  uint64_t recorded = 0;
  for (const auto& [pid, count] : summary.packets) {
    if (pid != 0 && pid != 0x20) recorded += static_cast<uint64_t>(count);
  }
  EXPECT_EQ(recorded * 188, stats.bytesCaptured);
  EXPECT_EQ(stats.continuityErrors, static_cast<uint64_t>(summary.continuityErrors));
}

TEST_F(MultiPidRecorderTest, ALostOrSilentReceiverEndsTheRunAtOnceAndKeepsWhatArrived) {
  for (const LinkProblem problem : {LinkProblem::kLost, LinkProblem::kSilent}) {
    receiver.reads = 0;
    receiver.loseLinkAtRead = 10;
    receiver.lostAs = problem;
    RunOutput output(Out(), 188);
    ASSERT_TRUE(output.Open());
    MultiPidRecorder recorder(receiver, output, ThreeSlots(false));
    ASSERT_TRUE(recorder.WriteHeader());
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(recorder.Start());
    ASSERT_TRUE(WaitForEnd(recorder, 2s));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
    const RunResult result = recorder.Stop();
    ASSERT_TRUE(result.Failed());
    EXPECT_EQ(result.message, msg::streams::kStreamLost);
    // Three rounds of three slots arrived: 32 + 1 + 1 packets each.
    EXPECT_EQ(output.DataBytes(), 3u * 34 * 188);
    const std::string reason = problem == LinkProblem::kSilent
                                   ? "rx: the receiver did not answer"
                                   : "rx: the receiver closed the connection";
    EXPECT_EQ(result.detail, reason + "; 102 packets (19 KB) kept in " + Out());
    ASSERT_EQ(output.Finish(), RunOutput::Ending::kReplaced);
    EXPECT_EQ(File().size(), output.FileBytes());
    EXPECT_EQ(File().size() % 188, 0u);
  }
}

TEST_F(MultiPidRecorderTest, AStreamTakenOverByAnotherProgramEndsTheRun) {
  // From the fifth read on, every slot delivers the PID after its own.
  receiver.otherPidAtRead = 5;
  RunOutput output(Out(), 188);
  ASSERT_TRUE(output.Open());
  MultiPidRecorder recorder(receiver, output, ThreeSlots(false));
  ASSERT_TRUE(recorder.Start());
  ASSERT_TRUE(WaitForEnd(recorder, 2s));
  const RunResult result = recorder.Stop();
  ASSERT_TRUE(result.Failed());
  EXPECT_EQ(result.message, msg::streams::kStreamChanged);
  EXPECT_EQ(result.detail.rfind("slot 1 delivered PID 0x0102 where 0x0101 was asked for; ", 0), 0u)
      << result.detail;
  ASSERT_EQ(output.Finish(), RunOutput::Ending::kReplaced);
  // Only what came before: one round and the video of the second, each packet of its own slot.
  const FileSummary summary = Summarise(File());
  EXPECT_EQ(summary.packets.at(0x100), 64);
  EXPECT_EQ(summary.packets.at(0x101), 1);
  EXPECT_EQ(summary.packets.at(0x102), 1);
}

TEST_F(MultiPidRecorderTest, NothingReceivedIsAFailureThatLeavesTheOldFile) {
  testing::WriteBytes(Out(), {'o', 'l', 'd'});
  receiver.readStatus = kScsiError;  // every read refused, as a receiver without a signal does
  RunOutput output(Out(), 188);
  ASSERT_TRUE(output.Open());
  MultiPidRecorder recorder(receiver, output, ThreeSlots(false));
  ASSERT_TRUE(recorder.WriteHeader());
  ASSERT_TRUE(recorder.Start());
  std::this_thread::sleep_for(300ms);  // long enough for the tables to go in again
  EXPECT_FALSE(recorder.Ended());      // refused reads are skipped
  const RunResult result = recorder.Stop();
  ASSERT_TRUE(result.Failed());
  EXPECT_EQ(result.message,
            "Nothing was received from the receiver: " + Out() + " was left as it was");
  EXPECT_EQ(output.Finish(), RunOutput::Ending::kNoData);
  EXPECT_EQ(File(), (std::vector<uint8_t>{'o', 'l', 'd'}));
  EXPECT_EQ(receiver.stops, 1);
}

TEST_F(MultiPidRecorderTest, FullDiskEndsTheRecordingWithWholePackets) {
  const pid_t child = ::fork();
  if (child == 0) {
    // A file size limit stands in for a disk that fills up, in a child so nothing else feels it.
    ::signal(SIGXFSZ, SIG_IGN);
    // Room for the tables and two of the largest writes, whatever the writer's timing makes of
    // its batches, and a part packet more.
    constexpr rlim_t kLimit = 188 * (2 + 2 * MultiPidRecorder::kMaxPacketsPerWrite) + 77;
    rlimit limit{kLimit, kLimit};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    RunOutput output(Out(), 188);
    if (!output.Open()) ::_exit(10);
    MultiPidRecorder recorder(receiver, output, ThreeSlots(false));
    if (!recorder.WriteHeader() || !recorder.Start()) ::_exit(11);
    if (!WaitForEnd(recorder, 5s)) ::_exit(12);
    const RunResult result = recorder.Stop();
    if (result.message != "Unable to write file " + Out()) ::_exit(13);
    if (result.detail.find("File too large") == std::string::npos) ::_exit(14);
    if (output.Finish() != RunOutput::Ending::kReplaced) ::_exit(15);
    if (receiver.stops != 1) ::_exit(16);
    // Whole packets only, as many as the writes that fitted whole, and the count is the file.
    const uint64_t bytes = output.FileBytes();
    if (bytes % 188 != 0 || bytes > kLimit || bytes < 3 * 188) ::_exit(17);
    ::_exit(testing::ReadBytes(Out()).size() == bytes ? 0 : 18);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(File().size() % 188, 0u);
}

TEST_F(MultiPidRecorderTest, RefusedSetupStartsNothing) {
  receiver.setupStatus = kScsiError;
  RunOutput output(Out(), 188);
  ASSERT_TRUE(output.Open());
  MultiPidRecorder recorder(receiver, output, ThreeSlots(false));
  EXPECT_FALSE(recorder.Start());
  EXPECT_FALSE(recorder.Stop().Failed());
  EXPECT_EQ(receiver.reads, 0);
}

class RecordCommandTest : public ::testing::Test {
 protected:
  RecordCommandTest() {
    receiver = std::make_shared<StreamReceiver>();
    receiver->readDelay = 200us;
    receiver->SetService(0x100, 0x101, 0x1FFF);
    state.aspiModule = receiver;
  }
  RecordOutcome Run(const std::function<void(RecordDialogRequest&)>& edit,
                    std::chrono::milliseconds runFor = 50ms) {
    return RecordMultiPid(
        state, ui, ac3Pid,
        [&](RecordDialogRequest& request) {
          shown = request;
          request.file.path = Out();
          edit(request);
          return true;
        },
        [&](MultiPidRecorder& recorder) {
          ran = true;
          recorder.worker().WaitFor(runFor);
          recorder.Tick();
        });
  }
  std::string Out() const { return dir.File("out.m2t"); }

  std::shared_ptr<StreamReceiver> receiver;
  EditorState state;
  testing::FakeUi ui;
  testing::TempDir dir;
  uint16_t ac3Pid = 0;
  RecordDialogRequest shown;
  bool ran = false;
};

const std::vector<uint8_t> kOldRecording = {'o', 'l', 'd'};

TEST_F(RecordCommandTest, RecordsTheCurrentServiceInTwoSlots) {
  const RecordOutcome outcome = Run([](RecordDialogRequest& request) { request.scsiBusy = true; });
  EXPECT_EQ(outcome.result.outcome, RunOutcome::kStopped);
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
  const std::vector<uint8_t> file = testing::ReadBytes(Out());
  ASSERT_GT(file.size(), 376u);
  EXPECT_EQ(file.size() % 188, 0u);
  EXPECT_EQ(file.size(), outcome.bytesInFile);
  EXPECT_EQ(file[188 + 13], 0xE1);  // the PMT names the video PID as PCR PID
  EXPECT_EQ(file[188 + 14], 0x00);
}

TEST_F(RecordCommandTest, RefusesBadAc3PidAndPidsBeforeSendingAnything) {
  struct Case {
    const char* text;
    const char* message;
  };
  const Case cases[] = {
      {"0x12G", "The AC3 PID \"0x12G\" is not a number"},
      {"0x", "The AC3 PID \"0x\" is not a number"},
      {"12abc", "The AC3 PID \"12abc\" is not a number"},
      {"0x2000", "The AC3 PID 0x2000 is out of range: PIDs run from 0 to 0x1FFF"},
      {"8192", "The AC3 PID 8192 is out of range: PIDs run from 0 to 0x1FFF"},
  };
  for (const Case& c : cases) {
    ui.calls.clear();
    receiver->commands.clear();
    EXPECT_TRUE(Run([&](RecordDialogRequest& request) {
                  request.ac3 = true;
                  request.ac3PidText = c.text;
                }).result.Failed());
    ASSERT_EQ(ui.calls.size(), 1u);
    EXPECT_EQ(ui.calls[0], std::string("message stop: ") + c.message);
    EXPECT_EQ(receiver->Commands().size(), 1u);  // the current-service read only
  }
  EXPECT_FALSE(ran);

  ui.calls.clear();
  receiver->SetService(0x2100, 0x101, 0x102);
  EXPECT_TRUE(Run([](RecordDialogRequest&) {}).result.Failed());
  ASSERT_EQ(ui.calls.size(), 1u);
  EXPECT_EQ(ui.calls[0], "message stop: PID 0x2100 is out of range: PIDs run from 0 to 0x1FFF");
}

TEST_F(RecordCommandTest, ARunThatFailsBeforeAnyDataLeavesTheOldFileAsItWas) {
  testing::WriteBytes(Out(), kOldRecording);
  // The receiver refuses the set-up: the PAT and PMT already written do not replace the file.
  receiver->setupStatus = kScsiError;
  EXPECT_TRUE(Run([](RecordDialogRequest&) {}).result.Failed());
  ASSERT_EQ(ui.calls.size(), 1u);
  EXPECT_EQ(ui.calls[0], std::string("message stop: ") + msg::streams::kSetupPidStreamFailed);
  EXPECT_EQ(testing::ReadBytes(Out()), kOldRecording);
  EXPECT_FALSE(ran);
  // The receiver is lost at its first read.
  receiver->setupStatus = kScsiSuccess;
  receiver->loseLinkAtRead = 1;
  ui.calls.clear();
  const RecordOutcome outcome = Run([](RecordDialogRequest&) {}, 2000ms);
  EXPECT_TRUE(outcome.result.Failed());
  EXPECT_EQ(outcome.bytesInFile, 0u);
  EXPECT_EQ(testing::ReadBytes(Out()), kOldRecording);
  ASSERT_EQ(ui.calls.size(), 1u);
  EXPECT_EQ(ui.calls[0], std::string("message stop: ") + msg::streams::kStreamLost);
  EXPECT_EQ(ui.details.back(),
            "rx: the receiver closed the connection; " + Out() + " was left as it was");
  // The folder cannot take a file at all.
  ui.calls.clear();
  EXPECT_TRUE(Run([&](RecordDialogRequest& request) {
                request.file.path = dir.File("missing/out.m2t");
              }).result.Failed());
  ASSERT_EQ(ui.calls.size(), 1u);
  EXPECT_EQ(ui.calls[0],
            std::string("message information: ") + msg::streams::kUnableToOpenForOutput);
  EXPECT_NE(ui.details.back().find("No such file or directory"), std::string::npos);
}

TEST_F(RecordCommandTest, APartRunIsKeptAndCountedAndTheDropsAreShown) {
  testing::WriteBytes(Out(), kOldRecording);
  receiver->loseLinkAtRead = 7;  // three rounds of two slots
  const RecordOutcome outcome = Run([](RecordDialogRequest&) {}, 2000ms);
  EXPECT_TRUE(outcome.result.Failed());
  const std::vector<uint8_t> file = testing::ReadBytes(Out());
  EXPECT_EQ(file.size(), outcome.bytesInFile);
  EXPECT_EQ(file.size(), 2u * 188 + 3 * 33 * 188);  // the PAT and PMT, then 99 packets
  EXPECT_EQ(ui.details.back(),
            "rx: the receiver closed the connection; 99 packets (18 KB) kept in " + Out());
}

}  // namespace
}  // namespace pelorus
