// The console's export, import, sort and print commands, run in-process.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "channels/channel_line.h"
#include "channels/channel_name.h"
#include "channels/settings_file.h"
#include "support/cli_run.h"
#include "support/records.h"
#include "support/temp_dir.h"

namespace pelorus {
namespace {

using testing::MakeChannel;
using testing::RunCommandLine;

class CliChannelTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    records = {MakeChannel("Delta", 11000), MakeChannel("alpha", 12000),
               MakeChannel("Charlie", 10000), MakeChannel("Bravo", 9000)};
    records[3].serviceId = 1;
    records[2].serviceId = 7;
    input = dir.File("in.dvb");
    testing::WriteBytes(input, testing::FileBytes(records));
  }
  std::vector<std::string> NamesIn(const std::string& path) {
    std::vector<std::string> names;
    for (const ChannelRecord& r : DecodeSettingsBytes(testing::ReadBytes(path))) {
      names.push_back(DecodeChannelName(r));
    }
    return names;
  }
  std::string Text(const std::string& path) {
    const std::vector<uint8_t> bytes = testing::ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
  }
  testing::TempDir dir;
  std::vector<ChannelRecord> records;
  std::string input;
};

TEST_F(CliChannelTextTest, ExportRowsThenImportIntoANewFile) {
  const std::string text = dir.File("out.txt");
  ASSERT_EQ(RunCommandLine({"export", input, text, "--rows", "3-4,1"}).status, 0);
  EXPECT_EQ(Text(text), FormatChannelLine(records[0]) + FormatChannelLine(records[2]) +
                            FormatChannelLine(records[3]));

  const std::string made = dir.File("made.dvb");
  const testing::CliRun run = RunCommandLine({"import", made, text, text});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, text + ": 3 channels\n" + text + ": 3 channels\n");
  EXPECT_EQ(NamesIn(made),
            (std::vector<std::string>{"Delta", "Charlie", "Bravo", "Delta", "Charlie", "Bravo"}));

  // Importing into an existing file appends.
  ASSERT_EQ(RunCommandLine({"import", input, text}).status, 0);
  EXPECT_EQ(NamesIn(input).size(), 7u);
}

TEST_F(CliChannelTextTest, UsageAndFailures) {
  EXPECT_EQ(RunCommandLine({"export", input}).status, 2);
  EXPECT_EQ(RunCommandLine({"export", input, dir.File("x.txt"), "--rows", "0-2"}).status, 2);
  EXPECT_EQ(RunCommandLine({"export", input, dir.File("x.txt"), "--rows", "1-5"}).status, 2);
  EXPECT_EQ(RunCommandLine({"export", input, dir.File("x.txt"), "--rows", "2,"}).status, 2);
  EXPECT_EQ(RunCommandLine({"import", dir.File("y.dvb")}).status, 2);
  const testing::CliRun missing =
      RunCommandLine({"import", dir.File("y.dvb"), dir.File("none.txt")});
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("Unable to open file"), std::string::npos);
  EXPECT_EQ(RunCommandLine({"sort", input, dir.File("s.dvb"), "--by", "colour"}).status, 2);
  EXPECT_EQ(RunCommandLine({"sort", input, dir.File("s.dvb")}).status, 2);
  EXPECT_EQ(RunCommandLine({"export", dir.File("none.dvb"), dir.File("x.txt")}).status, 1);
}

TEST_F(CliChannelTextTest, SortByEachKey) {
  const std::string out = dir.File("sorted.dvb");
  ASSERT_EQ(RunCommandLine({"sort", input, out, "--by", "frequency"}).status, 0);
  EXPECT_EQ(NamesIn(out), (std::vector<std::string>{"Bravo", "Charlie", "Delta", "alpha"}));
  ASSERT_EQ(RunCommandLine({"sort", input, out, "--by", "sid", "--rows", "3-4"}).status, 0);
  EXPECT_EQ(NamesIn(out), (std::vector<std::string>{"Delta", "alpha", "Bravo", "Charlie"}));
  ASSERT_EQ(RunCommandLine({"sort", input, out, "--by", "name", "--rows", "1-2,4"}).status, 0);
  EXPECT_EQ(NamesIn(out).back(), "Bravo");  // after the gap: not part of the sorted block
  ASSERT_EQ(RunCommandLine({"sort", input, out, "--by", "polarity"}).status, 0);
  EXPECT_EQ(NamesIn(out).size(), 4u);
}

TEST_F(CliChannelTextTest, PrintWritesAPdf) {
  std::vector<ChannelRecord> many;
  many.push_back(MakeChannel("Title", 0));
  for (int i = 0; i < 150; ++i) many.push_back(MakeChannel("Row " + std::to_string(i), 11000));
  testing::WriteBytes(input, testing::FileBytes(many));
  const std::string pdf = dir.File("list.pdf");
  // The PDF writer loads the system's fonts, whose caches live until the process ends, so the
  // command runs in a process of its own (leak checks off there: those caches are not ours).
  const std::string command =
      std::string("ASAN_OPTIONS=detect_leaks=0 QT_QPA_PLATFORM=offscreen ") +
      PELORUS_BINARY_DIR "/src/cli/pelorus-cli print '" + input + "' '" + pdf + "' 2>/dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);
  const std::string bytes = Text(pdf);
  ASSERT_GT(bytes.size(), 1000u);
  EXPECT_EQ(bytes.substr(0, 5), "%PDF-");
  // 150 rows of a 10 point font do not fit on one A4 page.
  size_t pages = 0;
  for (size_t at = bytes.find("/Type /Page\n"); at != std::string::npos;
       at = bytes.find("/Type /Page\n", at + 1)) {
    ++pages;
  }
  for (size_t at = bytes.find("/Type /Page "); at != std::string::npos;
       at = bytes.find("/Type /Page ", at + 1)) {
    ++pages;
  }
  EXPECT_GE(pages, 2u);
  EXPECT_EQ(RunCommandLine({"print", input}).status, 2);
  EXPECT_EQ(RunCommandLine({"print", input, pdf, "--rows", "151-152"}).status, 2);
}

}  // namespace
}  // namespace pelorus
