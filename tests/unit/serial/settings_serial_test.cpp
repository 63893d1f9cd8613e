// Settings both ways against the simulator process on a real pseudo-terminal.
#include "serial/settings_serial.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "serial/messages.h"
#include "serial/serial_timing.h"
#include "support/fake_ui.h"
#include "support/records.h"
#include "support/sim_process.h"
#include "support/temp_dir.h"

namespace pelorus {
namespace {

using namespace std::chrono_literals;
using testing::FakeUi;
using testing::FileBytes;
using testing::MakeChannel;
using testing::Matching;
using testing::ReadBytes;
using testing::SimProcess;
using testing::TempDir;
using testing::WriteBytes;

std::vector<ChannelRecord> Channels(int count) { return testing::NumberedChannels(count); }

bool Contains(const std::vector<std::string>& calls, const std::string& call) {
  return std::find(calls.begin(), calls.end(), call) != calls.end();
}

class SettingsSerialTest : public ::testing::Test {
 protected:
  void SetUp() override { SetSerialTickForTesting(20ms); }
  void TearDown() override { SetSerialTickForTesting(250ms); }

  // A receiver holding `records`, with the fault given, if any.
  std::unique_ptr<SimProcess> StartReceiver(const std::vector<ChannelRecord>& records,
                                            const std::string& fault = "") {
    WriteBytes(dir.File("receiver.dvb"), FileBytes(records));
    std::vector<std::string> args = {"--channels", dir.File("receiver.dvb")};
    if (!fault.empty()) args.insert(args.end(), {"--fault", fault});
    auto sim = std::make_unique<SimProcess>(dir, args);
    state.links.serialPort = sim->Port();
    state.options.speed = 3;
    return sim;
  }

