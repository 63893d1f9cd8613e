#include <gtest/gtest.h>

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
    return CaptureStream(
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
          std::this_thread::sleep_for(runFor);
        });
  }

  std::shared_ptr<StreamReceiver> receiver;
  EditorState state;
  testing::FakeUi ui;
  testing::TempDir dir;
  CaptureDialogRequest shown;
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
  // A threshold of 187 without conversion is a valid one.
  EXPECT_TRUE(Run([](CaptureDialogRequest& request) {
    request.thresholdText = "187";
    request.mode = 2;
    request.ts2es = false;
  }));
}

TEST_F(CaptureCommandTest, RefusedSetupIsReported) {
  receiver->setupStatus = kScsiError;
  EXPECT_FALSE(Run([](CaptureDialogRequest&) {}));
  ASSERT_EQ(ui.calls.size(), 1u);
  EXPECT_EQ(ui.calls[0], std::string("message stop: ") + msg::streams::kSetupPidStreamFailed);
  EXPECT_FALSE(ran);
}

TEST(CaptureWorkerTest, FullDiskEndsTheCaptureAndSaysSo) {
  StreamReceiver receiver;
  testing::MemorySink sink;
  sink.failAfter = 5000;
  CaptureSettings settings;
  settings.pid = 0x100;
  settings.threshold = 1880;
  ASSERT_TRUE(SetupPidStream(receiver, 0x100, 1880, 6, false));
  CaptureWorker worker(receiver, sink, settings);
  std::atomic<bool> ended = false;
  worker.Start([&](const CaptureProgress& progress) {
    if (progress.ended) ended = true;
  });
  for (int i = 0; i < 200 && !ended; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  worker.Stop();
  EXPECT_TRUE(ended);
  EXPECT_TRUE(worker.WriteFailed());
  EXPECT_EQ(worker.BytesWritten(), 3760u);
  EXPECT_EQ(receiver.stops, 1);
}

}  // namespace
}  // namespace pelorus
