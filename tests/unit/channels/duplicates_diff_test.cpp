#include <gtest/gtest.h>

#include "channels/channel_name.h"
#include "channels/duplicates.h"
#include "channels/list_diff.h"
#include "support/cli_run.h"
#include "support/records.h"
#include "support/temp_dir.h"

namespace pelorus {
namespace {

using testing::MakeChannel;

TEST(Duplicates, SameServiceWithinTwoMegahertzRepeatsTheEarliestEarlierRow) {
  std::vector<ChannelRecord> list;
  list.push_back(MakeChannel("Astra", 0));          // 0 marker
  list.push_back(MakeChannel("One", 11778));        // 1
  list.push_back(MakeChannel("One again", 11780));  // 2 within 2 MHz of 1
  list.push_back(MakeChannel("Far", 11782));        // 3 within 2 of 2 only (4 from 1)
  list.push_back(MakeChannel("Astra", 0));          // 4 marker repeating a marker: never counts
  ChannelRecord vertical = MakeChannel("Vertical", 11778);
  vertical.polarity = 1;
  list.push_back(vertical);  // 5 other polarity
  ChannelRecord otherVideo = MakeChannel("Video", 11778);
  otherVideo.videoPid = 0x300;
  list.push_back(otherVideo);  // 6 other video PID
  ChannelRecord otherAudio = MakeChannel("Audio", 11778);
  otherAudio.audioPid = 0x301;
  list.push_back(otherAudio);                   // 7 other audio PID
  list.push_back(MakeChannel("Three", 11781));  // 8 within 2 of 2 and 3 (3 from 1): repeats 2
  list.push_back(MakeChannel("Low", 2));        // 9 near zero: a marker's 0 is never a partner
  list.push_back(MakeChannel("Low2", 1));       // 10 repeats 9

  const std::vector<DuplicateRow> found = FindDuplicates(list);
  std::vector<std::pair<int, int>> pairs;
  for (const DuplicateRow& d : found) pairs.emplace_back(d.row, d.original);
  EXPECT_EQ(pairs, (std::vector<std::pair<int, int>>{{2, 1}, {3, 2}, {8, 2}, {10, 9}}));
  EXPECT_TRUE(FindDuplicates({}).empty());
}

TEST(ListDiff, TellsMovedFromChangedAddedAndRemoved) {
  std::vector<ChannelRecord> older;
  for (const char* name : {"A", "B", "C", "D", "E", "F"}) {
    older.push_back(MakeChannel(name, static_cast<uint16_t>(11000 + name[0])));
  }
  std::vector<ChannelRecord> newer = {older[0], older[1], older[3], older[4], older[2]};
  newer.insert(newer.begin(), MakeChannel("New", 12000));  // added at the top
  newer[3].symbolRate = 22000;                             // D changed in place
  EncodeChannelName(newer[4], "E renamed");                // E renamed: paired by service
  // F removed.
  const ListDiff diff = CompareLists(older, newer);
  EXPECT_EQ(diff.added, (std::vector<int>{0}));
  EXPECT_EQ(diff.removed, (std::vector<int>{5}));
  // C went from row 2 to the end; the insertion at the top moves nothing else.
  ASSERT_EQ(diff.moved.size(), 1u);
  EXPECT_EQ(diff.moved[0].oldRow, 2);
  EXPECT_EQ(diff.moved[0].newRow, 5);
  ASSERT_EQ(diff.changed.size(), 2u);
  EXPECT_EQ(diff.changed[0].rows.oldRow, 3);
  ASSERT_EQ(diff.changed[0].fields.size(), 1u);
  EXPECT_STREQ(diff.changed[0].fields[0].name, "symbolRate");
  EXPECT_EQ(diff.changed[1].rows.oldRow, 4);
  ASSERT_EQ(diff.changed[1].fields.size(), 1u);
  EXPECT_STREQ(diff.changed[1].fields[0].name, "name");
  EXPECT_FALSE(diff.Equal());
  EXPECT_TRUE(CompareLists(older, older).Equal());
}

TEST(ListDiff, AChangedChannelShowsEachFieldBeforeAndAfter) {
  ChannelRecord before = MakeChannel("Sat One", 11778);
  before.symbolRate = 27500;
  before.fecCode = 4;
  ChannelRecord after = before;
  after.symbolRate = 22000;
  after.fecCode = 3;
  after.videoPid = 0x1FF;
  after.polarity = 1;
  after.reserved2 = 0xAB;
  const std::vector<FieldChange> fields = DifferingFields(before, after);
  ASSERT_EQ(fields.size(), 5u);
  EXPECT_STREQ(fields[0].name, "symbolRate");
  EXPECT_EQ(fields[0].before, "27500");
  EXPECT_EQ(fields[0].after, "22000");
  EXPECT_EQ(fields[1].before, "3/4");  // the FEC by its name
  EXPECT_EQ(fields[1].after, "2/3");
  EXPECT_STREQ(fields[2].name, "polarity");
  EXPECT_EQ(fields[2].after, "V");
  EXPECT_EQ(fields[3].before, "0x0200");
  EXPECT_EQ(fields[3].after, "0x01FF");
  EXPECT_STREQ(fields[4].name, "reserved");
  EXPECT_EQ(fields[4].after, "AB0000");

  // A name padded with blanks before its zero bytes is shown without them.
  ChannelRecord padded = before;
  EncodeChannelName(padded, "Auto-search          ");
  ChannelRecord renamed = padded;
  EncodeChannelName(renamed, "Found");
  const std::vector<ChannelRecord> older = {padded};
  const std::vector<ChannelRecord> newer = {renamed};
  const std::vector<std::string> report = DescribeDiff(CompareLists(older, newer), older, newer);
  EXPECT_EQ(report.back(),
            "  row 1 -> row 1 \"Found\" 11778 H: name \"Auto-search\" \u2192 \"Found\"");
  const std::vector<ChannelRecord> changed = {after};
  const std::vector<ChannelRecord> original = {before};
  EXPECT_EQ(
      DescribeDiff(CompareLists(original, changed), original, changed).back(),
      "  row 1 -> row 1 \"Sat One\" 11778 V: symbolRate 27500 \u2192 22000, fecCode 3/4 "
      "\u2192 2/3, polarity H \u2192 V, videoPid 0x0200 \u2192 0x01FF, reserved 000000 \u2192 "
      "AB0000");
}

TEST(ListDiff, EqualChannelsPairInOrderAndAnEmptyListIsAllAdded) {
  const ChannelRecord same = MakeChannel("Same", 11000);
  const std::vector<ChannelRecord> three = {same, same, same};
  const std::vector<ChannelRecord> two = {same, same};
  const ListDiff diff = CompareLists(three, two);
  EXPECT_EQ(diff.removed, (std::vector<int>{2}));
  EXPECT_TRUE(diff.moved.empty());
  EXPECT_EQ(CompareLists({}, two).added, (std::vector<int>{0, 1}));
}

class DuplicatesDiffCli : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const std::vector<ChannelRecord>& records) {
    const std::string path = dir.File(name);
    testing::WriteBytes(path, testing::FileBytes(records));
    return path;
  }
  testing::TempDir dir;
};

