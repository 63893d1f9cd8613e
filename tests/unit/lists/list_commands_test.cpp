// The three menu commands in the core, with a scripted Ui: the order of dialogs and questions,
// what a cancel leaves, and the texts shown.
#include <gtest/gtest.h>

#include "channels/channel_name.h"
#include "lists/list_export.h"
#include "lists/list_import.h"
#include "lists/reorder.h"
#include "support/fake_ui.h"
#include "support/records.h"
#include "support/temp_dir.h"

namespace pelorus {
namespace {

using testing::FakeUi;
using testing::Matching;

constexpr char kConf[] =
    ":News\n"
    "Rai News:11804:VC23M2S0:S13.0E:27500:516=2:690:0:0:3408:318:5400:0\n"
    "S2 only:11804:VC23M5S1:S13.0E:27500:517=27:691:0:0:3409:318:5400:0\n"
    "not a line\n";

class ListCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    conf = dir.File("channels.conf");
    const std::string text = kConf;
    testing::WriteBytes(conf, std::vector<uint8_t>(text.begin(), text.end()));
    state.settingsImage = std::vector<ChannelRecord>{testing::MakeChannel("Mine", 11000)};
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const ChannelRecord& record : *state.settingsImage) {
      names.push_back(DecodeChannelName(record));
    }
    return names;
  }

  testing::TempDir dir;
  std::string conf;
  EditorState state;
  FakeUi ui;
};

TEST_F(ListCommandsTest, ImportAppendsAfterTheChoiceAndReportsWhatItSkipped) {
  ui.openPaths = {conf};
  std::vector<int> offered;
  ImportChoice choice;
  const int imported = ImportFromOtherReceiver(
      state, ui, choice, [&](const std::vector<int>& satellites, ImportChoice& chosen) {
        offered = satellites;
        EXPECT_TRUE(ParseDiseqcPorts("13.0E=4", chosen.options.diseqc));
        return true;
      });
  EXPECT_EQ(imported, 1);
  EXPECT_EQ(offered, (std::vector<int>{130}));
  EXPECT_EQ(Names(), (std::vector<std::string>{"Mine", "News", "Rai News"}));
  EXPECT_EQ(state.settingsImage->back().lnbSelect & 3, 3);
  EXPECT_TRUE(state.settingsModified);
  EXPECT_EQ(ui.fileRequests.front().title, "Import Channel List");
  EXPECT_EQ(Matching(ui.calls, "status: "),
            (std::vector<std::string>{
                "status: 1 channels imported, 1 skipped (1 DVB-S2, 0 H.264/HEVC, 0 other)"}));
  EXPECT_EQ(Matching(ui.calls, "message "),
            (std::vector<std::string>{"message information: 1 channels imported, 1 skipped "
                                      "(1 DVB-S2, 0 H.264/HEVC, 0 other)"}));
  ASSERT_EQ(ui.details.size(), 1u);
  EXPECT_EQ(ui.details[0], "Lines that could not be read: 1\n" + conf + ", line 4: not a channel");
  EXPECT_EQ(choice.folder, dir.File(""));
  EXPECT_EQ(ui.busyDepth, 0);
}

TEST_F(ListCommandsTest, ReplacingAsksTheUsualQuestionFirst) {
  const auto replace = [](const std::vector<int>&, ImportChoice& chosen) {
    chosen.replace = true;
    return true;
  };
  ImportChoice choice;
  ui.openPaths = {conf};
  ui.answers = {Answer::kNo};
  EXPECT_EQ(ImportFromOtherReceiver(state, ui, choice, replace), -1);
  EXPECT_EQ(Names(), (std::vector<std::string>{"Mine"}));
  EXPECT_FALSE(state.settingsModified);
  EXPECT_EQ(
      Matching(ui.calls, "ask "),
      (std::vector<std::string>{"ask yes/no question: Settings already loaded. OK to discard?"}));

  ui.openPaths = {conf};
  ui.answers = {Answer::kYes};
  EXPECT_EQ(ImportFromOtherReceiver(state, ui, choice, replace), 1);
  EXPECT_EQ(Names(), (std::vector<std::string>{"News", "Rai News"}));

  // Without a list nothing is asked: the channels become the list.
  state.settingsImage.reset();
  ui.calls.clear();
  ui.openPaths = {conf};
  EXPECT_EQ(ImportFromOtherReceiver(state, ui, choice, replace), 1);
  EXPECT_TRUE(Matching(ui.calls, "ask ").empty());
  EXPECT_EQ(Names(), (std::vector<std::string>{"News", "Rai News"}));
}

