// The SCSI features against the stand-in receiver: a real process on a real socket.
#include <gtest/gtest.h>

#include <chrono>

#include "scsi/firmware_upgrade.h"
#include "scsi/memory_dump.h"
#include "scsi/scsi_scan.h"
#include "scsi/settings_transfer.h"
#include "scsi/speed_test.h"
#include "support/fake_ui.h"
#include "support/records.h"
#include "support/sim_process.h"
#include "support/temp_dir.h"

namespace pelorus {
namespace {

using testing::FakeUi;
using testing::FileBytes;
using testing::MakeChannel;
using testing::ReadBytes;
using testing::ScsiSimProcess;
using testing::TempDir;
using testing::WriteBytes;

std::vector<ChannelRecord> Channels(int count) { return testing::NumberedChannels(count); }

// The simulator's fill for memory nobody wrote.
uint8_t FillByte(uint32_t a) { return static_cast<uint8_t>(a ^ (a >> 8) ^ (a >> 16) ^ (a >> 24)); }

class ScsiSimTest : public ::testing::Test {
 protected:
  // Starts the simulator with `extra` options and scans for it as the main window does.
  void Start(std::vector<std::string> extra = {}) {
    sim = std::make_unique<ScsiSimProcess>(dir, extra);
    ASSERT_TRUE(sim->Running());
    state.links.scsi = sim->Link();
    ScsiScan(state, ui);
  }
  std::string SeedChannels(const std::vector<ChannelRecord>& records) {
    const std::string path = dir.File("seed.dvb");
    WriteBytes(path, FileBytes(records));
    return path;
  }