TEST_F(DuplicatesDiffCli, PrintTheRowsAndExitAsDiffDoes) {
  const std::vector<ChannelRecord> list = {MakeChannel("One", 11778), MakeChannel("Other", 12000),
                                           MakeChannel("Again", 11779)};
  const std::string a = Write("a.dvb", list);
  testing::CliRun run = testing::RunCommandLine({"duplicates", a});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "3\tAgain\trepeats 1\tOne\n1 duplicate channels\n");

  EXPECT_EQ(testing::RunCommandLine({"diff", a, a}).status, 0);
  const std::string b = Write("b.dvb", {list[1], list[0]});
  run = testing::RunCommandLine({"diff", a, b});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("Removed: 1\n  row 3 \"Again\" 11779 H\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Moved: 1\n"), std::string::npos) << run.out;
  ChannelRecord slower = list[0];
  slower.symbolRate = static_cast<uint16_t>(list[0].symbolRate - 5500);
  const std::string c = Write("c.dvb", {slower, list[1], list[2]});
  run = testing::RunCommandLine({"diff", a, c});
  EXPECT_NE(run.out.find("Changed: 1\n  row 1 -> row 1 \"One\" 11778 H: symbolRate " +
                         std::to_string(list[0].symbolRate) + " \u2192 " +
                         std::to_string(slower.symbolRate) + "\n"),
            std::string::npos)
      << run.out;
  EXPECT_EQ(testing::RunCommandLine({"diff", a, dir.File("missing.dvb")}).status, 2);
  EXPECT_EQ(testing::RunCommandLine({"diff", a}).status, 2);
}

}  // namespace
}  // namespace pelorus
