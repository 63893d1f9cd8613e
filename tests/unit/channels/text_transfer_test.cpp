// Export of channels to text lines and import of such files at the end of the list.
#include "channels/text_transfer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <string>
#include <vector>

#include "channels/channel_line.h"
#include "channels/channel_name.h"
#include "support/fake_ui.h"
#include "support/records.h"
#include "support/temp_dir.h"

namespace pelorus {
namespace {

using testing::FakeUi;
using testing::MakeChannel;
using testing::TempDir;
using Calls = std::vector<std::string>;

void WriteText(const std::string& path, const std::string& text) {
  testing::WriteBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
}

class TextTransferTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ChannelRecord odd = MakeChannel("Odd [one]", 12345, 999);
    odd.lnbSelect = 0x0E;
    odd.scrambling = 0x1234;
    odd.reserved3 = 0x42;
    state.settingsImage =
        std::vector<ChannelRecord>{MakeChannel("First", 10714), MakeChannel("", 0), odd};
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const ChannelRecord& r : *state.settingsImage) names.push_back(DecodeChannelName(r));
    return names;
  }
  TempDir dir;
  EditorState state;
  FakeUi ui;
  bool exportSelected = false;
};

TEST_F(TextTransferTest, ExportAllThenImportGivesTheSameRecordsBack) {
  const std::string path = dir.File("all.txt");
  ui.savePaths.push_back(path);
  ASSERT_TRUE(ExportChannels(state, ui, {}, exportSelected, nullptr));
  EXPECT_EQ(ui.calls, (Calls{"save dialog: Export Settings", "busy", "idle"}));
  const FileRequest& request = ui.fileRequests.at(0);
  EXPECT_EQ(request.filterName, "Text files (*.txt)");
  EXPECT_EQ(request.filterPattern, "*.txt");
  EXPECT_EQ(request.defaultExtension, "txt");
  EXPECT_EQ(request.path, ".txt");
  EXPECT_TRUE(request.overwritePrompt);
  EXPECT_EQ(state.options.txtInitialDir, dir.path().string() + "/");
  const std::string text = testing::ReadText(path);
  EXPECT_EQ(text.size(), 3u * 139u);
  EXPECT_EQ(text, FormatChannelLine((*state.settingsImage)[0]) +
                      FormatChannelLine((*state.settingsImage)[1]) +
                      FormatChannelLine((*state.settingsImage)[2]));

  EditorState fresh;
  ui.calls.clear();
  ui.openPaths.push_back(path);
  EXPECT_EQ(ImportChannels(fresh, ui), 3);
  EXPECT_EQ(ui.calls, (Calls{"open dialog: Import Settings", "busy", "refill", "idle"}));
  EXPECT_TRUE(fresh.settingsModified);
  ASSERT_EQ(fresh.ChannelCount(), 3);
  for (size_t i = 0; i < 3; ++i) {
    ChannelRecord expected = (*state.settingsImage)[i];
    // The name comes back blank-padded to 24 characters.
    EncodeChannelName(expected, DecodeChannelName(expected).append(24, ' '));
    EXPECT_EQ(std::memcmp(&(*fresh.settingsImage)[i], &expected, sizeof expected), 0) << i;
  }
}

TEST_F(TextTransferTest, ExportSelectedWritesOnlySelectedRows) {
  exportSelected = true;
  const std::string path = dir.File("some.txt");
  ui.savePaths.push_back(path);
  const std::vector<int> selection = {2, 0, 7};
  ASSERT_TRUE(ExportChannels(state, ui, selection, exportSelected, nullptr));
  EXPECT_EQ(testing::ReadText(path), FormatChannelLine((*state.settingsImage)[0]) +
                                         FormatChannelLine((*state.settingsImage)[2]));

  // With no row selected the file is created empty.
  ui.savePaths.push_back(path);
  ASSERT_TRUE(ExportChannels(state, ui, {}, exportSelected, nullptr));
  EXPECT_EQ(testing::ReadText(path), "");
}

