// Sorting a block of selected rows and finding channels by a piece of their name.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <string>
#include <vector>

#include "channels/channel_name.h"
#include "channels/find_channel.h"
#include "channels/sorting.h"
#include "support/fake_ui.h"
#include "support/records.h"
#include "support/sanitizers.h"
#include "support/temp_dir.h"

namespace pelorus {
namespace {

using testing::FakeUi;
using testing::MakeChannel;
using Calls = std::vector<std::string>;

std::vector<std::string> Names(const EditorState& state) {
  std::vector<std::string> names;
  for (const ChannelRecord& record : *state.settingsImage)
    names.push_back(DecodeChannelName(record));
  return names;
}

TEST(SortRangeTest, FirstBlockOfAdjacentSelectedRows) {
  const std::vector<int> gap = {9, 3, 4, 5};
  SortRange range = FindSortRange(gap, 12);
  EXPECT_EQ(range.first, 3);
  EXPECT_EQ(range.last, 5);
  const std::vector<int> toEnd = {10, 11};
  range = FindSortRange(toEnd, 12);
  EXPECT_EQ(range.first, 10);
  EXPECT_EQ(range.last, 11);
  const std::vector<int> single = {0};
  range = FindSortRange(single, 1);
  EXPECT_EQ(range.first, 0);
  EXPECT_EQ(range.last, 0);
  const std::vector<int> outside = {-1, 12, 40};
  range = FindSortRange(outside, 12);
  EXPECT_EQ(range.first, -1);
  EXPECT_EQ(range.last, -1);
}

class SortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    state.settingsImage = std::vector<ChannelRecord>{
        MakeChannel("Zeta", 12000),  MakeChannel("Delta", 11000), MakeChannel("beta", 10000),
        MakeChannel("Alpha", 12500), MakeChannel("Gamma", 10500), MakeChannel("Omega", 9000),
        MakeChannel("Kappa", 9500)};
  }
  EditorState state;
  FakeUi ui;
  SelectionAfter after;
};

