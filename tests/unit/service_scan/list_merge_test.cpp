// How a search's channels join the list: updated in place with name and place kept, new ones at
// the end under one title row per orbital position, in one step that undo takes back byte for
// byte, and a second merge of the same channels changes nothing.
#include "service_scan/list_merge.h"

#include <gtest/gtest.h>

#include <cstring>

#include "channels/channel_name.h"
#include "channels/settings_file.h"
#include "channels/undo_edits.h"
#include "support/fake_ui.h"
#include "support/records.h"

namespace pelorus {
namespace {

FoundService Found(const std::string& name, uint16_t frequency, uint16_t serviceId,
                   std::optional<int> orbital, uint16_t tsId = 1, uint16_t networkId = 0xB1) {
  FoundService service;
  service.record = testing::MakeChannel(name, frequency);
  service.record.serviceId = serviceId;
  service.record.tsId = tsId;
  service.record.networkId = networkId;
  service.record.polarity = 1;
  service.record.lnbSelect = 1;
  service.record.acqBandwidth = 28;
  service.serviceId = serviceId;
  service.name = name;
  service.orbital = orbital;
  return service;
}

std::vector<std::string> MergedNames(const std::vector<ChannelRecord>& list) {
  std::vector<std::string> names;
  for (const ChannelRecord& record : list) {
    names.push_back((record.frequency == 0 ? "# " : "") + DecodeChannelName(record));
  }
  return names;
}

bool SameBytes(const std::vector<ChannelRecord>& a, const std::vector<ChannelRecord>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof a[0]) == 0;
}

TEST(ListMergeTest, AChannelAlreadyListedIsUpdatedWithItsNameAndPlaceKept) {
  ChannelRecord mine = testing::MakeChannel("My renamed one", 11777);
  mine.serviceId = 101;
  mine.tsId = 1;
  mine.networkId = 0xB1;
  mine.polarity = 1;
  mine.lockCode = 7;
  mine.modeFlags = 0x10;  // 12 V on
  mine.lnbSelect = 0x08;  // port 1, inversion On
  mine.autoFlags = 0x01;
  std::vector<ChannelRecord> list = {testing::MakeChannel("First", 10800), mine};

  FoundService found = Found("Pelorus Uno", 11778, 101, 192);
  found.record.videoPid = 0x0300;
  found.record.lnbSelect = 2;  // port 3
  std::vector<MergeKind> kinds;
  const MergeCounts counts = MergeFound(list, std::span(&found, 1), &kinds);
  EXPECT_EQ(counts.updated, 1);
  EXPECT_EQ(counts.added, 0);
  EXPECT_EQ(kinds, std::vector<MergeKind>{MergeKind::kUpdated});
  ASSERT_EQ(list.size(), 2u);
  const ChannelRecord& updated = list[1];
  EXPECT_EQ(DecodeChannelName(updated), "My renamed one");
  EXPECT_EQ(updated.frequency, 11778);
  EXPECT_EQ(updated.videoPid, 0x0300);
  EXPECT_EQ(updated.acqBandwidth, 28);
  EXPECT_EQ(updated.lnbSelect, 0x0A);  // the port changes, the inversion stays
  EXPECT_EQ(updated.lockCode, 7);
  EXPECT_EQ(updated.modeFlags, 0x10);
  EXPECT_EQ(updated.autoFlags, 0x01);

  // The same again: nothing to change.
  kinds.clear();
  EXPECT_EQ(MergeFound(list, std::span(&found, 1), &kinds).unchanged, 1);
  EXPECT_EQ(kinds, std::vector<MergeKind>{MergeKind::kUnchanged});
}

TEST(ListMergeTest, ChannelsWithoutIdsMatchByFrequencyPolarisationAndService) {
  ChannelRecord handMade = testing::MakeChannel("Hand made", 11780);  // within 2 MHz
  handMade.serviceId = 101;
  handMade.polarity = 1;
  ChannelRecord otherPolarity = handMade;
  otherPolarity.polarity = 0;
  ChannelRecord tooFar = handMade;
  tooFar.frequency = 11781;
  ChannelRecord otherNetwork = handMade;  // ids known and different: another channel
  otherNetwork.tsId = 9;
  otherNetwork.networkId = 9;
  const FoundService found = Found("Pelorus Uno", 11778, 101, 192);
  EXPECT_TRUE(SameChannel(handMade, found.record));
  EXPECT_FALSE(SameChannel(otherPolarity, found.record));
  EXPECT_FALSE(SameChannel(tooFar, found.record));
  EXPECT_FALSE(SameChannel(otherNetwork, found.record));
  ChannelRecord title = handMade;
  title.frequency = 0;
  EXPECT_FALSE(SameChannel(title, found.record));

  std::vector<ChannelRecord> list = {handMade};
  MergeFound(list, std::span(&found, 1));
  EXPECT_EQ(list[0].tsId, 1);  // the ids are filled in
  EXPECT_EQ(list[0].networkId, 0xB1);
  EXPECT_EQ(list[0].frequency, 11778);
}

TEST(ListMergeTest, NewChannelsGoToTheEndUnderOneTitleRowPerPosition) {
  std::vector<ChannelRecord> list = {testing::MakeChannel("Old", 10800)};
  std::vector<FoundService> found = {
      Found("A1", 11747, 101, 192),       Found("B1", 10971, 401, 130, 4, 0xB2),
      Found("A2", 11778, 201, 192, 2),    Found("Nowhere", 12000, 901, std::nullopt, 9, 9),
      Found("A1 again", 11747, 101, 192),  // the same service found twice
  };
  found.push_back(Found("Skipped", 11747, 102, 192));
  found.back().skipped = SkipKind::kH264;
  std::vector<MergeKind> kinds;
  const MergeCounts counts = MergeFound(list, found, &kinds);
  EXPECT_EQ(counts.added, 4);
  EXPECT_EQ(counts.unchanged, 1);
  EXPECT_EQ(kinds.size(), found.size());
  EXPECT_EQ(MergedNames(list),
            (std::vector<std::string>{"Old", "# 19.2E", "A1", "A2", "# 13.0E", "B1", "Nowhere"}));
  // A later merge of the last position's channels goes under its title row, not a new one.
  std::vector<ChannelRecord> more = {testing::MakeChannel("Old", 10800)};
  more.push_back(list[4]);
  more.push_back(list[5]);
  const FoundService b2 = Found("B2", 11566, 501, 130, 5, 0xB2);
  MergeFound(more, std::span(&b2, 1));
  EXPECT_EQ(MergedNames(more), (std::vector<std::string>{"Old", "# 13.0E", "B1", "B2"}));
}

TEST(ListMergeTest, TheMergeIsOneStepThatUndoTakesBackByteForByte) {
  EditorState state;
  testing::FakeUi ui;
  state.settingsImage = std::vector<ChannelRecord>{testing::MakeChannel("Old", 11778)};
  (*state.settingsImage)[0].serviceId = 101;
  (*state.settingsImage)[0].polarity = 1;
  (*state.settingsImage)[0].reserved2 = 0x5A;
  const std::vector<ChannelRecord> before = *state.settingsImage;
  FoundService update = Found("Pelorus Uno", 11778, 101, 192);
  update.record.audioPid = 0x0299;
  const std::vector<FoundService> found = {update, Found("New", 11747, 102, 192)};

  UndoSelection after;
  const MergeCounts counts = AddSearchToList(state, ui, found, {{0}, 0}, after);
  EXPECT_EQ(counts.added, 1);
  EXPECT_EQ(counts.updated, 1);
  EXPECT_TRUE(state.settingsModified);
  EXPECT_EQ(after.rows, (std::vector<int>{1, 2}));  // the title row and the new channel
  EXPECT_EQ(state.history.StepCount(), 1u);
  const std::vector<ChannelRecord> merged = *state.settingsImage;

  UndoSelection restored;
  ASSERT_TRUE(UndoLastEdit(state, ui, restored));
  EXPECT_TRUE(SameBytes(*state.settingsImage, before));
  EXPECT_EQ(restored.rows, std::vector<int>{0});
  ASSERT_TRUE(RedoLastEdit(state, ui, restored));
  EXPECT_TRUE(SameBytes(*state.settingsImage, merged));

  // Merging the same again is no step at all.
  state.settingsModified = false;
  const MergeCounts again = AddSearchToList(state, ui, found, {}, after);
  EXPECT_EQ(again.Changed(), 0);
  EXPECT_FALSE(state.settingsModified);
  EXPECT_EQ(state.history.StepCount(), 1u);

  // An editor without a list gets one, and undo takes it away again.
  EditorState empty;
  AddSearchToList(empty, ui, found, {}, after);
  ASSERT_TRUE(empty.settingsImage.has_value());
  EXPECT_EQ(empty.ChannelCount(), 3);
  ASSERT_TRUE(UndoLastEdit(empty, ui, restored));
  EXPECT_FALSE(empty.settingsImage.has_value());
  // Nothing found leaves the editor without one.
  EditorState none;
  AddSearchToList(none, ui, {}, {}, after);
  EXPECT_FALSE(none.settingsImage.has_value());
}

TEST(ListMergeTest, TheDiseqcPortOfAPositionComesFromTheList) {
  std::vector<ChannelRecord> list = {
      testing::MakeChannel("== PELSAT2 13.0E", 0), testing::MakeChannel("B", 10971),
      testing::MakeChannel("C", 11566), testing::MakeChannel("19.2E", 0),
      testing::MakeChannel("D", 11778)};
  list[1].lnbSelect = 0x01;  // port 2
  list[2].lnbSelect = 0x05;  // port 2, inversion off
  list[4].lnbSelect = 0x03;  // port 4
  list[4].polarity = 1;
  SearchTransponder unknown;
  EXPECT_EQ(ListDiseqcPort(list, 130, unknown), 2);
  EXPECT_EQ(ListDiseqcPort(list, 192, unknown), 4);
  // No channel at the position: those on the transponder, else port 1.
  SearchTransponder d;
  d.frequencyMhz = 11779;
  d.vertical = true;
  EXPECT_EQ(ListDiseqcPort(list, 282, d), 4);
  EXPECT_EQ(ListDiseqcPort(list, std::nullopt, unknown), 1);
  EXPECT_EQ(ListDiseqcPort({}, 192, d), 1);
}

}  // namespace
}  // namespace pelorus
