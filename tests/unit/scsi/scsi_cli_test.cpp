// pelorus-cli scsi ..., run in-process against the stand-in receiver process.
#include <gtest/gtest.h>
#include <stdlib.h>

#include "support/cli_run.h"
#include "support/records.h"
#include "support/sim_process.h"
#include "support/temp_dir.h"

namespace pelorus {
namespace {

using testing::RunCommandLine;

class ScsiCliTest : public ::testing::Test {
 protected:
  void Start(std::vector<std::string> extra = {}) {
    sim = std::make_unique<testing::ScsiSimProcess>(dir, extra);
    ASSERT_TRUE(sim->Running());
  }
  testing::CliRun Run(std::vector<std::string> words) {
    words.insert(words.begin(), "scsi");
    words.push_back("--scsi");
    words.push_back(sim->Link());
    return RunCommandLine(words);
  }

  testing::TempDir dir;
  std::unique_ptr<testing::ScsiSimProcess> sim;
};

TEST_F(ScsiCliTest, ScanPrintsWhereTheReceiverIs) {
  Start({"--scsi-id", "5"});
  const auto run = Run({"scan"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "Mediamaster located on SCSI adapter 0 at ID 5\n");
}

TEST_F(ScsiCliTest, NoReceiverIsAFailureWithTheEditorsMessage) {
  Start({"--inquiry", "other"});
  const auto run = Run({"speed-test"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err,
            "Function unavailable without SCSI interface\nno receiver answered on the SCSI bus\n");
}

TEST_F(ScsiCliTest, TheEnvironmentNamesTheSimulatorWhenTheCommandLineDoesNot) {
  Start();
  ::setenv("PELORUS_SCSI", sim->Link().c_str(), 1);
  const auto run = RunCommandLine({"scsi", "scan"});
  ::unsetenv("PELORUS_SCSI");
  EXPECT_EQ(run.status, 0);
}

TEST_F(ScsiCliTest, SettingsFromTheReceiverToAFileAndBack) {
  const std::vector<uint8_t> seeded =
      testing::FileBytes({testing::MakeChannel("One", 10700), testing::MakeChannel("Two", 11700)});
  const std::string seed = dir.File("seed.dvb");
  testing::WriteBytes(seed, seeded);
  Start({"--channels", seed});
  const std::string out = dir.File("out.dvb");
  const auto read = Run({"read-settings", out});
  EXPECT_EQ(read.status, 0) << read.err;
  EXPECT_EQ(read.err,
            "Mediamaster located on SCSI adapter 0 at ID 3\nGetting channel count...\n"
            "Getting channels...\n");
  EXPECT_EQ(testing::ReadBytes(out), seeded);

  const std::vector<uint8_t> three =
      testing::FileBytes({testing::MakeChannel("A", 10000), testing::MakeChannel("B", 10001),
                          testing::MakeChannel("C", 10002)});
  testing::WriteBytes(dir.File("three.dvb"), three);
  EXPECT_EQ(Run({"write-settings", dir.File("three.dvb")}).status, 0);
  EXPECT_EQ(Run({"read-settings", out}).status, 0);
  EXPECT_EQ(testing::ReadBytes(out), three);
}

TEST_F(ScsiCliTest, AnEmptyTableIsReadAndSaysSo) {
  const std::string empty = dir.File("empty.dvb");
  testing::WriteBytes(empty, {});
  Start({"--channels", empty});
  const std::string out = dir.File("out.dvb");
  const auto read = Run({"read-settings", out});
  EXPECT_EQ(read.status, 0) << read.err;
  EXPECT_EQ(read.err,
            "Mediamaster located on SCSI adapter 0 at ID 3\nGetting channel count...\n"
            "Getting channels...\n0 channels\n");
  EXPECT_TRUE(testing::ReadBytes(out).empty());
}

TEST_F(ScsiCliTest, FirmwareAndMemoryAndTheirFailures) {
  Start({"--fault", "scsi-fail:1"});
  testing::WriteBytes(dir.File("fw.bin"), std::vector<uint8_t>(1000, 1));
  const auto failed = Run({"firmware", dir.File("fw.bin")});
  EXPECT_EQ(failed.status, 1);
  EXPECT_NE(failed.err.find("Upgrade firmware command failed\n"), std::string::npos);

  const auto dumped = Run({"read-memory", "$2000000", "0x100", dir.File("m.mem")});
  EXPECT_EQ(dumped.status, 0) << dumped.err;
  EXPECT_EQ(testing::ReadBytes(dir.File("m.mem")).size(), 0x100u);

  // A bootloader-sized image is only sent with --yes.
  testing::WriteBytes(dir.File("boot.bin"), std::vector<uint8_t>(131072, 2));
  EXPECT_EQ(Run({"firmware", dir.File("boot.bin")}).status, 1);
  auto words = std::vector<std::string>{"firmware", dir.File("boot.bin"), "--yes"};
  EXPECT_EQ(Run(words).status, 0);
}

TEST_F(ScsiCliTest, UsageErrors) {
  Start();
  EXPECT_EQ(Run({}).status, 2);
  EXPECT_EQ(Run({"read-settings"}).status, 2);
  EXPECT_EQ(Run({"frobnicate"}).status, 2);
  EXPECT_EQ(Run({"read-memory", "0", "0", dir.File("x.mem")}).status, 2);
  EXPECT_EQ(Run({"read-memory", "0x80000000", "16", dir.File("x.mem")}).status, 2);
}

}  // namespace
}  // namespace pelorus
