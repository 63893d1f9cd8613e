#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <memory>
#include <thread>

#include "scsi/stream_primitives.h"
#include "stream_receiver.h"
#include "streams/capture_command.h"
#include "streams/messages.h"
#include "streams/size_text.h"
#include "support/fake_ui.h"
#include "support/temp_dir.h"

namespace pelorus {
namespace {

using testing::StreamReceiver;

class CaptureCommandTest : public ::testing::Test {
 protected:
  CaptureCommandTest() {
    receiver = std::make_shared<StreamReceiver>();
    receiver->readDelay = std::chrono::microseconds(500);
    state.aspiModule = receiver;
  }
  bool Run(const std::function<void(CaptureDialogRequest&)>& edit,
           std::chrono::milliseconds runFor = std::chrono::milliseconds(60)) {
    outcome = CaptureStream(
        state, ui,
        [&](CaptureDialogRequest& request) {
          shown = request;
          request.file.path = dir.File("out.mpp");
          edit(request);
          return true;
        },
        [&](CaptureWorker& worker) {
          ran = true;
          worker.Start([this](const CaptureProgress& progress) {
            std::lock_guard lock(mutex);
            progressSeen.push_back(progress);
          });
          // Until the time is up, or the worker ends by itself.
          const auto end = std::chrono::steady_clock::now() + runFor;
          while (std::chrono::steady_clock::now() < end && !worker.Ended()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
          }
        });
    return !outcome.result.Failed();
  }
  std::string Out() const { return dir.File("out.mpp"); }

