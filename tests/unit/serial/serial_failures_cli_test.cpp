// pelorus-cli serial against a receiver that misbehaves: every failure ends in its message and
// exit status 1, and nothing unverified replaces a file unasked.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/cli_process.h"
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

class SerialFailuresTest : public ::testing::Test {
 protected:
  testing::CliProcessRun Run(std::vector<std::string> args) {
    args.insert(args.end(), {"--options", dir.File("options.ini")});
    return testing::RunCliProcess(dir.path().string(), args, std::chrono::seconds(30));
  }
  std::vector<ChannelRecord> Channels(int count) { return testing::NumberedChannels(count); }
  TempDir dir;
};

TEST_F(SerialFailuresTest, AWrongChecksumReplacesAFileOnlyWhenConfirmed) {
  WriteBytes(dir.File("receiver.dvb"), FileBytes(Channels(3)));
  SimProcess sim(dir, {"--channels", dir.File("receiver.dvb"), "--fault", "bad-checksum"});
  ASSERT_TRUE(sim.Running());
  const std::vector<uint8_t> old = FileBytes(Channels(1));
  WriteBytes(dir.File("out.dvb"), old);

  const auto refused = Run({"serial", "read-settings", dir.File("out.dvb"), "--port", sim.Port()});
  EXPECT_EQ(refused.status, 1) << refused.err;
  EXPECT_NE(refused.err.find("Warning: Checksum received from Mediamaster is incorrect"),
            std::string::npos);
  EXPECT_NE(refused.err.find(dir.File("out.dvb") + " was not replaced"), std::string::npos);
  EXPECT_EQ(ReadBytes(dir.File("out.dvb")), old);

  const auto confirmed =
      Run({"serial", "read-settings", dir.File("out.dvb"), "--port", sim.Port(), "--yes"});
  EXPECT_EQ(confirmed.status, 0) << confirmed.err;
  EXPECT_EQ(ReadBytes(dir.File("out.dvb")), FileBytes(Channels(3)));

  // A new file replaces nothing: it is written, after the warning.
  const auto fresh = Run({"serial", "read-settings", dir.File("new.dvb"), "--port", sim.Port()});
  EXPECT_EQ(fresh.status, 0) << fresh.err;
  EXPECT_EQ(ReadBytes(dir.File("new.dvb")), FileBytes(Channels(3)));
}

TEST_F(SerialFailuresTest, AWriteCutOffAfterTheFirstRecordIsAFailure) {
  SimProcess sim(dir, {"--fault", "disconnect"});
  ASSERT_TRUE(sim.Running());
  WriteBytes(dir.File("ten.dvb"), FileBytes(Channels(10)));
  const auto run = Run({"serial", "write-settings", dir.File("ten.dvb"), "--port", sim.Port()});
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_NE(run.err.find("Pelorus was unable to send the settings to the Mediamaster"),
            std::string::npos)
      << run.err;
  EXPECT_TRUE(sim.WaitForLog("put-settings cut short after 64"));
}

TEST_F(SerialFailuresTest, AListLargerThanTheReceiverHoldsIsNeverSent) {
  SimProcess sim(dir);
  ASSERT_TRUE(sim.Running());
  WriteBytes(dir.File("huge.dvb"), FileBytes(Channels(70000)));
  const auto run = Run({"serial", "write-settings", dir.File("huge.dvb"), "--port", sim.Port()});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "The list has 70000 channels; the Mediamaster holds at most 65536\n");
  EXPECT_EQ(sim.Log().find("put-settings"), std::string::npos);
}

TEST_F(SerialFailuresTest, AnEmptyTableIsReadAndSaysSo) {
  WriteBytes(dir.File("empty.dvb"), {});
  SimProcess sim(dir, {"--channels", dir.File("empty.dvb")});
  ASSERT_TRUE(sim.Running());
  const auto read = Run({"serial", "read-settings", dir.File("out.dvb"), "--port", sim.Port()});
  EXPECT_EQ(read.status, 0) << read.err;
  // The last status line is the count; nothing after it.
  EXPECT_TRUE(read.err.ends_with("\n0 channels\n")) << read.err;
  EXPECT_TRUE(ReadBytes(dir.File("out.dvb")).empty());
}

TEST_F(SerialFailuresTest, ThePortIsNamedWithTheReasonAndAnEmptyOneIsAUsageError) {
  const auto missing =
      Run({"serial", "read-settings", dir.File("out.dvb"), "--port", dir.File("no-tty")});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err,
            "Unable to open serial port\n" + dir.File("no-tty") + ": No such file or directory\n");
  WriteBytes(dir.File("plain"), {1});
  const auto plain =
      Run({"serial", "read-settings", dir.File("out.dvb"), "--port", dir.File("plain")});
  EXPECT_EQ(plain.status, 1);
  EXPECT_NE(plain.err.find(dir.File("plain") + ": "), std::string::npos);

  const auto empty = Run({"serial", "read-settings", dir.File("out.dvb"), "--port", ""});
  EXPECT_EQ(empty.status, 2);
  EXPECT_LT(empty.took, std::chrono::seconds(2));
  EXPECT_FALSE(std::filesystem::exists(dir.File("out.dvb")));
}

}  // namespace
}  // namespace pelorus
