// The console's conventions: every command explains itself on request, unknown options are
// named, and the version is one call away.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "cli.h"
#include "link_actions.h"
#include "support/cli_run.h"

namespace pelorus {
namespace {

using testing::RunCommandLine;

TEST(CliHelp, EveryCommandPrintsItsUsageAndOptionsOnRequest) {
  ASSERT_FALSE(CliCommands().empty());
  const std::regex option("--[a-z0-9-]+");
  for (const CliCommand& command : CliCommands()) {
    const std::string name = command.name;
    const auto asked = RunCommandLine({"help", name});
    const auto flagged = RunCommandLine({name, "--help"});
    EXPECT_EQ(asked.status, 0) << name;
    EXPECT_EQ(flagged.status, 0) << name;
    EXPECT_EQ(asked.out, flagged.out) << name;
    EXPECT_EQ(asked.out.rfind("usage: pelorus-cli " + name, 0), 0u) << asked.out;
    const std::string usage = command.Usage();
    for (auto it = std::sregex_iterator(usage.begin(), usage.end(), option);
         it != std::sregex_iterator(); ++it) {
      EXPECT_NE(asked.out.find(it->str()), std::string::npos) << name << " " << it->str();
    }
  }
}

TEST(CliHelp, UnknownOptionsAndCommandsAreNamedWithUsageStatus) {
  for (const CliCommand& command : CliCommands()) {
    const auto run = RunCommandLine({command.name, "--no-such-option", "x"});
    EXPECT_EQ(run.status, 2) << command.name;
    EXPECT_NE(run.err.find("unknown option '--no-such-option'"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(std::string("usage: pelorus-cli ") + command.name), std::string::npos);
  }
  const auto unknown = RunCommandLine({"help", "frobnicate"});
  EXPECT_EQ(unknown.status, 2);
  EXPECT_NE(unknown.err.find("unknown command 'frobnicate'"), std::string::npos);
}

TEST(CliHelp, VersionAndOverview) {
  const auto version = RunCommandLine({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_TRUE(std::regex_match(version.out, std::regex("pelorus-cli [0-9]+(\\.[0-9]+){3}\n")))
      << version.out;
  const auto overview = RunCommandLine({"--help"});
  EXPECT_EQ(overview.status, 0);
  for (const CliCommand& command : CliCommands()) {
    EXPECT_NE(overview.out.find(std::string("  ") + command.name), std::string::npos);
  }
  EXPECT_EQ(RunCommandLine({}).status, 2);
}

}  // namespace
}  // namespace pelorus

namespace pelorus {
namespace {

int RunNothing(const ParsedLine&, CliContext&) { return kExitDone; }
int RunNoAction(const ParsedLine&, EditorState&, CliContext&) { return kExitDone; }

TEST(CliRegistry, ACommandOrActionRegisteredTwiceIsRefused) {
  // The registrars end the program on a refusal; the refusal itself is what is checked here.
  EXPECT_FALSE(RegisterCliCommand({"list", {}, RunNothing}));
  EXPECT_NE(FindCliCommand("list"), nullptr);
  EXPECT_FALSE(RegisterLinkAction({"scsi", "capture", {}, RunNoAction}));
  EXPECT_NE(FindLinkAction("scsi", "capture"), nullptr);
}

}  // namespace
}  // namespace pelorus
