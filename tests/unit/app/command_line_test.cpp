#include "app/command_line.h"

#include <gtest/gtest.h>

#include "app/commands.h"
#include "channels/settings_file.h"
#include "serial/colour_transfer.h"
#include "support/fake_ui.h"
#include "support/records.h"

namespace pelorus {
namespace {

TEST(CommandLine, QuotedPathWithBlanksOpensTheFile) {
  const StartupCommand startup = ParseCommandLine("\"/home/me/my lists/astra.dvb\"");
  EXPECT_EQ(startup.commandLineFile, "/home/me/my lists/astra.dvb");
  EXPECT_EQ(startup.command, cmd::kOpen);
}

TEST(CommandLine, TriggersAreFoundAnywhereInAnUpperCaseCopyInTheirOrder) {
  EXPECT_EQ(ParseCommandLine("/x/notes.txt").command, std::nullopt);
  EXPECT_EQ(ParseCommandLine("").command, std::nullopt);
  EXPECT_EQ(ParseCommandLine("/a/prog.sbr.d/list").command, cmd::kUploadSubroutine);
  EXPECT_EQ(ParseCommandLine("/a/x.dvb/y.sbr").command, cmd::kUploadSubroutine);  // .SBR wins
  EXPECT_EQ(ParseCommandLine("/fw/Image.Bin").command, cmd::kSerialFirmware);
  EXPECT_EQ(ParseCommandLine("/cu colours.col").command, cmd::kColoursToReceiver);
  EXPECT_EQ(ParseCommandLine("/CD colours.col 1234").command, cmd::kColoursFromReceiver);
  // The file text keeps its case.
  EXPECT_EQ(ParseCommandLine("/x/List.DvB").commandLineFile, "/x/List.DvB");
}

TEST(CommandLine, KeepsAtMost259CharactersBeforeStrippingQuotes) {
  const std::string longPath = "\"" + std::string(300, 'a') + ".dvb\"";
  const StartupCommand startup = ParseCommandLine(longPath);
  // 259 kept, then the first and the last character dropped.
  EXPECT_EQ(startup.commandLineFile, std::string(257, 'a'));
  EXPECT_EQ(startup.command, std::nullopt);
  EXPECT_EQ(ParseCommandLine("\"").commandLineFile, "");
}

TEST(CommandLine, JoinArgumentsQuotesWordsWithBlanks) {
  EXPECT_EQ(JoinArguments({}), "");
  EXPECT_EQ(JoinArguments({"/a/b c.dvb"}), "\"/a/b c.dvb\"");
  EXPECT_EQ(JoinArguments({"/CD", "x.col", "42"}), "/CD x.col 42");
  EXPECT_EQ(ParseCommandLine(JoinArguments({"/a/b c.dvb"})).commandLineFile, "/a/b c.dvb");
  // A name given as its own argument after /CU is the colour file, blanks and all.
  const StartupCommand upload = ParseCommandLine(JoinArguments({"/CU", "/a/my colours.col"}));
  EXPECT_EQ(upload.command, cmd::kColoursToReceiver);
  EXPECT_EQ(ColourUploadFile(upload.commandLineFile), "/a/my colours.col");
}

// A name that triggers nothing is not kept: the next Open asks before discarding a modified
// list and shows its dialog, instead of loading the stray file in its place.
TEST(CommandLine, TheFileServesOnlyTheCommandTheLineTriggered) {
  EditorState state;
  state.settingsImage = std::vector<ChannelRecord>{testing::MakeChannel("Kept", 11000)};
  state.settingsModified = true;
  std::vector<int> ran;
  const auto run = [&](int command) {
    ran.push_back(command);
    EXPECT_EQ(state.commandLineFile, "/x/list.dvb");  // the triggered command sees its file
  };
  RunStartupCommand(ParseCommandLine("/x/notes.txt"), state, run);
  EXPECT_TRUE(ran.empty());
  EXPECT_EQ(state.commandLineFile, "");

  testing::FakeUi ui;
  EXPECT_FALSE(OpenSettingsFile(state, ui));  // the question is answered No
  ASSERT_FALSE(ui.calls.empty());
  EXPECT_EQ(ui.calls.front().rfind("ask ", 0), 0u) << ui.calls.front();
  EXPECT_EQ(state.settingsImage->size(), 1u);

  // A triggered command that does not take the file (say it is greyed) leaves none behind.
  RunStartupCommand(ParseCommandLine("/x/list.dvb"), state, run);
  EXPECT_EQ(ran, std::vector<int>{cmd::kOpen});
  EXPECT_EQ(state.commandLineFile, "");
}

}  // namespace
}  // namespace pelorus
