#include "app/command_line.h"

#include <gtest/gtest.h>

#include "app/commands.h"

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
}

}  // namespace
}  // namespace pelorus
