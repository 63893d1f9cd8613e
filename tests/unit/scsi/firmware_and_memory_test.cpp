#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "scsi/firmware_upgrade.h"
#include "scsi/memory_dump.h"
#include "scsi/speed_test.h"
#include "support/fake_ui.h"
#include "support/temp_dir.h"
#include "test_receiver.h"

namespace pelorus {
namespace {

using testing::BlockHex;
using testing::FakeUi;
using testing::ReadBytes;
using testing::TempDir;
using testing::TestReceiver;
using testing::WriteBytes;
using Calls = std::vector<std::string>;

class ScsiFeatureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    transport = receiver.Transport();
    state.aspiModule = transport;
  }
  std::string Image(size_t size) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i * 7 + 1);
    const std::string path = dir.File("image.bin");
    WriteBytes(path, bytes);
    return path;
  }

  TempDir dir;
  TestReceiver receiver;
  std::shared_ptr<testing::ScriptedTransport> transport;
  EditorState state;
  FakeUi ui;
};

TEST_F(ScsiFeatureTest, FirmwareGoesToItsAddressInPiecesAndIsStarted) {
  state.commandLineFile = Image(131073);
  ASSERT_TRUE(UpgradeFirmwareScsi(state, ui));
  EXPECT_TRUE(state.commandLineFile.empty());
  ASSERT_EQ(transport->commands.size(), 4u);
  EXPECT_EQ(BlockHex(transport->commands[0].cdb),
            "3b04000200000100"
            "0000");
  EXPECT_EQ(BlockHex(transport->commands[1].cdb),
            "3b04000300000100"
            "0000");
  EXPECT_EQ(BlockHex(transport->commands[2].cdb),
            "3b04000400000000"
            "0200");
  EXPECT_EQ(BlockHex(transport->commands[3].cdb), "010100000000");
  EXPECT_EQ(transport->commands[3].direction, ScsiDirection::kNone);
  // The last piece carries the odd byte and the zero pad.
  EXPECT_EQ(BlockHex(receiver.writes[0x40000]), "0100");
  EXPECT_EQ(ui.calls, (Calls{"busy", "status: Sending firmware...", "progress 0", "progress 49",
                             "progress 99", "progress 100", "progress 0 hidden", "idle",
                             "message information: Firmware upgrade completed sucessfully\n\n"
                             "Your Mediamaster will restart shortly"}));
}

TEST_F(ScsiFeatureTest, BootloaderNeedsConfirmationAndGoesToAddressZero) {
  ui.openPaths = {Image(131071)};
  ui.answers = {Answer::kCancel};
  EXPECT_FALSE(UpgradeFirmwareScsi(state, ui));
  EXPECT_TRUE(transport->commands.empty());
  ASSERT_EQ(ui.fileRequests.size(), 1u);
  EXPECT_EQ(ui.fileRequests[0].title, "Select Firmware File");
  EXPECT_EQ(ui.fileRequests[0].filterName, "Tessera Firmware (*.bin)");
  EXPECT_EQ(ui.fileRequests[0].defaultExtension, "bin");
  EXPECT_EQ(ui.calls[2],
            "ask ok/cancel warning: You are about to program the bootloader - you MUST ensure "
            "that the bootloader\nwrite enable jumper on your Mediamaster is installed");
  EXPECT_EQ(ui.busyDepth, 0);

  state.commandLineFile = Image(131072);
  ui.answers = {Answer::kOk};
  ASSERT_TRUE(UpgradeFirmwareScsi(state, ui));
  ASSERT_EQ(transport->commands.size(), 3u);
  EXPECT_EQ(BlockHex(transport->commands[0].cdb),
            "3b04000000000100"
            "0000");
  EXPECT_EQ(BlockHex(transport->commands[1].cdb),
            "3b04000100000100"
            "0000");
}

TEST_F(ScsiFeatureTest, FirmwareStopsAtTheFirstFailedPieceWithoutStarting) {
  state.commandLineFile = Image(200000);
  receiver.failing = {2};
  EXPECT_FALSE(UpgradeFirmwareScsi(state, ui));
  EXPECT_EQ(transport->commands.size(), 2u);
  EXPECT_EQ(ui.calls[ui.calls.size() - 3], "progress 0 hidden");
  EXPECT_EQ(ui.calls[ui.calls.size() - 2], "message stop: Upgrade firmware command failed");
  EXPECT_EQ(ui.calls.back(), "idle");
}