TEST_F(TextTransferTest, TheChooserSetsTheModeBeforeTheFileIsChosen) {
  std::vector<bool> seen;
  const auto chooser = [&seen](bool& selected) {
    seen.push_back(selected);
    selected = !selected;
  };
  EXPECT_FALSE(ExportChannels(state, ui, {}, exportSelected, chooser));  // dialog cancelled
  EXPECT_TRUE(exportSelected);  // the choice stays for the next export
  ui.savePaths.push_back(dir.File("x.txt"));
  ASSERT_TRUE(ExportChannels(state, ui, {}, exportSelected, chooser));
  EXPECT_EQ(seen, (std::vector<bool>{false, true}));
  EXPECT_EQ(testing::ReadText(dir.File("x.txt")).size(), 3u * 139u);
}

TEST_F(TextTransferTest, ExportFailureAndNoSettings) {
  ui.savePaths.push_back(dir.File("missing/folder/x.txt"));
  EXPECT_FALSE(ExportChannels(state, ui, {}, exportSelected, nullptr));
  EXPECT_EQ(ui.calls.back(), "idle");
  EXPECT_EQ(ui.calls.at(ui.calls.size() - 2),
            "message information: Unable to open file for output");

  EditorState none;
  ui.savePaths.push_back(dir.File("empty.txt"));
  ASSERT_TRUE(ExportChannels(none, ui, {}, exportSelected, nullptr));
  EXPECT_EQ(testing::ReadText(dir.File("empty.txt")), "");
}

TEST_F(TextTransferTest, ImportAppendsAcceptedLinesAndStopsAtAnEmptyLine) {
  const std::string line = FormatChannelLine(MakeChannel("New", 11000));
  std::string pmtTooBig = line;
  pmtTooBig.replace(56, 4, "2000");
  const std::string path = dir.File("in.txt");
  WriteText(path, line + "short line\r\n" + pmtTooBig + line + "\r\n" + line);
  ui.openPaths.push_back(path);
  EXPECT_EQ(ImportChannels(state, ui), 2);
  EXPECT_EQ(Names(), (std::vector<std::string>{"First", "", "Odd [one]", "New", "New"}));
  EXPECT_TRUE(state.settingsModified);
  EXPECT_EQ(ui.calls, (Calls{"open dialog: Import Settings", "busy", "refill", "idle"}));
}

TEST_F(TextTransferTest, ImportReadsLfOnlyFilesAndTheLastLineWithoutEnd) {
  std::string line = FormatChannelLine(MakeChannel("Unix", 11000));
  line.resize(line.size() - 2);
  const std::string path = dir.File("unix.txt");
  WriteText(path, line + "\n" + line);
  EditorState fresh;
  ASSERT_EQ(ReadChannelTextFile(fresh, ui, path), 2);
  EXPECT_EQ(fresh.ChannelCount(), 2);
  // Lines far longer than the usual 139 bytes are read in full.
  WriteText(path, line + std::string(500, ' ') + "trailing words\r\n");
  ASSERT_EQ(ReadChannelTextFile(fresh, ui, path), 1);
}

TEST_F(TextTransferTest, ImportFailuresAndNothingAccepted) {
  ui.openPaths.push_back(dir.File("nowhere.txt"));
  EXPECT_EQ(ImportChannels(state, ui), -1);
  EXPECT_EQ(ui.calls, (Calls{"open dialog: Import Settings", "busy",
                             "message information: Unable to open file", "idle"}));
  EXPECT_EQ(state.ChannelCount(), 3);

  EditorState none;
  const std::string path = dir.File("junk.txt");
  WriteText(path, "nothing of use\r\n");
  EXPECT_EQ(ReadChannelTextFile(none, ui, path), 0);
  EXPECT_FALSE(none.HasSettings());
  EXPECT_FALSE(none.settingsModified);
  ui.calls.clear();
  EXPECT_EQ(ImportChannels(none, ui), -1);  // cancelled
  EXPECT_EQ(ui.calls, (Calls{"open dialog: Import Settings"}));
}

}  // namespace
}  // namespace pelorus
