// The simulator's own command line: the faults named with the usage on stderr, the help and the
// version on stdout, and every option it takes described in its manual page.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/sim_process.h"
#include "support/temp_dir.h"

namespace pelorus {
namespace {

struct Run {
  int status = -1;
  std::string out;
  std::string err;
};

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

Run RunSimulator(const testing::TempDir& dir, const std::vector<std::string>& words) {
  // Bounded: a line the simulator wrongly took would start it for good.
  std::string command = "timeout 10 '" + testing::SimProcess::SimulatorPath() + "'";
  for (const std::string& word : words) command += " '" + word + "'";
  command += " >'" + dir.File("out") + "' 2>'" + dir.File("err") + "' </dev/null";
  const int raw = std::system(command.c_str());
  Run run;
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.out = ReadFile(dir.File("out"));
  run.err = ReadFile(dir.File("err"));
  return run;
}

TEST(SimCommandLine, FaultsAreNamedAndExitWithUsage) {
  testing::TempDir dir;
  const auto unknown = RunSimulator(dir, {"--serial-link", dir.File("tty"), "--colour"});
  EXPECT_EQ(unknown.status, 2);
  EXPECT_EQ(unknown.err.rfind("pelorus-receiver-sim: unknown option '--colour'\n"
                              "usage: pelorus-receiver-sim [--serial-link PATH]",
                              0),
            0u)
      << unknown.err;
  EXPECT_EQ(RunSimulator(dir, {"--log"}).err.rfind("pelorus-receiver-sim: option '--log' needs", 0),
            0u);
  // Values it cannot use are refused before anything starts.
  for (const std::vector<std::string>& words :
       {std::vector<std::string>{"--scsi-socket", dir.File("s"), "--scsi-id", "three"},
        {"--scsi-socket", dir.File("s"), "--transponder", "99"},
        {"--scsi-socket", dir.File("s"), "--audio", "flac"},
        {"--serial-link", dir.File("tty"), "stray-word"},
        {"--serial-link", dir.File("a"), "--serial-link", dir.File("b")}}) {
    const auto run = RunSimulator(dir, words);
    EXPECT_EQ(run.status, 2) << words.back();
    EXPECT_NE(run.err.find("usage: pelorus-receiver-sim"), std::string::npos) << words.back();
  }
  EXPECT_EQ(RunSimulator(dir, {}).status, 2);

  // A fault neither side knows is refused, whichever side was asked for, and so is a count that
  // is not a number; the known ones of either side start.
  for (const std::vector<std::string>& words :
       {std::vector<std::string>{"--scsi-socket", dir.File("s"), "--fault", "bogus"},
        {"--serial-link", dir.File("tty"), "--fault", "scsi-bogus"},
        {"--scsi-socket", dir.File("s"), "--fault", "scsi-fail:x"},
        {"--scsi-socket", dir.File("s"), "--fault", "scsi-silent:0"},
        {"--serial-link", dir.File("tty"), "--fault", "crc-error:-1"}}) {
    const auto run = RunSimulator(dir, words);
    EXPECT_EQ(run.status, 2) << words.back();
    EXPECT_EQ(run.err.rfind("pelorus-receiver-sim: unknown fault '" + words.back() + "'\n", 0), 0u)
        << run.err;
  }
  for (const std::string fault : {"garbage", "scsi-fail:3", "crc-error:2", "scsi-huge-count"}) {
    // The simulator runs until `timeout` ends it (status 124).
    std::string command = "timeout 1 '" + testing::SimProcess::SimulatorPath() +
                          "' --scsi-socket '" + dir.File(fault + ".sock") + "' --fault " + fault +
                          " >/dev/null 2>&1 </dev/null";
    const int raw = std::system(command.c_str());
    EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, 124) << fault;
  }
}

TEST(SimCommandLine, HelpAndVersionAndTheManualAgree) {
  testing::TempDir dir;
  const auto version = RunSimulator(dir, {"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_TRUE(std::regex_match(version.out, std::regex("pelorus-receiver-sim [0-9.]+\n")));
  const auto help = RunSimulator(dir, {"--fault", "garbage", "--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_TRUE(help.err.empty());

  std::string manual = ReadFile(PELORUS_SOURCE_DIR "/resources/man/pelorus-receiver-sim.1");
  manual = std::regex_replace(manual, std::regex(R"(\\-)"), "-");
  const std::regex option("\n  (--[a-z-]+)");
  std::set<std::string> described;
  for (auto it = std::sregex_iterator(help.out.begin(), help.out.end(), option);
       it != std::sregex_iterator(); ++it) {
    described.insert((*it)[1]);
    const std::string name = (*it)[1];
    EXPECT_TRUE(manual.find(".B " + name + "\n") != std::string::npos ||
                manual.find(".BI " + name + " \"") != std::string::npos)
        << name;
  }
  EXPECT_GE(described.size(), 15u);
}

}  // namespace
}  // namespace pelorus
