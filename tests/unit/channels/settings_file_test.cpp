#include "channels/settings_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/fake_ui.h"
#include "support/records.h"
#include "support/temp_dir.h"

namespace pelorus {
namespace {

using testing::FakeUi;
using testing::FileBytes;
using testing::MakeChannel;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;
using Calls = std::vector<std::string>;

constexpr char kTitle[] = "Tessera Settings Editor";

class SettingsFileTest : public ::testing::Test {
 protected:
  std::string WriteFile(const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::string path = dir.File(name);
    WriteBytes(path, bytes);
    return path;
  }

  TempDir dir;
  EditorState state;
  FakeUi ui;
};

TEST_F(SettingsFileTest, OpenFromCommandLineAsksNothingAndSetsTitle) {
  const std::string path =
      WriteFile("two words.dvb", FileBytes({MakeChannel("A", 11000), MakeChannel("B", 12000)}));
  state.commandLineFile = path;
  ASSERT_TRUE(OpenSettingsFile(state, ui));
  EXPECT_EQ(ui.calls, (Calls{"busy", "refill", "title: " + path + " - " + kTitle, "idle"}));
  EXPECT_TRUE(state.commandLineFile.empty());
  EXPECT_EQ(state.currentFileName, path);
  ASSERT_EQ(state.ChannelCount(), 2);
  EXPECT_EQ((*state.settingsImage)[1].frequency, 12000);
}

TEST_F(SettingsFileTest, OpenWithLoadedImageAsksOnlyToDiscardAndKeepsModifiedFlag) {
  const std::string path = WriteFile("a.dvb", FileBytes({MakeChannel("A", 11000)}));
  state.settingsImage.emplace(3, MakeChannel("old", 10000));
  state.settingsModified = true;
  state.options.dvbInitialDir = "/start/";
  ui.answers = {Answer::kYes};
  ui.openPaths = {path};
  ASSERT_TRUE(OpenSettingsFile(state, ui));
  EXPECT_EQ(ui.calls,
            (Calls{"ask yes/no question: Settings already loaded. OK to discard?", "refill",
                   "status: ", std::string("title: ") + kTitle, "open dialog: Open Settings",
                   "busy", "refill", "title: " + path + " - " + kTitle, "idle"}));
  EXPECT_TRUE(state.settingsModified);
  EXPECT_EQ(state.ChannelCount(), 1);
  ASSERT_EQ(ui.fileRequests.size(), 1u);
  EXPECT_EQ(ui.fileRequests[0].initialDir, "/start/");
  EXPECT_EQ(ui.fileRequests[0].filterName, "Tessera Settings (*.dvb)");
  EXPECT_EQ(ui.fileRequests[0].filterPattern, "*.dvb");
  EXPECT_EQ(state.options.dvbInitialDir, dir.path().string() + "/");
}

TEST_F(SettingsFileTest, DeclinedDiscardChangesNothingAndCancelledDialogLeavesNoImage) {
  state.settingsImage.emplace(1, MakeChannel("old", 10000));
  ui.answers = {Answer::kNo};
  EXPECT_FALSE(OpenSettingsFile(state, ui));
  EXPECT_EQ(state.ChannelCount(), 1);
  EXPECT_EQ(ui.calls.size(), 1u);

  ui.calls.clear();
  ui.answers = {Answer::kYes};
  EXPECT_FALSE(OpenSettingsFile(state, ui));
  EXPECT_FALSE(state.HasSettings());
  EXPECT_EQ(ui.calls.back(), "open dialog: Open Settings");
}

TEST_F(SettingsFileTest, MissingFileIsReported) {
  state.commandLineFile = dir.File("missing.dvb");
  EXPECT_FALSE(OpenSettingsFile(state, ui));
  EXPECT_EQ(ui.calls,
            (Calls{"message information: Unable to open file " + dir.File("missing.dvb")}));
  EXPECT_FALSE(state.HasSettings());
}

TEST_F(SettingsFileTest, SizesTagsAndMasking) {
  // 0 bytes: loaded, no records.
  state.commandLineFile = WriteFile("empty.dvb", {});
  ASSERT_TRUE(OpenSettingsFile(state, ui));
  EXPECT_TRUE(state.HasSettings());
  EXPECT_EQ(state.ChannelCount(), 0);

  // 130 bytes: two records, the last two bytes ignored.
  std::vector<uint8_t> bytes = FileBytes({MakeChannel("A", 1), MakeChannel("B", 2)});
  bytes.push_back(0x44);
  bytes.push_back(0x56);
  state.commandLineFile = WriteFile("130.dvb", bytes);
  ASSERT_TRUE(OpenSettingsFile(state, ui));
  EXPECT_EQ(state.ChannelCount(), 2);

  // Every second record untagged: only the tagged ones, in their order.
  std::vector<ChannelRecord> records;
  for (int i = 0; i < 6; ++i) {
    ChannelRecord record = MakeChannel("C" + std::to_string(i), static_cast<uint16_t>(100 + i));
    if (i % 2 == 1) record.tag = {'D', 'V', 'S', 'X'};
    records.push_back(record);
  }
  records[0].videoPid = 0xFFFF;
  records[0].polarity = 0xFE;
  state.commandLineFile = WriteFile("tags.dvb", FileBytes(records));
  ASSERT_TRUE(OpenSettingsFile(state, ui));
  ASSERT_EQ(state.ChannelCount(), 3);
  EXPECT_EQ((*state.settingsImage)[0].frequency, 100);
  EXPECT_EQ((*state.settingsImage)[1].frequency, 102);
  EXPECT_EQ((*state.settingsImage)[2].frequency, 104);
  EXPECT_EQ((*state.settingsImage)[0].videoPid, 0x1FFF);
  EXPECT_EQ((*state.settingsImage)[0].polarity, 0);
}

TEST_F(SettingsFileTest, ReadingIntoTheRecordsAgreesWithDecodingTheBytes) {
  std::vector<ChannelRecord> records;
  for (int i = 0; i < 300; ++i) {
    ChannelRecord record = MakeChannel("R" + std::to_string(i), static_cast<uint16_t>(10000 + i));
    if (i % 7 == 3) record.tag = {'N', 'O', 'P', 'E'};
    record.audioPid = static_cast<uint16_t>(0xE000 | i);
    records.push_back(record);
  }
  std::vector<uint8_t> bytes = FileBytes(records);
  bytes.insert(bytes.end(), {0x44, 0x56, 0x53});  // a partial record at the end
  const std::string path = WriteFile("mixed.dvb", bytes);
  std::vector<ChannelRecord> read = {MakeChannel("stale", 1)};
  const FileContents file = ReadSettingsRecords(path, read);
  EXPECT_TRUE(file.opened);
  EXPECT_FALSE(file.readFailed);
  EXPECT_EQ(file.size, bytes.size());
  EXPECT_TRUE(file.bytes.empty());
  EXPECT_EQ(FileBytes(read), FileBytes(DecodeSettingsBytes(bytes)));
  EXPECT_EQ(read.size(), 300u - 43u);

  const FileContents missing = ReadSettingsRecords(dir.File("none.dvb"), read);
  EXPECT_FALSE(missing.opened);
  EXPECT_EQ(missing.problem, FileProblem::kMissing);
  EXPECT_TRUE(read.empty());
}

TEST_F(SettingsFileTest, LoadThenSaveGivesBackTheSameBytes) {
  std::vector<uint8_t> bytes;
  for (int i = 0; i < 50; ++i) {
    ChannelRecord record = MakeChannel("N" + std::to_string(i), static_cast<uint16_t>(i * 37));
    record.scrambling = static_cast<uint16_t>(0x1234 + i);
    record.networkId = static_cast<uint16_t>(0xBEEF - i);
    record.reserved3 = static_cast<uint8_t>(i);
    record.lnbSelect = 0xF3;
    const auto one = FileBytes({record});
    bytes.insert(bytes.end(), one.begin(), one.end());
  }
  // Scrambling bytes stand in the file as they are, whatever the host order means.
  bytes[22] = 0xAB;
  bytes[23] = 0xCD;
  const std::string in = WriteFile("in.dvb", bytes);
  state.commandLineFile = in;
  ASSERT_TRUE(OpenSettingsFile(state, ui));
  const std::string out = dir.File("out.dvb");
  state.currentFileName = out;
  state.settingsModified = true;
  ui.calls.clear();
  ASSERT_TRUE(SaveSettingsFile(state, ui, false));
  EXPECT_EQ(ReadBytes(out), bytes);
  EXPECT_FALSE(state.settingsModified);
  EXPECT_EQ(ui.calls, (Calls{"title: " + out + " - " + kTitle}));
}

TEST_F(SettingsFileTest, SaveWithoutImageOrWithCancelledDialog) {
  EXPECT_FALSE(SaveSettingsFile(state, ui, false));
  EXPECT_EQ(ui.calls, (Calls{"message warning: No settings are loaded"}));

  ui.calls.clear();
  state.settingsImage.emplace();
  state.settingsModified = true;
  EXPECT_FALSE(SaveSettingsFile(state, ui, false));  // no file name yet: the dialog, cancelled
  EXPECT_EQ(ui.calls, (Calls{"save dialog: Save Settings"}));
  EXPECT_TRUE(ui.fileRequests[0].overwritePrompt);
  EXPECT_EQ(ui.fileRequests[0].defaultExtension, "dvb");
  EXPECT_TRUE(state.settingsModified);

  // Save As always asks, even with a file name.
  state.currentFileName = dir.File("x.dvb");
  ui.savePaths = {dir.File("y.dvb")};
  EXPECT_TRUE(SaveSettingsFile(state, ui, true));
  EXPECT_EQ(state.currentFileName, dir.File("y.dvb"));
  EXPECT_EQ(ReadBytes(dir.File("y.dvb")).size(), 0u);
}

TEST_F(SettingsFileTest, FailedSaveKeepsOldFileAndModifiedFlag) {
  const std::vector<uint8_t> old = FileBytes({MakeChannel("OLD", 1)});
  const std::string path = WriteFile("keep.dvb", old);
  state.settingsImage.emplace(2, MakeChannel("NEW", 2));
  state.settingsModified = true;

  // A folder that cannot be written: the file cannot be created.
  state.currentFileName = dir.File("nofolder/x.dvb");
  EXPECT_FALSE(SaveSettingsFile(state, ui, false));
  EXPECT_EQ(ui.calls.back(), "message information: Unable to open file for output");
  EXPECT_TRUE(state.settingsModified);

  // A folder is no file to save into: refused before anything is written, with the reason.
  ::mkdir(dir.File("folder.dvb").c_str(), 0755);
  state.currentFileName = dir.File("folder.dvb");
  EXPECT_FALSE(SaveSettingsFile(state, ui, false));
  EXPECT_EQ(ui.calls.back(), "message information: Unable to open file for output");
  EXPECT_EQ(ui.details.back(), dir.File("folder.dvb") + ": not a regular file");
  EXPECT_TRUE(state.settingsModified);
  EXPECT_EQ(ReadBytes(path), old);
  // No temporary file is left behind.
  int entries = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    ++entries;
  }
  EXPECT_EQ(entries, 2);
}

TEST_F(SettingsFileTest, SaveReplacesAtomicallyAndKeepsPermissions) {
  const std::string path = WriteFile("perm.dvb", FileBytes({MakeChannel("OLD", 1)}));
  ::chmod(path.c_str(), 0640);
  state.settingsImage.emplace(1, MakeChannel("NEW", 2));
  state.currentFileName = path;
  ASSERT_TRUE(SaveSettingsFile(state, ui, false));
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  EXPECT_EQ(ReadBytes(path), FileBytes({MakeChannel("NEW", 2)}));
}

TEST_F(SettingsFileTest, NewAsksToSaveModifiedListAndKeepsFileName) {
  state.settingsImage.emplace(1, MakeChannel("A", 1));
  state.currentFileName = dir.File("list.dvb");
  state.settingsModified = true;

  ui.answers = {Answer::kCancel};
  NewSettings(state, ui);
  EXPECT_TRUE(state.HasSettings());
  EXPECT_EQ(ui.calls, (Calls{"ask yes/no/cancel question: Settings may have been changed. Do "
                             "you want to save this file?"}));

  ui.calls.clear();
  ui.answers = {Answer::kYes};
  NewSettings(state, ui);
  EXPECT_FALSE(state.HasSettings());
  EXPECT_FALSE(state.settingsModified);
  EXPECT_EQ(state.currentFileName, dir.File("list.dvb"));
  EXPECT_EQ(ReadBytes(dir.File("list.dvb")).size(), 64u);
  EXPECT_EQ(ui.calls.back(), "refill");

  // Save right after New: nothing is loaded.
  ui.calls.clear();
  EXPECT_FALSE(SaveSettingsFile(state, ui, false));
  EXPECT_EQ(ui.calls, (Calls{"message warning: No settings are loaded"}));
}

TEST_F(SettingsFileTest, NewStopsWhenTheSaveFails) {
  state.settingsImage.emplace(1, MakeChannel("A", 1));
  state.settingsModified = true;
  ui.answers = {Answer::kYes};  // no file name: the save dialog is cancelled
  NewSettings(state, ui);
  EXPECT_TRUE(state.HasSettings());
  EXPECT_TRUE(state.settingsModified);
}

TEST(SettingsBytes, AppendRecordAddsACopyAtTheEnd) {
  std::vector<ChannelRecord> block;
  AppendRecord(MakeChannel("A", 1), block);
  AppendRecord(MakeChannel("B", 2), block);
  ASSERT_EQ(block.size(), 2u);
  EXPECT_EQ(block[1].frequency, 2);
  EXPECT_EQ(DecodeSettingsBytes(EncodeSettingsBytes(block)).size(), 2u);
}

}  // namespace
}  // namespace pelorus
