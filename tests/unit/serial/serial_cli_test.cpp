// pelorus-cli serial as a user runs it: a separate process, talking to the simulator.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "support/records.h"
#include "support/sim_process.h"
#include "support/temp_dir.h"

namespace pelorus {
namespace {

using testing::FileBytes;
using testing::MakeChannel;
using testing::ReadBytes;
using testing::SimProcess;
using testing::TempDir;
using testing::WriteBytes;

// Runs pelorus-cli with its own empty options; returns the exit status, stderr in `errors`.
int RunCli(const TempDir& dir, std::vector<std::string> args, std::string& errors) {
  args.insert(args.begin(), PELORUS_BINARY_DIR "/src/cli/pelorus-cli");
  args.insert(args.end(), {"--options", dir.File("options.ini")});
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 2, dir.File("stderr.txt").c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = -1;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) return -1;
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  waitpid(pid, &status, 0);
  std::ifstream in(dir.File("stderr.txt"));
  std::stringstream text;
  text << in.rdbuf();
  errors = text.str();
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(SerialCli, ReadsWritesAndFlashesThroughTheSimulator) {
  TempDir dir;
  const std::vector<ChannelRecord> records = {MakeChannel("Uno", 11000), MakeChannel("Due", 12000)};
  WriteBytes(dir.File("receiver.dvb"), FileBytes(records));
  SimProcess sim(dir, {"--channels", dir.File("receiver.dvb")});
  ASSERT_TRUE(sim.Running());
  std::string errors;

  ASSERT_EQ(RunCli(dir,
                   {"serial", "read-settings", dir.File("out.dvb"), "--port", sim.Port(), "--speed",
                    "19200"},
                   errors),
            0)
      << errors;
  EXPECT_EQ(ReadBytes(dir.File("out.dvb")), FileBytes(records));
  EXPECT_NE(errors.find("Getting channel 1 of 2"), std::string::npos);

  const std::vector<ChannelRecord> edited = {MakeChannel("Tre", 10900)};
  WriteBytes(dir.File("edited.dvb"), FileBytes(edited));
  ASSERT_EQ(RunCli(dir, {"serial", "write-settings", dir.File("edited.dvb"), "--port", sim.Port()},
                   errors),
            0)
      << errors;
  ASSERT_TRUE(sim.WaitForLog("put-settings 64 checksum ok"));
  EXPECT_EQ(ReadBytes(sim.TablePath()), FileBytes(edited));

  std::vector<uint8_t> image(70000);
  for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * i >> 5);
  WriteBytes(dir.File("fw.bin"), image);
  ASSERT_EQ(RunCli(dir, {"serial", "firmware", dir.File("fw.bin"), "--port", sim.Port()}, errors),
            0)
      << errors;
  EXPECT_NE(errors.find("Firmware upgrade completed sucessfully"), std::string::npos);
  ASSERT_TRUE(sim.WaitForLog("flash done 70000"));
  sim.Stop();
  EXPECT_EQ(ReadBytes(sim.FlashPath()), image);
  EXPECT_FALSE(std::filesystem::exists(dir.File("options.ini")));  // no first-run set-up
}

TEST(SerialCli, FailureAndUsageHaveTheirExitStatus) {
  TempDir dir;
  std::string errors;
  EXPECT_EQ(
      RunCli(dir,
             {"serial", "read-settings", dir.File("out.dvb"), "--port", dir.File("no-such-tty")},
             errors),
      1);
  EXPECT_NE(errors.find("Unable to open serial port"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir.File("out.dvb")));
  EXPECT_EQ(RunCli(dir, {"serial", "read-settings", "x.dvb", "--speed", "1200"}, errors), 2);
  EXPECT_EQ(RunCli(dir, {"serial", "dance", "x"}, errors), 2);
  EXPECT_EQ(RunCli(dir, {"serial"}, errors), 2);
}

}  // namespace
}  // namespace pelorus
