// The console commands over settings files, run in-process as pelorus-cli runs them.
#include <gtest/gtest.h>

#include "support/cli_run.h"
#include "support/records.h"
#include "support/temp_dir.h"

namespace pelorus {
namespace {

using testing::CliRun;

class CliSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ChannelRecord marker = testing::MakeChannel("Astra 19.2E", 0);
    ChannelRecord tv = testing::MakeChannel("Das Erste", 11836);
    tv.fecCode = 9;
    tv.videoPid = 0xFFFF;  // masked to 1FFF on load
    tv.audioPid = 0x0066;
    tv.lnbSelect = 2;
    ChannelRecord junk = testing::MakeChannel("junk", 1);
    junk.tag = {0, 0, 0, 0};
    bytes = testing::FileBytes({marker, tv, junk});
    input = dir.File("in.dvb");
    testing::WriteBytes(input, bytes);
  }

  testing::TempDir dir;
  std::vector<uint8_t> bytes;
  std::string input;
};

TEST_F(CliSettingsTest, ListPrintsTheCellTextsOfEveryRow) {
  const CliRun run = testing::RunCommandLine({"list", input});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out,
            "1\tAstra 19.2E\n"
            "2\tDas Erste\t11836\t27500\t?9\t0\tH\t1FFF\t0066\tPAL\t0v\t3\n"
            "2 channels\n");
  EXPECT_EQ(run.err, "");

  const CliRun decimal = testing::RunCommandLine({"list", input, "--decimal"});
  EXPECT_NE(decimal.out.find("\t8191\t102\t"), std::string::npos);
}

TEST_F(CliSettingsTest, ConvertMasksAndDropsUntaggedRecords) {
  const std::string output = dir.File("out.dvb");
  EXPECT_EQ(testing::RunCommandLine({"convert", input, output}).status, 0);
  const std::vector<uint8_t> written = testing::ReadBytes(output);
  ASSERT_EQ(written.size(), 128u);
  EXPECT_TRUE(std::equal(written.begin(), written.begin() + 64, bytes.begin()));
  EXPECT_EQ(written[64 + 16], 0x1F);  // video PID, big-endian, masked
  EXPECT_EQ(written[64 + 17], 0xFF);
}

TEST_F(CliSettingsTest, FailuresAndUsage) {
  const CliRun missing = testing::RunCommandLine({"list", dir.File("none.dvb")});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err, "Unable to open file " + dir.File("none.dvb") + "\n" +
                             dir.File("none.dvb") + ": No such file or directory\n");

  const CliRun unwritable =
      testing::RunCommandLine({"convert", input, dir.File("no/such/folder.dvb")});
  EXPECT_EQ(unwritable.status, 1);
  EXPECT_EQ(unwritable.err, "Unable to open file for output\n" + dir.File("no/such/folder.dvb") +
                                ": No such file or directory\n");

  EXPECT_EQ(testing::RunCommandLine({"list"}).status, 2);
  EXPECT_EQ(testing::RunCommandLine({"list", input, "--hex"}).status, 2);
  EXPECT_EQ(testing::RunCommandLine({"convert", input}).status, 2);
  EXPECT_EQ(testing::RunCommandLine({"frobnicate"}).status, 2);
  EXPECT_EQ(testing::RunCommandLine({}).status, 2);
  const CliRun help = testing::RunCommandLine({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("list FILE.dvb [--decimal]"), std::string::npos);
  EXPECT_NE(help.out.find("convert IN.dvb OUT.dvb"), std::string::npos);
}

}  // namespace
}  // namespace pelorus