TEST_F(SortTest, OnlyTheFirstBlockIsSortedAndSelectedAfterwards) {
  const std::vector<int> selection = {1, 2, 3, 6};
  ASSERT_TRUE(SortChannels(state, ui, selection, SortKey::kFrequency, after));
  EXPECT_EQ(Names(state), (std::vector<std::string>{"Zeta", "beta", "Delta", "Alpha", "Gamma",
                                                    "Omega", "Kappa"}));
  EXPECT_EQ(after.rows, (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(after.focusRow, 3);
  EXPECT_TRUE(state.settingsModified);
  EXPECT_EQ(ui.calls, (Calls{"busy", "refill", "idle"}));
}

TEST_F(SortTest, SingleRowChangesNothingButMarksModified) {
  const std::vector<std::string> before = Names(state);
  const std::vector<int> selection = {4};
  ASSERT_TRUE(SortChannels(state, ui, selection, SortKey::kName, after));
  EXPECT_EQ(Names(state), before);
  EXPECT_TRUE(state.settingsModified);
  EXPECT_EQ(after.focusRow, 4);
}

TEST_F(SortTest, RefusalsLeaveTheListAlone) {
  ASSERT_FALSE(SortChannels(state, ui, {}, SortKey::kName, after));
  EXPECT_EQ(ui.calls, (Calls{"message warning: Please select the items you wish to sort"}));
  EXPECT_FALSE(state.settingsModified);

  EditorState empty;
  empty.settingsImage.emplace();
  ui.calls.clear();
  const std::vector<int> selection = {0};
  EXPECT_FALSE(SortChannels(empty, ui, selection, SortKey::kName, after));
  EXPECT_EQ(ui.calls, (Calls{"message warning: Please select the items you wish to sort"}));

  EditorState none;
  ui.calls.clear();
  EXPECT_FALSE(SortChannels(none, ui, selection, SortKey::kName, after));
  EXPECT_EQ(ui.calls, (Calls{"message warning: Please load settings before using this function"}));
}

TEST_F(SortTest, KeysOfEveryCommand) {
  std::vector<ChannelRecord>& records = *state.settingsImage;
  for (size_t i = 0; i < records.size(); ++i) {
    records[i].serviceId = static_cast<uint16_t>(0xFFFF - i * 1000);  // unsigned: 0xFFFF is last
    records[i].polarity = static_cast<uint8_t>(i % 2 == 0 ? 1 : 0);
  }
  const std::vector<int> all = {0, 1, 2, 3, 4, 5, 6};
  ASSERT_TRUE(SortChannels(state, ui, all, SortKey::kServiceId, after));
  for (size_t i = 1; i < records.size(); ++i) {
    EXPECT_LT(records[i - 1].serviceId, records[i].serviceId);
  }
  ASSERT_TRUE(SortChannels(state, ui, all, SortKey::kPolarity, after));
  for (size_t i = 0; i < records.size(); ++i) EXPECT_EQ(records[i].polarity, i < 3 ? 0 : 1);
}

TEST(SortByNameTest, ComparesStoredBytesInTheCLocaleCaseSensitively) {
  const char* saved = std::setlocale(LC_COLLATE, nullptr);
  const std::string previous = saved ? saved : "C";
  std::setlocale(LC_COLLATE, "C");
  std::vector<ChannelRecord> records = {MakeChannel("b", 1),   MakeChannel("B", 1),
                                        MakeChannel("a ", 1),  MakeChannel("a", 1),
                                        MakeChannel("[a]", 1), MakeChannel("A", 1)};
  // A name of 24 characters with no zero byte must still end at 24.
  records.push_back(MakeChannel("AAAAAAAAAAAAAAAAAAAAAAAA", 1));
  SortRecords(records, SortKey::kName);
  std::vector<std::string> names;
  for (const ChannelRecord& record : records) names.push_back(DecodeChannelName(record));
  // Stored form: "a " keeps its blank and sorts after "a"; "[a]" is 0x86 'a' 0x87, after 'b'.
  EXPECT_EQ(names, (std::vector<std::string>{"A", "AAAAAAAAAAAAAAAAAAAAAAAA", "B", "a", "a ", "b",
                                             "[a]"}));
  EXPECT_EQ(records[4].name[1], ' ');
  std::setlocale(LC_COLLATE, previous.c_str());
}

// Accented names under the locales desktops use: a generated UTF-8 and Latin-1 locale. The
// stored names are Latin-1 bytes; "École" belongs beside "Ecole" in both.
class SortByNameInLocaleTest : public ::testing::TestWithParam<const char*> {
 protected:
  // Builds en_US in the test's character set into the test's folder; false when it cannot.
  bool GenerateLocale() {
    const std::string command = "localedef -i en_US -f " + std::string(GetParam()) + " '" +
                                folder.File(std::string("en_US.") + GetParam()) +
                                "' >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
  }
  testing::TempDir folder;
};

TEST_P(SortByNameInLocaleTest, AccentedNamesSortBesideTheirPlainForm) {
#if PELORUS_UNDER_ASAN
  GTEST_SKIP() << "glibc keeps a loaded locale's data for the life of the process";
#endif
  if (!GenerateLocale()) {
    GTEST_SKIP() << "localedef could not build en_US." << GetParam() << " (no locales package?)";
  }
  setenv("LOCPATH", folder.path().c_str(), 1);
  const std::string locale = std::string("en_US.") + GetParam();
  ASSERT_NE(std::setlocale(LC_COLLATE, locale.c_str()), nullptr) << locale;
  std::vector<ChannelRecord> records = {MakeChannel("\xC9"
                                                    "cole",
                                                    1),
                                        MakeChannel("Beta", 1),
                                        MakeChannel("-dash", 1),
                                        MakeChannel("Ecole", 1),
                                        MakeChannel("Alpha", 1),
                                        MakeChannel("Fox", 1)};
  SortRecords(records, SortKey::kName);
  std::setlocale(LC_COLLATE, "C");
  unsetenv("LOCPATH");
  std::vector<std::string> names;
  for (const ChannelRecord& record : records) names.push_back(DecodeChannelName(record));
  ASSERT_EQ(names.size(), 6u);
  EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 3),
            (std::vector<std::string>{"Alpha", "Beta", "-dash"}));
  // Case and accents weigh less than letters: both forms of "ecole" come before "Fox".
  EXPECT_EQ(names[5], "Fox");
  EXPECT_TRUE((names[3] == "Ecole" && names[4] == "\xC9"
                                                  "cole") ||
              (names[3] == "\xC9"
                           "cole" &&
               names[4] == "Ecole"))
      << names[3] << " / " << names[4];
}

INSTANTIATE_TEST_SUITE_P(Charsets, SortByNameInLocaleTest,
                         ::testing::Values("UTF-8", "ISO-8859-1"));