TEST_F(ListCommandsTest, CancelsAndFilesThatCannotBeReadChangeNothing) {
  ImportChoice choice;
  EXPECT_EQ(ImportFromOtherReceiver(state, ui, choice, nullptr), -1);  // the file dialog
  ui.openPaths = {conf};
  EXPECT_EQ(ImportFromOtherReceiver(state, ui, choice,
                                    [](const std::vector<int>&, ImportChoice&) { return false; }),
            -1);
  ui.openPaths = {dir.File("missing")};
  EXPECT_EQ(ImportFromOtherReceiver(state, ui, choice, nullptr), -1);
  EXPECT_EQ(Matching(ui.calls, "message "),
            (std::vector<std::string>{"message information: Unable to open file " +
                                      dir.File("missing")}));
  EXPECT_EQ(Names(), (std::vector<std::string>{"Mine"}));
  EXPECT_FALSE(state.settingsModified);
}

TEST_F(ListCommandsTest, OrderAndExportNeedAList) {
  state.settingsImage.reset();
  std::string folder;
  EXPECT_FALSE(OrderLikeReferenceList(state, ui, folder));
  ExportChoice choice;
  EXPECT_FALSE(ExportForOtherReceiver(state, ui, choice, nullptr));
  EXPECT_EQ(Matching(ui.calls, "message "),
            (std::vector<std::string>(
                2, "message warning: Please load settings before using this function")));
  EXPECT_TRUE(ui.fileRequests.empty());
}

TEST_F(ListCommandsTest, OrderingTellsHowManyMatchedAndLeavesAnUnmatchedListAlone) {
  state.settingsImage->push_back(testing::MakeChannel("rai news", 11805));
  state.settingsImage->back().polarity = 1;
  std::string folder;
  ui.openPaths = {conf};
  EXPECT_TRUE(OrderLikeReferenceList(state, ui, folder));
  EXPECT_EQ(Names(), (std::vector<std::string>{"News", "rai news", "Altri canali", "Mine"}));
  EXPECT_TRUE(state.settingsModified);
  EXPECT_EQ(Matching(ui.calls, "status: ").back(),
            "status: 1 of 2 channels matched the reference list");

  state.settingsImage = std::vector<ChannelRecord>{testing::MakeChannel("Nothing alike", 10000)};
  state.settingsModified = false;
  ui.openPaths = {conf};
  EXPECT_FALSE(OrderLikeReferenceList(state, ui, folder));
  EXPECT_FALSE(state.settingsModified);
  EXPECT_EQ(Matching(ui.calls, "status: ").back(),
            "status: 0 of 1 channels matched the reference list");
}

TEST_F(ListCommandsTest, ExportWritesWhereTheUserSaid) {
  ExportChoice choice;
  const std::string lamedb = dir.File("box/lamedb");
  ui.savePaths = {lamedb};
  EXPECT_TRUE(ExportForOtherReceiver(state, ui, choice, [](ExportChoice& chosen) {
    chosen.format = ExportFormat::kEnigma2;
    return true;
  }));
  EXPECT_EQ(ui.fileRequests.back().title, "Export lamedb and Bouquets");
  EXPECT_EQ(ui.fileRequests.back().path, "lamedb");
  EXPECT_FALSE(testing::ReadBytes(lamedb).empty());
  EXPECT_FALSE(testing::ReadBytes(dir.File("box/userbouquet.pelorus.tv")).empty());
  EXPECT_EQ(Matching(ui.calls, "status: ").back(), "status: 1 channels exported");

  // A folder that cannot be made: the message of a file that cannot be written.
  testing::WriteBytes(dir.File("plain"), {'x'});
  ui.savePaths = {dir.File("plain/sub/lamedb")};
  EXPECT_FALSE(ExportForOtherReceiver(state, ui, choice, nullptr));
  EXPECT_EQ(Matching(ui.calls, "message ").back(),
            "message information: Unable to open file for output");
}

}  // namespace
}  // namespace pelorus