TEST_F(ScsiFeatureTest, AFirmwareFileThatCannotBeUsedSendsNothing) {
  state.commandLineFile = dir.File("missing.bin");
  EXPECT_FALSE(UpgradeFirmwareScsi(state, ui));
  EXPECT_EQ(ui.calls[1], "message information: Unable to open file " + dir.File("missing.bin"));

  state.commandLineFile = dir.path().string();  // a folder opens but cannot be read
  EXPECT_FALSE(UpgradeFirmwareScsi(state, ui));
  EXPECT_EQ(ui.calls[ui.calls.size() - 2],
            "message stop: Unable to read file " + dir.path().string());

  state.commandLineFile = Image(0);
  EXPECT_FALSE(UpgradeFirmwareScsi(state, ui));
  EXPECT_EQ(ui.calls[ui.calls.size() - 2],
            "message stop: The firmware file " + dir.File("image.bin") + " is empty");

  // Cancel in the dialog ends quietly.
  ui.calls.clear();
  EXPECT_FALSE(UpgradeFirmwareScsi(state, ui));
  EXPECT_EQ(ui.calls, (Calls{"open dialog: Select Firmware File"}));
  EXPECT_TRUE(transport->commands.empty());
}

TEST_F(ScsiFeatureTest, AnImageReachingPastTheWriteAddressesIsRefused) {
  state.commandLineFile = Image(0x1000000 - 0x20000 + 2);
  EXPECT_FALSE(UpgradeFirmwareScsi(state, ui));
  EXPECT_TRUE(transport->commands.empty());
  EXPECT_EQ(ui.calls[1], "message stop: The firmware file " + dir.File("image.bin") +
                             " is too large for the Mediamaster's memory");
}

TEST_F(ScsiFeatureTest, SpeedTestSends160PiecesAndReports) {
  ASSERT_TRUE(SpeedTestScsi(state, ui));
  ASSERT_EQ(transport->commands.size(), 160u);
  EXPECT_EQ(BlockHex(transport->commands[159].cdb), "3b000000000001000000");
  EXPECT_EQ(transport->commands[159].data.size(), 65536u);
  ASSERT_EQ(ui.calls.size(), 4u);
  EXPECT_EQ(ui.calls[1], "status: Testing 10MB transfer...");
  EXPECT_TRUE(ui.calls[3].starts_with("message information: 10MB transfer took ")) << ui.calls[3];
}

TEST_F(ScsiFeatureTest, SpeedTestStopsAtTheFirstFailure) {
  receiver.failing = {3};
  EXPECT_FALSE(SpeedTestScsi(state, ui));
  EXPECT_EQ(transport->commands.size(), 3u);
  EXPECT_EQ(ui.calls, (Calls{"busy", "status: Testing 10MB transfer...",
                             "message stop: Speed test failed", "idle"}));
}

TEST(SpeedTestTextTest, RateIsBytesPerMillisecondAndZeroTimeShowsNoRate) {
  EXPECT_EQ(SpeedTestText(2560), "10MB transfer took 2560ms or 4096 KB/s");
  EXPECT_EQ(SpeedTestText(3), "10MB transfer took 3ms or 3495253 KB/s");
  EXPECT_EQ(SpeedTestText(0), "10MB transfer took 0ms");
}

