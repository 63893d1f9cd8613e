// Version text, web links, the guards and the menu table.
#include "app/shell.h"

#include <gtest/gtest.h>

#include <set>

#include "app/commands.h"
#include "app/version.h"
#include "app/web_links.h"
#include "support/fake_ui.h"

namespace pelorus {
namespace {

TEST(Version, ReleaseAndBetaTexts) {
  EXPECT_EQ(BuildVersionString("5, 0, 8, 58").text, "5.0 BETA 8 (Build 58)");
  const VersionInfo release = BuildVersionString("5, 1, 0, 60");
  EXPECT_EQ(release.text, "5.1 (Build 60)");
  EXPECT_EQ(release.build, 60);
  EXPECT_EQ(BuildVersionString("5, 1, -1, 61").text, "5.1 (Build 61)");
  EXPECT_EQ(BuildVersionString("").text, "");
  EXPECT_EQ(BuildVersionString("garbage").build, 0);
  // The program's own version is well formed.
  EXPECT_FALSE(BuildVersionString(ProgramFileVersion()).text.empty());
}

TEST(WebLinks, UpdatePagesAndHomePagesOnThreeMirrors) {
  const auto update = WebLinkForCommand(cmd::kUpdatesPrimary, 60);
  ASSERT_TRUE(update);
  EXPECT_TRUE(update->ends_with("/build60.html"));
  const auto home = WebLinkForCommand(cmd::kHomePrimary, 60);
  ASSERT_TRUE(home);
  EXPECT_EQ(*update, *home + "build60.html");
  std::set<std::string> mirrors;
  for (const int command : {cmd::kHomePrimary, cmd::kHomeSecondary, cmd::kHomeNorth}) {
    mirrors.insert(*WebLinkForCommand(command, 1));
    EXPECT_EQ(*WebLinkForCommand(command, 7) + "build7.html",
              *WebLinkForCommand(command == cmd::kHomePrimary     ? cmd::kUpdatesPrimary
                                 : command == cmd::kHomeSecondary ? cmd::kUpdatesSecondary
                                                                  : cmd::kUpdatesNorth,
                                 7));
  }
  EXPECT_EQ(mirrors.size(), 3u);
  EXPECT_FALSE(WebLinkForCommand(cmd::kOpen, 1));
}

TEST(Shell, GuardsAndUnderConstruction) {
  testing::FakeUi ui;
  EditorState state;
  EXPECT_FALSE(RequireSettings(state, ui));
  state.settingsImage.emplace();
  EXPECT_TRUE(RequireSettings(state, ui));
  ShowUnderConstruction(ui);
  EXPECT_EQ(ui.calls, (std::vector<std::string>{
                          "message warning: Please load settings before using this function",
                          "message information: Under Construction"}));
}

TEST(Shell, CloseAsksOnlyForAModifiedList) {
  testing::FakeUi ui;
  EditorState state;
  EXPECT_TRUE(ConfirmClose(state, ui));
  EXPECT_TRUE(ui.calls.empty());
  state.settingsModified = true;
  state.settingsImage.emplace();
  ui.answers = {Answer::kCancel, Answer::kNo, Answer::kYes};
  EXPECT_FALSE(ConfirmClose(state, ui));
  EXPECT_TRUE(ConfirmClose(state, ui));
  EXPECT_FALSE(ConfirmClose(state, ui));  // Yes, then the save dialog is cancelled
  EXPECT_EQ(ui.calls.back(), "save dialog: Save Settings");
}

TEST(MenuTable, EveryCommandOnceAndTheScsiItems) {
  std::set<int> seen;
  int separators = 0;
  std::function<void(std::span<const MenuEntry>)> walk = [&](std::span<const MenuEntry> entries) {
    for (const MenuEntry& entry : entries) {
      if (!entry.submenu.empty()) {
        walk(entry.submenu);
      } else if (entry.command == 0) {
        ++separators;
      } else {
        EXPECT_TRUE(seen.insert(entry.command).second) << entry.command;
        // The program's own numbers, or the additions numbered apart from them.
        const bool own = entry.command >= 40001 && entry.command <= 40105;
        const bool added = entry.command >= cmd::kUndo && entry.command < 40400;
        EXPECT_TRUE(own || added) << entry.command;
      }
    }
  };
  for (const MenuPopup& popup : MainMenu()) walk(popup.entries);
  EXPECT_EQ(MainMenu().size(), 7u);
  EXPECT_EQ(separators, 13);  // 11 of the program's, 2 around the additions
  EXPECT_EQ(ScsiOnlyCommands().size(), 12u);
  for (const int command : ScsiOnlyCommands()) EXPECT_TRUE(seen.count(command)) << command;

  const auto toolbar = Toolbar();
  ASSERT_EQ(toolbar.size(), 21u);
  EXPECT_EQ(toolbar[15].serialCommand, cmd::kSerialWrite);
  EXPECT_EQ(toolbar[15].scsiCommand, cmd::kScsiWrite);
  EXPECT_STREQ(toolbar[16].scsiTooltip, "Read settings from Mediamaster via SCSI");
  EXPECT_STREQ(GrabTooltip(true), "SCSI frame grabber");
  EXPECT_TRUE(ClearsStatusAfter(cmd::kSerialWrite));
  // The reads clear it themselves, or leave "0 channels" there.
  EXPECT_FALSE(ClearsStatusAfter(cmd::kSerialRead));
  EXPECT_FALSE(ClearsStatusAfter(cmd::kScsiRead));
  EXPECT_FALSE(ClearsStatusAfter(cmd::kOpen));
}

}  // namespace
}  // namespace pelorus