  TempDir dir;
  std::unique_ptr<ScsiSimProcess> sim;
  EditorState state;
  FakeUi ui;
};

TEST_F(ScsiSimTest, ScanSkipsANonMatchingTargetAndFindsTheReceiver) {
  Start({"--decoy-id", "1", "--scsi-id", "4"});
  ASSERT_NE(state.aspiModule, nullptr);
  EXPECT_EQ(ui.calls,
            (std::vector<std::string>{"status: Mediamaster located on SCSI adapter 0 at ID 4"}));
  const std::string log = sim->Log();
  EXPECT_NE(log.find("scsi 0:1 120000002400 36"), std::string::npos);
  EXPECT_EQ(log.find("scsi 0:5 "), std::string::npos);  // the scan stopped at the receiver
  EXPECT_EQ(log.find("scsi 0:7 "), std::string::npos);  // the adapter's own id
}

TEST_F(ScsiSimTest, OlderFirmwareIsFoundAndAStrangerIsNot) {
  Start({"--inquiry", "vanta"});
  EXPECT_NE(state.aspiModule, nullptr);
  sim.reset();
  FakeUi quiet;
  state.aspiModule.reset();
  sim = std::make_unique<ScsiSimProcess>(dir, std::vector<std::string>{"--inquiry", "other"});
  state.links.scsi = sim->Link();
  ScsiScan(state, quiet);
  EXPECT_EQ(state.aspiModule, nullptr);
  EXPECT_TRUE(quiet.calls.empty());
}

TEST_F(ScsiSimTest, SettingsRoundTrip) {
  const std::vector<ChannelRecord> seeded = Channels(1025);
  Start({"--channels", SeedChannels(seeded)});
  ASSERT_TRUE(ReadSettingsScsi(state, ui));
  ASSERT_EQ(state.ChannelCount(), 1025);
  EXPECT_EQ(FileBytes(*state.settingsImage), FileBytes(seeded));

  state.settingsImage->resize(3);
  (*state.settingsImage)[1].frequency = 12345;
  const std::vector<ChannelRecord> edited = *state.settingsImage;
  state.settingsModified = true;
  ASSERT_TRUE(WriteSettingsScsi(state, ui));
  EXPECT_FALSE(state.settingsModified);

  EditorState again;
  again.aspiModule = state.aspiModule;
  ASSERT_TRUE(ReadSettingsScsi(again, ui));
  EXPECT_EQ(FileBytes(*again.settingsImage), FileBytes(edited));
}

TEST_F(ScsiSimTest, FirmwareLandsInTheFlashAtItsAddress) {
  Start();
  std::vector<uint8_t> image(131073);
  for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 13 + 5);
  state.commandLineFile = dir.File("firmware.bin");
  WriteBytes(state.commandLineFile, image);
  ASSERT_TRUE(UpgradeFirmwareScsi(state, ui));
  EXPECT_NE(sim->Log().find("scsi start firmware"), std::string::npos);
  sim->Stop();
  const std::vector<uint8_t> flash = ReadBytes(sim->FlashPath());
  ASSERT_EQ(flash.size(), 0x20000u + 131074u);
  image.push_back(0);
  EXPECT_TRUE(std::equal(image.begin(), image.end(), flash.begin() + 0x20000));
}

TEST_F(ScsiSimTest, BootloaderLandsAtAddressZero) {
  Start();
  std::vector<uint8_t> image(131071, 0x5A);
  state.commandLineFile = dir.File("boot.bin");
  WriteBytes(state.commandLineFile, image);
  ui.answers = {Answer::kOk};
  ASSERT_TRUE(UpgradeFirmwareScsi(state, ui));
  sim->Stop();
  const std::vector<uint8_t> flash = ReadBytes(sim->FlashPath());
  ASSERT_EQ(flash.size(), 131072u);
  EXPECT_EQ(flash[0], 0x5A);
  EXPECT_EQ(flash[131070], 0x5A);
  EXPECT_EQ(flash[131071], 0x00);
}

TEST_F(ScsiSimTest, MemoryDumpEqualsTheReceiversMemory) {
  const std::vector<ChannelRecord> seeded = Channels(10);
  Start({"--channels", SeedChannels(seeded)});
  // Across the end of the (unwritten) flash into the channel table.
  state.options.readStartAddress = 0xC8000;
  state.options.readLength = 0x8000 + 640 + 100;
  const std::string tablePath = dir.File("table.mem");
  ASSERT_TRUE(ReadMemoryToFile(state, ui, tablePath));
  const std::vector<uint8_t> table = ReadBytes(tablePath);
  ASSERT_EQ(table.size(), 0x8000u + 740);
  EXPECT_TRUE(
      std::all_of(table.begin(), table.begin() + 0x8000, [](uint8_t b) { return b == 0xFF; }));
  const std::vector<uint8_t> seededBytes = FileBytes(seeded);
  EXPECT_TRUE(std::equal(seededBytes.begin(), seededBytes.end(), table.begin() + 0x8000));
  EXPECT_TRUE(
      std::all_of(table.begin() + 0x8000 + 640, table.end(), [](uint8_t b) { return b == 0; }));

  // Plain memory, over several pieces and not aligned to them.
  state.options.readStartAddress = 0x02001234;
  state.options.readLength = 0x30000;
  const std::string ramPath = dir.File("ram.mem");
  ASSERT_TRUE(ReadMemoryToFile(state, ui, ramPath));
  const std::vector<uint8_t> ram = ReadBytes(ramPath);
  ASSERT_EQ(ram.size(), 0x30000u);
  for (uint32_t i = 0; i < ram.size(); ++i) {
    ASSERT_EQ(ram[i], FillByte(0x02001234 + i)) << i;
  }
}

TEST_F(ScsiSimTest, SpeedTestReports) {
  Start();
  ASSERT_TRUE(SpeedTestScsi(state, ui));
  EXPECT_TRUE(ui.calls.back().starts_with("message information: 10MB transfer took "))
      << ui.calls.back();
}

TEST_F(ScsiSimTest, AFailedPieceIsReportedAndTheOtherPiecesStillArrive) {
  Start({"--channels", SeedChannels(Channels(1025)), "--fault", "scsi-fail:3"});
  EXPECT_FALSE(ReadSettingsScsi(state, ui));
  ASSERT_EQ(state.ChannelCount(), 1024);  // the 64 bytes of the second piece are missing
  // The missing record never arrived: it is counted as unread, not as dropped for its data.
  EXPECT_EQ(ui.calls.back(), "message warning: One or more \"Read Channels\" commands failed");
  EXPECT_EQ(ui.details, std::vector<std::string>{"1 records could not be read"});
}

TEST_F(ScsiSimTest, AFailedWriteLeavesTheImageIntactAndUnsaved) {
  Start({"--fault", "scsi-fail:1"});
  const std::vector<ChannelRecord> records = Channels(1500);
  state.settingsImage = records;
  state.settingsModified = true;
  EXPECT_FALSE(WriteSettingsScsi(state, ui));
  EXPECT_EQ(ui.calls.back(), "message warning: One or more \"Write Channels\" command failed");
  EXPECT_EQ(FileBytes(*state.settingsImage), FileBytes(records));
  EXPECT_TRUE(state.settingsModified);
}

TEST_F(ScsiSimTest, ATooLargeCountIsRefused) {
  Start({"--fault", "scsi-huge-count"});
  EXPECT_FALSE(ReadSettingsScsi(state, ui));
  EXPECT_FALSE(state.HasSettings());
  EXPECT_EQ(ui.calls.back(),
            "message stop: The Mediamaster reports 65537 channels; at most 65536 can be read");
}

TEST_F(ScsiSimTest, SilenceTimesOutAndTheNextCommandWorksAgain) {
  Start({"--channels", SeedChannels(Channels(2)), "--fault", "scsi-silent:1"});
  ASSERT_NE(state.aspiModule, nullptr);
  state.aspiModule->SetTimeout(std::chrono::milliseconds(300));
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(ReadSettingsScsi(state, ui));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
  EXPECT_EQ(ui.calls.back(), "message stop: Unable to get channel count from Mediamaster");
  EXPECT_TRUE(ReadSettingsScsi(state, ui));
  EXPECT_EQ(state.ChannelCount(), 2);
}

TEST_F(ScsiSimTest, ADroppedConnectionFailsTheFirmwareWithTheSettingsUntouched) {
  Start({"--fault", "scsi-disconnect:2"});
  state.settingsImage = Channels(3);
  std::vector<uint8_t> image(300000, 0x77);
  state.commandLineFile = dir.File("firmware.bin");
  WriteBytes(state.commandLineFile, image);
  EXPECT_FALSE(UpgradeFirmwareScsi(state, ui));
  EXPECT_EQ(ui.calls[ui.calls.size() - 2], "message stop: Upgrade firmware command failed");
  EXPECT_EQ(sim->Log().find("scsi start firmware"), std::string::npos);
  EXPECT_EQ(FileBytes(*state.settingsImage), FileBytes(Channels(3)));
}

TEST_F(ScsiSimTest, AShortAnswerMakesTheDumpShorterByThatPiece) {
  Start({"--fault", "scsi-short:2"});
  state.options.readStartAddress = 0x03000000;
  state.options.readLength = 0x30000;
  const std::string path = dir.File("short.mem");
  EXPECT_FALSE(ReadMemoryToFile(state, ui, path));
  const std::vector<uint8_t> dump = ReadBytes(path);
  ASSERT_EQ(dump.size(), 0x20000u);
  EXPECT_EQ(dump[0x10000], FillByte(0x03020000));
  EXPECT_EQ(ui.calls.back(),
            "message warning: One or more \"Read Memory\" commands (0x3c 0x00) failed");
}

}  // namespace
}  // namespace pelorus