class FindTest : public ::testing::Test {
 protected:
  void SetUp() override {
    state.settingsImage = std::vector<ChannelRecord>{
        MakeChannel("Sky News", 1), MakeChannel("Music", 1), MakeChannel("BBC news", 1),
        MakeChannel("Sport", 1), MakeChannel("CNN NEWS", 1)};
  }
  // A dialog that types `text` and presses "Cerca", remembering what it was shown.
  FindDialogRunner Typing(const std::string& text, bool matchCase) {
    return [this, text, matchCase](FindRequest& request) {
      shown = request;
      request.text = text;
      request.matchCase = matchCase;
      return true;
    };
  }
  EditorState state;
  FakeUi ui;
  SelectionAfter after;
  FindRequest shown;
};

TEST_F(FindTest, FindNextBeforeAnySearchOnlyBeeps) {
  EXPECT_FALSE(FindNextChannel(state, ui, after));
  EXPECT_EQ(ui.calls, (Calls{"beep"}));
  EXPECT_EQ(state.search.findPosition, -1);
}

TEST_F(FindTest, IgnoringCaseFindsEveryNewsAndWrapsRound) {
  ASSERT_TRUE(FindChannel(state, ui, Typing("news", false), after));
  EXPECT_EQ(after.rows, (std::vector<int>{0}));
  EXPECT_EQ(after.focusRow, 0);
  ASSERT_TRUE(FindNextChannel(state, ui, after));
  EXPECT_EQ(after.focusRow, 2);
  ASSERT_TRUE(FindNextChannel(state, ui, after));
  EXPECT_EQ(after.focusRow, 4);
  EXPECT_EQ(state.search.findPosition, 0);  // the last channel matched: go on at the first
  ASSERT_TRUE(FindNextChannel(state, ui, after));
  EXPECT_EQ(after.focusRow, 0);
  EXPECT_TRUE(ui.calls.empty());
}

TEST_F(FindTest, MatchCaseFindsOnlyTheLowerCaseName) {
  ASSERT_TRUE(FindChannel(state, ui, Typing("news", true), after));
  EXPECT_EQ(after.focusRow, 2);
  EXPECT_EQ(state.options.matchCase, 1u);
  ASSERT_TRUE(FindNextChannel(state, ui, after));
  EXPECT_EQ(after.focusRow, 2);  // the only match is found again each time
}

TEST_F(FindTest, NotFoundKeepsThePositionAndAnEmptyListIsSafe) {
  ASSERT_TRUE(FindChannel(state, ui, Typing("Sport", true), after));
  EXPECT_EQ(state.search.findPosition, 4);
  EXPECT_FALSE(FindChannel(state, ui, Typing("weather", false), after));
  EXPECT_EQ(ui.calls, (Calls{"message information: Search string not found"}));
  EXPECT_EQ(state.search.findPosition, 0);

  state.settingsImage->clear();
  ui.calls.clear();
  EXPECT_FALSE(FindNextChannel(state, ui, after));
  EXPECT_EQ(ui.calls, (Calls{"message information: Search string not found"}));
}

TEST_F(FindTest, PositionPastAShortenedListRestartsAtTheFirstChannel) {
  ASSERT_TRUE(FindChannel(state, ui, Typing("CNN", false), after));
  EXPECT_EQ(state.search.findPosition, 0);
  state.search.findPosition = 4;
  state.settingsImage->resize(2);
  state.search.text = "Music";
  ASSERT_TRUE(FindNextChannel(state, ui, after));
  EXPECT_EQ(after.focusRow, 1);
}

TEST_F(FindTest, OnlyTwentyCharactersAreSearchedAndShownAgainInDisplayForm) {
  state.settingsImage->push_back(MakeChannel("ABCDEFGHIJKLMNOPQRSTUVWX", 1));
  EXPECT_FALSE(FindChannel(state, ui, Typing("UVWX", false), after));
  // A longer text is cut to its first 20 characters, which this name begins with.
  ASSERT_TRUE(FindChannel(state, ui, Typing("abcdefghijklmnopqrstuvwxyz", false), after));
  EXPECT_EQ(after.focusRow, 5);
  EXPECT_EQ(state.search.text, "abcdefghijklmnopqrst");

  EXPECT_FALSE(FindChannel(state, ui, Typing("[x]", false), after));
  EXPECT_EQ(state.search.text, std::string("\x86x\x87"));
  // The next dialog shows the stored text as the list shows names.
  ASSERT_TRUE(FindChannel(state, ui, Typing("", false), after));
  EXPECT_EQ(shown.text, "[x]");
  EXPECT_EQ(after.focusRow, 0);  // an empty search matches every channel
}

}  // namespace
}  // namespace pelorus