TEST_F(ScsiFeatureTest, MemoryDialogOffersTheLastRangeAndDumpsIt) {
  state.options.readStartAddress = 0x01000300;
  state.options.readLength = 0x200;
  state.options.memInitialDir = "/somewhere/";
  MemoryDialogRequest shown;
  const std::string path = dir.File("dump.mem");
  ASSERT_TRUE(SaveReceiverMemory(state, ui, [&](MemoryDialogRequest& request) {
    shown = request;
    request.file.path = path;
    request.addressText = "$FFFF0";
    request.lengthText = "0x20020";
    return true;
  }));
  EXPECT_EQ(shown.file.title, "Save Mediamaster Memory");
  EXPECT_EQ(shown.file.filterName, "Memory files (*.mem)");
  EXPECT_EQ(shown.file.path, ".mem");
  EXPECT_EQ(shown.file.initialDir, "/somewhere/");
  EXPECT_TRUE(shown.file.overwritePrompt);
  EXPECT_EQ(shown.addressText, "0x1000300");
  EXPECT_EQ(shown.lengthText, "0x200");

  EXPECT_EQ(state.options.readStartAddress, 0xFFFF0u);
  EXPECT_EQ(state.options.readLength, 0x20020u);
  EXPECT_EQ(state.options.memInitialDir, dir.path().string() + "/");
  ASSERT_EQ(transport->commands.size(), 3u);
  EXPECT_EQ(BlockHex(transport->commands[0].cdb), "3c00000ffff001000000");
  EXPECT_EQ(BlockHex(transport->commands[1].cdb), "3c000010fff001000000");
  EXPECT_EQ(BlockHex(transport->commands[2].cdb), "3c000011fff000002000");
  const std::vector<uint8_t> dump = ReadBytes(path);
  ASSERT_EQ(dump.size(), 0x20020u);
  EXPECT_EQ(dump[0], 0xF0);  // the test receiver answers the low address byte
  EXPECT_EQ(dump[0x1001F], static_cast<uint8_t>(0xFFFF0 + 0x1001F));
  EXPECT_EQ(ui.calls,
            (Calls{"busy", "status: Reading memory...", "progress 0", "progress 49", "progress 99",
                   "progress 100", "status: ", "progress 0 hidden", "idle"}));
}

TEST_F(ScsiFeatureTest, FailedMemoryPiecesAreLeftOutOfTheFile) {
  state.options.readStartAddress = 0x1000;
  state.options.readLength = 0x20010;
  receiver.failing = {2};
  const std::string path = dir.File("dump.mem");
  EXPECT_FALSE(ReadMemoryToFile(state, ui, path));
  EXPECT_EQ(ReadBytes(path).size(), 0x10010u);
  EXPECT_EQ(ReadBytes(path)[0x10000], static_cast<uint8_t>(0x1000 + 0x20000));
  EXPECT_EQ(ui.calls.back(),
            "message warning: One or more \"Read Memory\" commands (0x3c 0x00) failed");
}

TEST_F(ScsiFeatureTest, AnInvalidRangeOrCancelDoesNothingButTheFieldsAreKept) {
  const std::string path = dir.File("dump.mem");
  EXPECT_FALSE(SaveReceiverMemory(state, ui, [&](MemoryDialogRequest& request) {
    EXPECT_EQ(request.addressText, "");  // no valid range to offer yet
    request.file.path = path;
    request.addressText = "0x80000000";
    request.lengthText = "16";
    return true;
  }));
  EXPECT_EQ(state.options.readStartAddress, 0x80000000u);
  EXPECT_FALSE(SaveReceiverMemory(state, ui, [&](MemoryDialogRequest& request) {
    request.file.path = path;
    request.addressText = "0x100";
    request.lengthText = "0";
    return true;
  }));
  EXPECT_FALSE(SaveReceiverMemory(state, ui, [&](MemoryDialogRequest& request) {
    request.addressText = "$40";
    request.lengthText = "$10";
    return false;
  }));
  EXPECT_EQ(state.options.readStartAddress, 0x40u);
  EXPECT_EQ(state.options.readLength, 0x10u);
  EXPECT_TRUE(transport->commands.empty());
  EXPECT_TRUE(ui.calls.empty());
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(ScsiFeatureTest, AnUnwritableFolderIsReportedAndAnOldDumpSurvives) {
  state.options.readStartAddress = 0;
  state.options.readLength = 16;
  EXPECT_FALSE(ReadMemoryToFile(state, ui, dir.File("no/such/folder/dump.mem")));
  EXPECT_EQ(ui.calls, (Calls{"message information: Unable to open file for output"}));

  const std::string path = dir.File("old.mem");
  WriteBytes(path, {1, 2, 3});
  receiver.failing = {1};
  EXPECT_FALSE(ReadMemoryToFile(state, ui, path));
  EXPECT_EQ(ReadBytes(path).size(), 0u);  // the failed piece is left out; the file is replaced
  std::filesystem::path folder = dir.path();
  size_t entries = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    (void)entry;
    ++entries;
  }
  EXPECT_EQ(entries, 1u);  // no temporary file left behind
}

}  // namespace
}  // namespace pelorus
