// pelorus-cli serial scan as a user runs it, and the words it refuses.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <QImage>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/cli_run.h"
#include "support/sim_process.h"
#include "support/temp_dir.h"

namespace pelorus {
namespace {

using testing::SimProcess;
using testing::TempDir;

std::string Text(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(ScannerCli, ScanWritesTheFileAndThePlot) {
  TempDir dir;
  SimProcess sim(dir);
  ASSERT_TRUE(sim.Running());
  std::vector<std::string> args = {PELORUS_BINARY_DIR "/src/cli/pelorus-cli",
                                   "serial",
                                   "scan",
                                   dir.File("band.scn"),
                                   "--lnb",
                                   "l",
                                   "--from",
                                   "950",
                                   "--to",
                                   "1000",
                                   "--pol",
                                   "h",
                                   "--png",
                                   dir.File("band.png"),
                                   "--port",
                                   sim.Port(),
                                   "--options",
                                   dir.File("options.ini")};
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 2, dir.File("stderr.txt").c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const std::string dataHome = "XDG_DATA_HOME=" + dir.File("data");
  // The PNG is drawn with QtGui, whose caches live until the process ends: not leaks of ours.
  const std::string noLeakCheck = "ASAN_OPTIONS=detect_leaks=0";
  std::vector<char*> env = {const_cast<char*>(dataHome.c_str()),
                            const_cast<char*>(noLeakCheck.c_str()), nullptr};
  pid_t pid = -1;
  ASSERT_EQ(posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), env.data()), 0);
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  waitpid(pid, &status, 0);
  const std::string errors = Text(dir.File("stderr.txt"));
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << errors;
  EXPECT_NE(errors.find("Scanning horizontal plane..."), std::string::npos) << errors;

  const std::string scan = Text(dir.File("band.scn"));
  ASSERT_TRUE(scan.starts_with("950\r\n1000\r\n1053\r\n1058\r\n950,")) << scan.substr(0, 40);
  size_t lines = 0;
  for (size_t at = scan.find("\r\n"); at != std::string::npos; at = scan.find("\r\n", at + 2))
    ++lines;
  EXPECT_EQ(lines, 4u + 51u);
  EXPECT_TRUE(scan.ends_with("1000," + scan.substr(scan.rfind(',') + 1)));
  const QImage plot(QString::fromStdString(dir.File("band.png")));
  EXPECT_EQ(plot.size(), QSize(1024, 600));
  EXPECT_TRUE(sim.WaitForLog("signal end"));
}

TEST(ScannerCli, RefusesWhatItCannotScan) {
  TempDir dir;
  const auto run = [&dir](std::vector<std::string> words) {
    words.insert(words.begin(), "serial");
    words.insert(words.end(), {"--port", dir.File("nothing"), "--options", dir.File("o.ini")});
    return testing::RunCommandLine(words);
  };
  EXPECT_EQ(run({"scan", dir.File("a.scn"), "--lnb", "ku", "--from", "1", "--to", "2"}).status, 2);
  EXPECT_EQ(run({"scan", "--lnb", "l", "--from", "950", "--to", "960"}).status, 2);
  EXPECT_EQ(
      run({"lock-search", "--lnb", "l", "--from", "950", "--to", "960", "--step", "21"}).status, 2);
  // Numbers are read whole, and a range must hold a frequency, in both actions alike.
  for (const char* action : {"scan", "lock-search"}) {
    std::vector<std::string> words = {action};
    if (std::string(action) == "scan") words.push_back(dir.File("a.scn"));
    const auto with = [&words](std::vector<std::string> more) {
      std::vector<std::string> all = words;
      all.insert(all.end(), more.begin(), more.end());
      return all;
    };
    EXPECT_EQ(run(with({"--lnb", "l", "--from", "950x", "--to", "960"})).status, 2) << action;
    EXPECT_EQ(run(with({"--lnb", "l", "--from", " 950", "--to", "960"})).status, 2) << action;
    EXPECT_EQ(run(with({"--lnb", "l", "--from", "950", "--to", "0x3c0"})).status, 2) << action;
    const auto empty = run(with({"--lnb", "l", "--from", "961", "--to", "960"}));
    EXPECT_EQ(empty.status, 2) << action;
    EXPECT_NE(empty.err.find("--from 961 is above --to 960"), std::string::npos) << empty.err;
  }
  EXPECT_EQ(
      run({"lock-search", "--lnb", "l", "--from", "950", "--to", "960", "--width", "4o"}).status,
      2);
  EXPECT_FALSE(std::filesystem::exists(dir.File("a.scn")));
  const auto outside =
      run({"scan", dir.File("a.scn"), "--lnb", "c", "--from", "950", "--to", "960"});
  EXPECT_EQ(outside.status, 1);
  EXPECT_NE(outside.err.find("Please correct the frequency range errors"), std::string::npos);
}

}  // namespace
}  // namespace pelorus
