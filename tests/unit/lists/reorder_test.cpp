#include "lists/reorder.h"

#include <gtest/gtest.h>

#include "channels/channel_name.h"
#include "support/records.h"

namespace pelorus {
namespace {

using testing::MakeChannel;

ChannelRecord Title(const std::string& name) {
  ChannelRecord marker{};
  marker.tag = kChannelTag;
  EncodeChannelName(marker, name);
  return marker;
}

ChannelRecord WithIds(const std::string& name, uint16_t frequency, uint16_t onid, uint16_t tsid,
                      uint16_t sid) {
  ChannelRecord record = MakeChannel(name, frequency);
  record.networkId = onid;
  record.tsId = tsid;
  record.serviceId = sid;
  return record;
}

TEST(Reorder, ChannelsTakeTheReferencesOrderAndItsTitles) {
  const std::vector<ChannelRecord> list = {
      Title("Mine"),
      MakeChannel("Rai 1", 11766),
      MakeChannel("Local TV", 12000),
      MakeChannel("  das ERSTE ", 11837),  // case and blanks do not matter
      Title("Radio"),
      MakeChannel("Bayern 1", 11837),
      MakeChannel("Unknown", 10800),
  };
  std::vector<ChannelRecord> reference = {
      Title("German"),
      MakeChannel("Das Erste", 11836),
      MakeChannel("Bayern1", 11838),
      Title("Empty here"),
      MakeChannel("Arte", 10744),
      Title("Italian"),
      MakeChannel("RAI 1", 11766),
  };
  const ReorderOutcome outcome = ReorderLike(list, ReferenceFromRecords(reference));
  EXPECT_EQ(outcome.matched, 3);
  EXPECT_EQ(outcome.channels, 5);
  EXPECT_EQ(
      testing::ListNames(outcome.records),
      (std::vector<std::string>{"[German]", "  das ERSTE ", "Bayern 1", "[Italian]", "Rai 1",
                                "[Altri canali]", "[Mine]", "Local TV", "[Radio]", "Unknown"}));
  EXPECT_EQ(ReorderSummary(outcome), "3 of 5 channels matched the reference list");
  // The channels are the list's own records, moved, not the reference's.
  EXPECT_EQ(outcome.records[1].frequency, 11837);
}

TEST(Reorder, NamesMatchWithinTwoMegahertzAndOnTheSamePolarisationOnly) {
  ChannelRecord vertical = MakeChannel("Vertical", 11000);
  vertical.polarity = 1;
  const std::vector<ChannelRecord> list = {MakeChannel("Near", 11002), MakeChannel("Far", 11003),
                                           vertical};
  const std::vector<ChannelRecord> reference = {
      MakeChannel("Far", 11000), MakeChannel("Near", 11000), MakeChannel("Vertical", 11000)};
  const ReorderOutcome outcome = ReorderLike(list, ReferenceFromRecords(reference));
  EXPECT_EQ(outcome.matched, 1);
  EXPECT_EQ(testing::ListNames(outcome.records),
            (std::vector<std::string>{"Near", "[Altri canali]", "Far", "Vertical"}));
}

TEST(Reorder, IdsDecideWhereBothCarryThem) {
  const std::vector<ChannelRecord> list = {
      WithIds("Renamed", 12000, 1, 1101, 28106),  // ids match, name differs
      WithIds("Same name", 11000, 1, 1101, 1),    // both carry ids that differ: no match
      MakeChannel("No ids", 11500),               // matches by name
      WithIds("Ids here only", 11600, 1, 5, 5),   // the reference has no ids: name counts
  };
  const std::vector<ChannelRecord> reference = {
      MakeChannel("Ids here only", 11600),
      MakeChannel("No ids", 11500),
      WithIds("Same name", 11000, 1, 1101, 2),
      WithIds("Das Erste", 11836, 1, 1101, 28106),
  };
  const ReorderOutcome outcome = ReorderLike(list, ReferenceFromRecords(reference));
  EXPECT_EQ(outcome.matched, 3);
  EXPECT_EQ(testing::ListNames(outcome.records),
            (std::vector<std::string>{"Ids here only", "No ids", "Renamed", "[Altri canali]",
                                      "Same name"}));
}

TEST(Reorder, RepeatsTakeTheReferencesRepeatsInTurn) {
  // The same channel in two bouquets of the reference, and twice in the list.
  const std::vector<ChannelRecord> list = {MakeChannel("Other", 11000), MakeChannel("News", 11100),
                                           MakeChannel("News", 11100)};
  const std::vector<ChannelRecord> reference = {Title("Favourites"), MakeChannel("News", 11100),
                                                MakeChannel("Other", 11000), Title("Information"),
                                                MakeChannel("News", 11100)};
  const ReorderOutcome outcome = ReorderLike(list, ReferenceFromRecords(reference));
  EXPECT_EQ(testing::ListNames(outcome.records),
            (std::vector<std::string>{"[Favourites]", "News", "Other", "[Information]", "News"}));
  // A third repeat goes with the first.
  std::vector<ChannelRecord> three = list;
  three.push_back(MakeChannel("News", 11100));
  EXPECT_EQ(
      testing::ListNames(ReorderLike(three, ReferenceFromRecords(reference)).records),
      (std::vector<std::string>{"[Favourites]", "News", "News", "Other", "[Information]", "News"}));
}

TEST(Reorder, NothingMatchedLeavesTheListAsItWas) {
  const std::vector<ChannelRecord> list = {Title("A"), MakeChannel("One", 11000)};
  const ReorderOutcome outcome = ReorderLike(
      list, ReferenceFromRecords(std::vector<ChannelRecord>{MakeChannel("Two", 12000)}));
  EXPECT_EQ(outcome.matched, 0);
  EXPECT_EQ(testing::ListNames(outcome.records), (std::vector<std::string>{"[A]", "One"}));
  EXPECT_TRUE(ReorderLike({}, {}).records.empty());
  // Everything matched: no "Altri canali".
  const ReorderOutcome all = ReorderLike(
      list, ReferenceFromRecords(std::vector<ChannelRecord>{MakeChannel("One", 11000)}));
  EXPECT_EQ(testing::ListNames(all.records), (std::vector<std::string>{"One"}));
}

TEST(Reorder, AForeignListIsAReferenceWithAllItsChannels) {
  ForeignList foreign;
  ForeignEntry title;
  title.marker = true;
  title.markerName = "Bouquet";
  foreign.entries.push_back(title);
  ForeignEntry hd;
  hd.channel.name = "ZDF HD";
  hd.channel.frequencyKhz = 11361750;
  hd.channel.dvbS2 = true;  // an import would skip it; the order still counts
  hd.channel.serviceId = 11110;
  hd.channel.tsId = 1011;
  hd.channel.originalNetworkId = 1;
  foreign.entries.push_back(hd);
  const std::vector<ReferenceEntry> reference = ReferenceFromForeign(foreign);
  ASSERT_EQ(reference.size(), 2u);
  EXPECT_EQ(reference[1].frequency, 11362);
  EXPECT_TRUE(reference[1].hasIds);
  const std::vector<ChannelRecord> list = {MakeChannel("A", 10000),
                                           WithIds("ZDF", 11362, 1, 1011, 11110)};
  EXPECT_EQ(testing::ListNames(ReorderLike(list, reference).records),
            (std::vector<std::string>{"[Bouquet]", "ZDF", "[Altri canali]", "A"}));
}

}  // namespace
}  // namespace pelorus
