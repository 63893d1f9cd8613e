// The console's command lines as the user meets them: the faults named with their command or
// action, the help of one action, and the actions' options all in their help (the completion
// script reads them there).
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "cli.h"
#include "link_actions.h"
#include "support/cli_run.h"

namespace pelorus {
namespace {

using testing::RunCommandLine;

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(CliParse, FaultsAreNamedWithTheCommandOrAction) {
  const auto repeated = RunCommandLine({"sort", "a.dvb", "b.dvb", "--by", "name", "--by", "sid"});
  EXPECT_EQ(repeated.status, 2);
  EXPECT_TRUE(Contains(repeated.err, "pelorus-cli: option '--by' is given more than once\n"))
      << repeated.err;
  EXPECT_TRUE(Contains(repeated.err, "usage: pelorus-cli sort IN.dvb OUT.dvb --by "));

  const auto missing = RunCommandLine({"export", "a.dvb", "b.txt", "--rows"});
  EXPECT_EQ(missing.status, 2);
  EXPECT_TRUE(Contains(missing.err, "option '--rows' needs a value")) << missing.err;

  const auto action = RunCommandLine({"scsi", "frobnicate"});
  EXPECT_EQ(action.status, 2);
  EXPECT_TRUE(Contains(action.err, "unknown action 'frobnicate' for scsi")) << action.err;

  const auto option = RunCommandLine({"scsi", "capture", "x.mpp", "--pid", "1", "--frob"});
  EXPECT_EQ(option.status, 2);
  EXPECT_TRUE(Contains(option.err, "unknown option '--frob' for scsi capture\n")) << option.err;
  EXPECT_TRUE(Contains(option.err, "usage: pelorus-cli scsi capture OUT.mpp --pid N"));
  // An option of one action is unknown to another.
  const auto other = RunCommandLine({"scsi", "read-settings", "x.dvb", "--pid", "1"});
  EXPECT_TRUE(Contains(other.err, "unknown option '--pid' for scsi read-settings")) << other.err;

  const auto emptyPort = RunCommandLine({"serial", "--port", "", "read-settings", "x.dvb"});
  EXPECT_EQ(emptyPort.status, 2);
  const auto count = RunCommandLine({"diff", "a.dvb"});
  EXPECT_EQ(count.status, 2);
  EXPECT_EQ(count.err, "usage: pelorus-cli diff OLD.dvb NEW.dvb\n");
}

TEST(CliParse, DoubleDashLetsANameBeginWithDashes) {
  // Taken as a file name, it fails as a missing file does, not as a usage.
  const auto run = RunCommandLine({"convert", "--", "--no-such.dvb", "--out.dvb"});
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_TRUE(Contains(run.err, "--no-such.dvb")) << run.err;
}

TEST(CliParse, EachActionExplainsItselfWithItsLinksOptions) {
  for (const char* link : {"scsi", "serial"}) {
    const CliCommand* command = FindCliCommand(link);
    ASSERT_NE(command, nullptr);
    const std::vector<const LinkAction*> actions = LinkActionsOf(link);
    ASSERT_FALSE(actions.empty());
    for (const LinkAction* action : actions) {
      const auto asked = RunCommandLine({"help", link, action->name});
      const auto flagged = RunCommandLine({link, action->name, "--help"});
      EXPECT_EQ(asked.status, 0);
      EXPECT_EQ(asked.out, flagged.out);
      EXPECT_EQ(asked.out.rfind("usage: pelorus-cli " + action->Usage() + "\n", 0), 0u)
          << asked.out;
      for (const CommandLine* line : {&action->line, &command->line}) {
        for (const OptionWord& option : line->options) {
          EXPECT_TRUE(Contains(asked.out, std::string("\n  ") + option.name))
              << link << " " << action->name << " " << option.name;
        }
      }
      // The link's help names every action on a line of its own, where completion finds it.
      const auto whole = RunCommandLine({"help", link});
      EXPECT_TRUE(Contains(whole.out, "\n  pelorus-cli " + action->Usage() + "\n"));
    }
  }
}

// An option declared twice on one line would be read as whichever the parser met first.
TEST(CliParse, NoLineDeclaresAnOptionTwice) {
  std::vector<CommandLine> lines;
  for (const CliCommand& command : CliCommands()) lines.push_back(command.line);
  for (const char* link : {"scsi", "serial"}) {
    for (const LinkAction* action : LinkActionsOf(link)) lines.push_back(ActionLine(*action));
  }
  for (const CommandLine& line : lines) {
    std::set<std::string> names = {"--help", "--yes", "--no"};
    for (const OptionWord& option : line.options) {
      EXPECT_TRUE(names.insert(option.name).second) << option.name;
    }
  }
}

}  // namespace
}  // namespace pelorus