  std::shared_ptr<StreamReceiver> receiver;
  EditorState state;
  testing::FakeUi ui;
  testing::TempDir dir;
  CaptureDialogRequest shown;
  CaptureOutcome outcome;
  bool ran = false;
  std::mutex mutex;
  std::vector<CaptureProgress> progressSeen;
};

TEST_F(CaptureCommandTest, ConvertsWholePacketsAndStopsTheStream) {
  state.options.streamPid = 0x100;
  ASSERT_TRUE(Run([](CaptureDialogRequest& request) {
    request.thresholdText = "1000";
    request.mode = 6;
    request.ts2es = true;
  }));
  EXPECT_TRUE(ui.calls.empty());
  EXPECT_EQ(shown.pidText, "0x0100");
  EXPECT_EQ(shown.thresholdText, "0x8000");
  EXPECT_EQ(shown.mode, 2);
  // The threshold became a whole number of packets and stays so.
  EXPECT_EQ(state.options.streamThreshold, 940u);
  const auto commands = receiver->Commands();
  ASSERT_GE(commands.size(), 2u);
  EXPECT_EQ(commands.front(), (std::vector<uint8_t>{0x3D, 0, 0, 0, 0, 0, 0, 0, 6, 0, 0x01, 0x00,
                                                    0x03, 0xAC, 0x00, 0x06}));
  EXPECT_EQ(commands.back(), (std::vector<uint8_t>{0x3D, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  // Every read of five packets (one with a unit start and an adaptation field on every fourth)
  // gives their elementary-stream bytes.
  const std::vector<uint8_t> file = testing::ReadBytes(dir.File("out.mpp"));
  ASSERT_FALSE(file.empty());
  std::lock_guard lock(mutex);
  ASSERT_FALSE(progressSeen.empty());
  EXPECT_EQ(progressSeen.front().polls, "0");
  EXPECT_EQ(progressSeen.back().count, SizeText(file.size()));
}

TEST_F(CaptureCommandTest, RefusesWhatTheReceiverCannotTake) {
  struct Case {
    const char* pid;
    const char* threshold;
    int mode;
    bool ts2es;
    std::string message;
  };
  const Case cases[] = {
      {"0x2000", "100", 2, false, "PID 0x2000 is out of range: PIDs run from 0 to 0x1FFF"},
      {"0x100", "0", 2, false, "Threshold 0 is out of range: it must be between 1 and 65535 bytes"},
      {"0x100", "65536", 2, false,
       "Threshold 65536 is out of range: it must be between 1 and 65535 bytes"},
      {"0x100", "187", 6, true, msg::streams::kThresholdBelowPacket},
  };
  for (const Case& c : cases) {
    ui.calls.clear();
    EXPECT_FALSE(Run([&](CaptureDialogRequest& request) {
      request.pidText = c.pid;
      request.thresholdText = c.threshold;
      request.mode = c.mode;
      request.ts2es = c.ts2es;
    }));
    ASSERT_EQ(ui.calls.size(), 1u) << c.pid << " " << c.threshold;
    EXPECT_EQ(ui.calls[0], "message stop: " + c.message);
  }
  EXPECT_TRUE(receiver->Commands().empty());
  EXPECT_FALSE(ran);
  // A threshold of 187 without conversion is a valid one: the capture runs (this receiver has no
  // whole packet to give in so short a read, so nothing arrives).
  Run([](CaptureDialogRequest& request) {
    request.thresholdText = "187";
    request.mode = 2;
    request.ts2es = false;
  });
  EXPECT_TRUE(ran);
  EXPECT_EQ(state.options.streamThreshold, 187u);
}

TEST_F(CaptureCommandTest, RefusedSetupIsReported) {
  receiver->setupStatus = kScsiError;
  EXPECT_FALSE(Run([](CaptureDialogRequest&) {}));
  ASSERT_EQ(ui.calls.size(), 1u);
  EXPECT_EQ(ui.calls[0], std::string("message stop: ") + msg::streams::kSetupPidStreamFailed);
  EXPECT_FALSE(ran);
}

const std::vector<uint8_t> kOldFile = {'o', 'l', 'd'};

TEST_F(CaptureCommandTest, ARunThatFailsBeforeAnyDataLeavesTheOldFileAsItWas) {
  testing::WriteBytes(Out(), kOldFile);
  // The receiver refuses the set-up ...
  receiver->setupStatus = kScsiError;
  EXPECT_FALSE(Run([](CaptureDialogRequest&) {}));
  EXPECT_EQ(testing::ReadBytes(Out()), kOldFile);
  // ... is lost at its first read ...
  receiver->setupStatus = kScsiSuccess;
  receiver->loseLinkAtRead = 1;
  ui.calls.clear();
  ui.details.clear();
  EXPECT_FALSE(Run([](CaptureDialogRequest&) {}, std::chrono::milliseconds(2000)));
  EXPECT_EQ(testing::ReadBytes(Out()), kOldFile);
  ASSERT_EQ(ui.calls.size(), 1u);
  EXPECT_EQ(ui.calls[0], std::string("message stop: ") + msg::streams::kStreamLost);
  EXPECT_EQ(ui.details, (std::vector<std::string>{"rx: the receiver closed the connection"}));
  // ... or sends nothing before the user stops: the old file stays and the run says so.
  receiver->loseLinkAtRead = 0;
  receiver->readStatus = kScsiError;
  ui.calls.clear();
  EXPECT_FALSE(Run([](CaptureDialogRequest&) {}));
  EXPECT_EQ(testing::ReadBytes(Out()), kOldFile);
  ASSERT_EQ(ui.calls.size(), 1u);
  EXPECT_EQ(ui.calls[0], "message stop: Nothing was received from the receiver: " + Out() +
                             " was left as it was");
  // The receiver's stream is stopped however the run ended.
  EXPECT_EQ(receiver->stops, 2);
  EXPECT_EQ(outcome.bytesInFile, 0u);
}

TEST_F(CaptureCommandTest, ALostOrSilentReceiverEndsTheRunAtOnceAndKeepsWhatArrived) {
  for (const LinkProblem problem : {LinkProblem::kLost, LinkProblem::kSilent}) {
    receiver->reads = 0;
    receiver->loseLinkAtRead = 4;
    receiver->lostAs = problem;
    ui.calls.clear();
    ui.details.clear();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(Run(
        [](CaptureDialogRequest& request) {
          request.thresholdText = "1880";
          request.mode = 6;
        },
        std::chrono::milliseconds(5000)));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    // Three reads of ten packets arrived before the link went.
    EXPECT_EQ(testing::ReadBytes(Out()).size(), 3u * 1880);
    EXPECT_EQ(outcome.bytesInFile, 3u * 1880);
    ASSERT_EQ(ui.calls.size(), 1u);
    EXPECT_EQ(ui.calls[0], std::string("message stop: ") + msg::streams::kStreamLost);
    ASSERT_EQ(ui.details.size(), 1u);
    EXPECT_NE(ui.details[0].find("6 KB kept in " + Out()), std::string::npos) << ui.details[0];
  }
}

TEST_F(CaptureCommandTest, AStreamTakenOverByAnotherProgramEndsTheRun) {
  receiver->otherPidAtRead = 3;
  state.options.streamPid = 0x200;
  EXPECT_FALSE(Run(
      [](CaptureDialogRequest& request) {
        request.thresholdText = "940";
        request.mode = 6;
      },
      std::chrono::milliseconds(5000)));
  // Two reads of the PID asked for; nothing of the other PID is in the file.
  const std::vector<uint8_t> file = testing::ReadBytes(Out());
  ASSERT_EQ(file.size(), 2u * 940);
  for (size_t at = 0; at < file.size(); at += 188) {
    ASSERT_EQ(((file[at + 1] & 0x1F) << 8) | file[at + 2], 0x200);
  }
  ASSERT_EQ(ui.calls.size(), 1u);
  EXPECT_EQ(ui.calls[0], std::string("message stop: ") + msg::streams::kStreamChanged);
  ASSERT_EQ(ui.details.size(), 1u);
  EXPECT_EQ(ui.details[0].rfind("packet 10 carries PID 0x0201 where 0x0200 was asked for", 0), 0u)
      << ui.details[0];
}

TEST_F(CaptureCommandTest, AFullDiskKeepsWholePacketsAndTheCountIsTheFile) {
  testing::WriteBytes(Out(), kOldFile);
  const pid_t child = ::fork();
  if (child == 0) {
    // A file size limit stands in for a disk that fills up, in a child so nothing else feels it.
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{5000, 5000};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    const bool ok = Run(
        [](CaptureDialogRequest& request) {
          request.thresholdText = "1880";
          request.mode = 6;
        },
        std::chrono::milliseconds(5000));
    const bool told =
        ui.calls.size() == 1 && ui.calls[0] == "message stop: Unable to write file " + Out();
    ::_exit(!ok && told && outcome.bytesInFile == 3760 ? 0 : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(testing::ReadBytes(Out()).size(), 3760u);
}

TEST(PacketGuardTest, ChecksEveryPacketHoweverTheReadsCutThem) {
  std::vector<uint8_t> stream;
  for (int i = 0; i < 4; ++i) {
    const std::vector<uint8_t> packet = testing::MakePacket({.pid = 0x100});
    stream.insert(stream.end(), packet.begin(), packet.end());
  }
  PacketGuard guard(0x100);
  const std::span<const uint8_t> bytes(stream);
  EXPECT_TRUE(guard.Check(bytes.first(100)));
  EXPECT_TRUE(guard.Check(bytes.subspan(100, 300)));
  EXPECT_TRUE(guard.Check(bytes.subspan(400)));
  // A packet without its sync byte, split across two reads, is found when it is whole.
  std::vector<uint8_t> broken = testing::MakePacket({.pid = 0x100});
  broken[0] = 0x00;
  EXPECT_TRUE(guard.Check(std::span(broken).first(10)));
  EXPECT_FALSE(guard.Check(std::span(broken).subspan(10)));
  EXPECT_EQ(guard.Problem(), "packet 4 does not begin with 0x47");
  EXPECT_FALSE(guard.Check(bytes.first(188)));
}

}  // namespace
}  // namespace pelorus