  TempDir dir;
  EditorState state;
  FakeUi ui;
  SerialLink link{ui};
};

TEST_F(SettingsSerialTest, ReadsTheReceiversListWithProgress) {
  const auto records = Channels(40);
  auto sim = StartReceiver(records);
  ASSERT_TRUE(sim->Running());
  state.currentFileName = "old.dvb";

  ASSERT_TRUE(ReadSettingsSerial(state, link));
  ASSERT_TRUE(state.settingsImage);
  EXPECT_EQ(FileBytes(*state.settingsImage), FileBytes(records));
  EXPECT_TRUE(state.currentFileName.empty());
  EXPECT_FALSE(link.IsOpen());
  EXPECT_EQ(ui.busyDepth, 0);
  EXPECT_EQ(Matching(ui.calls, "status: Getting channel"),
            (std::vector<std::string>{"status: Getting channel 1 of 40",
                                      "status: Getting channel 17 of 40",
                                      "status: Getting channel 33 of 40"}));
  EXPECT_TRUE(Contains(ui.calls, "progress 2"));
  EXPECT_TRUE(Contains(ui.calls, "progress 42"));
  EXPECT_TRUE(Contains(ui.calls, "progress 82"));
  EXPECT_TRUE(Matching(ui.calls, "message").empty());
  EXPECT_EQ(ui.calls.front(), "title: Tessera Settings Editor");
  EXPECT_EQ(ui.calls.back(), "idle");
  // Two handshakes: one before the size command, one before the block.
  const std::string log = sim->Log();
  EXPECT_NE(log.find("attention\nsize 00000A00\nattention\nget-settings 2560"), std::string::npos);
}

TEST_F(SettingsSerialTest, ReadAsksBeforeDiscardingAndMasksAndDropsWhatIsNotAChannel) {
  auto records = Channels(3);
  records[1].tag = {'X', 'X', 'X', 'X'};
  records[2].videoPid = 0xE123;
  records[2].polarity = 3;
  auto sim = StartReceiver(records);
  state.settingsImage = Channels(1);
  state.settingsModified = true;

  ui.answers = {Answer::kNo};
  EXPECT_FALSE(ReadSettingsSerial(state, link));
  EXPECT_EQ(state.ChannelCount(), 1);  // kept on No
  EXPECT_EQ(sim->Log().find("attention"), std::string::npos);

  ui.answers = {Answer::kYes};
  ASSERT_TRUE(ReadSettingsSerial(state, link));
  ASSERT_EQ(state.ChannelCount(), 2);
  EXPECT_EQ((*state.settingsImage)[1].videoPid, 0x0123);
  EXPECT_EQ((*state.settingsImage)[1].polarity, 1);
  EXPECT_FALSE(state.settingsModified);
  EXPECT_EQ(ui.calls.back(),
            "message information: 1 records read from the Mediamaster were "
            "not channels and have been removed");
}

TEST_F(SettingsSerialTest, WriteLeavesTheReceiverHoldingTheFileByteForByte) {
  const auto records = Channels(37);
  auto sim = StartReceiver(Channels(2));
  state.settingsImage = records;
  state.settingsModified = true;

  ASSERT_TRUE(WriteSettingsSerial(state, link));
  EXPECT_FALSE(state.settingsModified);
  EXPECT_EQ(FileBytes(*state.settingsImage), FileBytes(records));  // image unchanged
  ASSERT_TRUE(sim->WaitForLog("put-settings 2368 checksum ok"));
  EXPECT_EQ(ReadBytes(sim->TablePath()), FileBytes(records));
  EXPECT_EQ(Matching(ui.calls, "status: Sending channel").size(), 3u);
  EXPECT_EQ(ui.busyDepth, 0);
}

TEST_F(SettingsSerialTest, AnEmptyListIsWrittenAsZeroBytesAndTheBareChecksum) {
  auto sim = StartReceiver(Channels(5));
  state.settingsImage.emplace();
  ASSERT_TRUE(WriteSettingsSerial(state, link));
  ASSERT_TRUE(sim->WaitForLog("put-settings 0 checksum ok"));
  EXPECT_TRUE(ReadBytes(sim->TablePath()).empty());
}

TEST_F(SettingsSerialTest, WriteWithoutSettingsSendsNothing) {
  auto sim = StartReceiver(Channels(1));
  EXPECT_FALSE(WriteSettingsSerial(state, link));
  EXPECT_EQ(ui.calls, (std::vector<std::string>{
                          "message warning: Please load settings before using this function"}));
  EXPECT_EQ(sim->Log().find("attention"), std::string::npos);
}

// The receiver's faults on reading: the message, and no image afterwards.
struct ReadFault {
  const char* fault;
  const char* message;
};

class ReadFaultTest : public SettingsSerialTest, public ::testing::WithParamInterface<ReadFault> {};

TEST_P(ReadFaultTest, EndsWithItsMessageAndNoImage) {
  auto sim = StartReceiver(Channels(20), GetParam().fault);
  state.settingsImage = Channels(1);
  ui.answers = {Answer::kYes};
  EXPECT_FALSE(ReadSettingsSerial(state, link));
  EXPECT_FALSE(state.settingsImage);
  EXPECT_FALSE(link.IsOpen());
  EXPECT_EQ(ui.busyDepth, 0);
  ASSERT_FALSE(Matching(ui.calls, "message").empty());
  EXPECT_EQ(Matching(ui.calls, "message").back(),
            std::string("message stop: ") + GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Receiver, ReadFaultTest,
    ::testing::Values(ReadFault{"no-attention", msg::kNoAnswerOnSerialPort},
                      ReadFault{"ok-only", msg::kNoAnswerOnSerialPort},
                      ReadFault{"garbage", msg::kNoAnswerOnSerialPort},
                      ReadFault{"short-size", msg::kNoAnswerToSizeCommand},
                      ReadFault{"huge-size",
                                "Mediamaster reported 5242880 bytes of settings, more than the "
                                "4194304 bytes Pelorus can hold"},
                      ReadFault{"short-record",
                                "Mediamaster didn't respond with channel data\nReceived 20 bytes"},
                      ReadFault{"disconnect",
                                "Mediamaster didn't respond with channel data\nReceived 10 bytes"}),
    [](const ::testing::TestParamInfo<ReadFault>& param) {
      std::string name = param.param.fault;
      std::replace(name.begin(), name.end(), '-', '_');
      return name;
    });

TEST_F(SettingsSerialTest, SilentReceiverGetsFiveHandshakes) {
  auto sim = StartReceiver(Channels(1), "no-attention");
  EXPECT_FALSE(ReadSettingsSerial(state, link));
  const std::string log = sim->Log();
  size_t attempts = 0;
  for (size_t at = log.find("attention"); at != std::string::npos;
       at = log.find("attention", at + 1)) {
    ++attempts;
  }
  EXPECT_EQ(attempts, 5u);
  EXPECT_EQ(Matching(ui.calls, "status: Getting Mediamaster's attention").size(), 5u);
}

TEST_F(SettingsSerialTest, AWrongChecksumWarnsButKeepsTheSettings) {
  const auto records = Channels(3);
  auto sim = StartReceiver(records, "bad-checksum");
  ASSERT_TRUE(ReadSettingsSerial(state, link));
  EXPECT_EQ(FileBytes(*state.settingsImage), FileBytes(records));
  EXPECT_TRUE(Contains(ui.calls, std::string("message warning: ") + msg::kChecksumIncorrect));
}

TEST_F(SettingsSerialTest, ALineThatDiesMidWriteKeepsTheEditAndTheReceiversOldTable) {
  auto sim = StartReceiver(Channels(2), "disconnect");
  // More than the terminal buffers, so the editor is still writing when the line dies.
  state.settingsImage = Channels(4000);
  state.settingsModified = true;
  EXPECT_FALSE(WriteSettingsSerial(state, link));
  EXPECT_TRUE(state.settingsModified);
  EXPECT_EQ(FileBytes(*state.settingsImage), FileBytes(Channels(4000)));
  EXPECT_EQ(ui.calls.back(), std::string("message stop: ") + msg::kSettingsNotSent);
  ASSERT_TRUE(sim->WaitForLog("put-settings cut short"));
  EXPECT_FALSE(std::filesystem::exists(sim->TablePath()));
  EXPECT_EQ(ui.busyDepth, 0);
}

TEST_F(SettingsSerialTest, RealTickReadStillWorks) {
  SetSerialTickForTesting(250ms);  // the real pacing and time-outs
  const auto records = Channels(2);
  auto sim = StartReceiver(records);
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(ReadSettingsSerial(state, link));
  EXPECT_EQ(FileBytes(*state.settingsImage), FileBytes(records));
  // "CBEG" and the command twice, 100 ms after each byte.
  EXPECT_GE(std::chrono::steady_clock::now() - start, 1000ms);
}

}  // namespace
}  // namespace pelorus
