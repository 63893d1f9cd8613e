// pelorus-cli mpeg-paste, run in-process: appending a saved MPEG Search Project list to a
// settings file, new or existing.
#include <gtest/gtest.h>

#include "channels/channel_name.h"
#include "channels/settings_file.h"
#include "support/cli_run.h"
#include "support/records.h"
#include "support/temp_dir.h"

namespace pelorus {
namespace {

constexpr char kList[] =
    "Source: the site\n"
    "SatA,KU,11778,V,Info Kanal,x,27500,3/4,255,x,x,256,\n"
    "SatA,C,3900,H,Ceee,x,5000,3/4,300,x,x,301,\n"
    "SatB,KU,12300,H,Drei,x,27500,3/4,400,x,x,401,\n";

std::vector<ChannelRecord> Load(const std::string& path) {
  return DecodeSettingsBytes(testing::ReadBytes(path));
}

std::vector<std::string> PlainNames(const std::vector<ChannelRecord>& records) {
  std::vector<std::string> names;
  for (const ChannelRecord& record : records) names.push_back(DecodeChannelName(record));
  return names;
}

class CliMpegPasteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    input = dir.File("list.txt");
    const std::string text = kList;
    testing::WriteBytes(input, std::vector<uint8_t>(text.begin(), text.end()));
    output = dir.File("out.dvb");
  }
  testing::TempDir dir;
  std::string input;
  std::string output;
};

TEST_F(CliMpegPasteTest, CreatesTheSettingsFileWithMarkers) {
  const testing::CliRun run = testing::RunCommandLine(
      {"mpeg-paste", output, input, "--diseqc-ku", "1", "--diseqc-dbs", "2", "--diseqc-c", "3"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "5 channels pasted, 5 in all\n");
  const std::vector<ChannelRecord> records = Load(output);
  EXPECT_EQ(PlainNames(records),
            (std::vector<std::string>{"-- SatA --", "Info Kanal", "Ceee", "-- SatB --", "Drei"}));
  ASSERT_EQ(records.size(), 5u);
  EXPECT_EQ(records[1].lnbSelect, 1);
  EXPECT_EQ(records[2].lnbSelect, 3);
  EXPECT_EQ(records[4].lnbSelect, 2);
  EXPECT_EQ(records[1].frequency, 11778);
}

TEST_F(CliMpegPasteTest, AppendsToAnExistingFileWithTheChosenOptions) {
  testing::WriteBytes(output, testing::FileBytes({testing::MakeChannel("Old", 10700)}));
  const testing::CliRun run =
      testing::RunCommandLine({"mpeg-paste", output, input, "--mode", "ku", "--no-markers"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(PlainNames(Load(output)), (std::vector<std::string>{"Old", "Info Kanal", "Drei"}));

  const std::string caret = dir.File("caret.txt");
  const std::string text = "S^C^3800^H^Caret^x^5000^1/2^1^x^x^2^\r\n";
  testing::WriteBytes(caret, std::vector<uint8_t>(text.begin(), text.end()));
  EXPECT_EQ(testing::RunCommandLine(
                {"mpeg-paste", output, caret, "--delimiter", "^", "--mode", "c", "--no-markers"})
                .status,
            0);
  EXPECT_EQ(PlainNames(Load(output)).back(), "Caret");
}

TEST_F(CliMpegPasteTest, UsageAndFailures) {
  for (const std::vector<std::string>& args : {std::vector<std::string>{"mpeg-paste", output},
                                               {"mpeg-paste", output, input, "extra"},
                                               {"mpeg-paste", output, input, "--mode", "dbs"},
                                               {"mpeg-paste", output, input, "--delimiter", ";"},
                                               {"mpeg-paste", output, input, "--diseqc-c", "4"},
                                               {"mpeg-paste", output, input, "--diseqc-ku"},
                                               {"mpeg-paste", output, input, "--markers"}}) {
    const testing::CliRun run = testing::RunCommandLine(args);
    EXPECT_EQ(run.status, 2) << args.back();
    EXPECT_NE(run.err.find("usage: pelorus-cli mpeg-paste OUT.dvb IN.txt"), std::string::npos);
  }
  const testing::CliRun missing =
      testing::RunCommandLine({"mpeg-paste", output, dir.File("missing.txt")});
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("Unable to open file " + dir.File("missing.txt")), std::string::npos);
  EXPECT_TRUE(testing::ReadBytes(output).empty());
}

}  // namespace
}  // namespace pelorus
