#include "si/guide.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>

#include "fixed_zone.h"
#include "section_builder.h"
#include "si/guide_text.h"
#include "si/section_walk.h"
#include "si/system_clock.h"

namespace pelorus {
namespace {

using testing::BuildEit;
using testing::BuildSdt;
using testing::Bytes;

using testing::kNoon;

using testing::FixedZone;

TEST(GuideTest, MjdAndBcdTime) {
  int year = 0, month = 0, day = 0;
  MjdToDate(0xC079, year, month, day);
  EXPECT_EQ(year, 1993);
  EXPECT_EQ(month, 10);
  EXPECT_EQ(day, 13);
  const Duration time = BcdTime(0x124500);
  EXPECT_EQ(time.hours, 12);
  EXPECT_EQ(time.minutes, 45);
  EXPECT_EQ(time.seconds, 0);
  EXPECT_EQ(ToEpoch(GuideTime{1993, 10, 13, 12, 45, 0}), kNoon + 45 * 60);
  // January and February take the year-end branch of the formula: 2000-02-29 is MJD 51603.
  MjdToDate(51603, year, month, day);
  EXPECT_EQ(year * 10000 + month * 100 + day, 20000229);
  MjdToDate(51544, year, month, day);
  EXPECT_EQ(year * 10000 + month * 100 + day, 20000101);
}

TEST(GuideTest, AssemblerFollowsThePointerFieldAndDropsOverlongUnits) {
  SectionAssembler assembler;
  std::vector<Bytes> delivered;
  auto sink = [&](std::span<const uint8_t> bytes) {
    delivered.emplace_back(bytes.begin(), bytes.end());
  };

  const Bytes first = BuildSdt(1, 2, {{10, "P", "One"}});
  const Bytes second = BuildSdt(1, 2, {{11, "P", "Two"}});
  // The first unit spans two packets; the second starts in a third packet whose pointer field
  // covers the first unit's last bytes.
  Bytes big = first;
  big.resize(200, 0xFF);
  std::vector<Bytes> packets = testing::Packetise(0x11, big);
  const Bytes tail = {0xFF, 0xFF};
  const std::vector<Bytes> next = testing::Packetise(0x11, second, 2, tail);
  packets.push_back(next[0]);
  packets.push_back(testing::Packetise(0x11, first)[0]);
  assembler.FeedRead(testing::Concat(packets), sink);
  ASSERT_EQ(delivered.size(), 2u);
  EXPECT_EQ(delivered[0].size(), 183u + 184u + 2u);
  EXPECT_TRUE(std::equal(first.begin(), first.end(), delivered[0].begin()));
  EXPECT_TRUE(std::equal(second.begin(), second.end(), delivered[1].begin()));

  // A lost sync byte ends the read; a pointer beyond the packet ends it too.
  delivered.clear();
  SectionAssembler fresh;
  Bytes broken = testing::Packetise(0x11, first)[0];
  Bytes noSync = broken;
  noSync[0] = 0x00;
  Bytes badPointer = broken;
  badPointer[4] = 184;
  fresh.FeedRead(testing::Concat({broken, noSync, broken}), sink);
  fresh.FeedRead(testing::Concat({badPointer, broken}), sink);
  EXPECT_TRUE(delivered.empty());
  fresh.FeedRead(broken, sink);
  EXPECT_EQ(delivered.size(), 1u);

  // Without a unit start nothing is held; a unit longer than 3908 bytes is dropped.
  SectionAssembler overlong;
  Bytes continuation = broken;
  continuation[1] = 0x00;
  overlong.FeedRead(continuation, sink);
  EXPECT_EQ(overlong.Held(), 0u);
  delivered.clear();
  std::vector<Bytes> many = {broken};
  for (int i = 0; i < 20; ++i) many.push_back(continuation);
  overlong.FeedRead(testing::Concat(many), sink);
  EXPECT_EQ(overlong.Held(), 183u + 20u * 184u);
  overlong.FeedRead(continuation, sink);
  EXPECT_EQ(overlong.Held(), 0u);
  overlong.FeedRead(broken, sink);
  EXPECT_TRUE(delivered.empty());
}

TEST(GuideTest, WalkChecksCrcSkipsStuffingAndStopsAtTheEnd) {
  const Bytes a = BuildSdt(1, 2, {{10, "P", "One"}});
  const Bytes stuffing = testing::LongSection(0x72, 0, Bytes(20, 0xFF));
  Bytes bad = BuildSdt(1, 2, {{11, "P", "Two"}});
  bad[12] ^= 0x01;
  std::vector<uint8_t> seen;
  int crcErrors = 0;
  auto record = [&](std::span<const uint8_t> section) { seen.push_back(section[0]); };

  WalkSections(testing::Concat({Bytes(5, 0xFF), a, stuffing, a}), record, crcErrors);
  EXPECT_EQ(seen.size(), 2u);
  EXPECT_EQ(crcErrors, 0);
  seen.clear();
  WalkSections(testing::Concat({a, bad, a}), record, crcErrors);
  EXPECT_EQ(seen.size(), 1u);
  EXPECT_EQ(crcErrors, 1);
  // A table 0x00 ends the walk; so does a length past the data or a zero length.
  seen.clear();
  WalkSections(testing::Concat({testing::LongSection(0x00, 1, Bytes(20, 0)), a}), record,
               crcErrors);
  Bytes cut = a;
  cut.pop_back();
  WalkSections(cut, record, crcErrors);
  WalkSections(Bytes{0x42, 0xF0, 0x00, 1, 2, 3}, record, crcErrors);
  WalkSections(Bytes{0x42}, record, crcErrors);
  EXPECT_TRUE(seen.empty());
  EXPECT_EQ(crcErrors, 1);
}

TEST(GuideTest, SdtCreatesEachServiceOnceAndEitWaitsForIt) {
  Guide guide;
  std::vector<uint16_t> added;
  guide.serviceAdded = [&](uint16_t id) { added.push_back(id); };
  const Bytes eit = BuildEit(10, {{1, 0xC079, 0x124500, 0x013000, "News", ""}});
  // Before any SDT the EIT is dropped whole.
  guide.ParseEitSections(eit, kNoon);
  EXPECT_EQ(guide.Peek().events, 0);

  guide.ParseSdtSections(BuildSdt(
      7, 9,
      {{10, "Prov\x01ider", "Ch\xC3\xA9 One is a long name of a service"}, {0xFFFF, "X", "Y"}}));
  guide.ParseSdtSections(BuildSdt(7, 9, {{10, "Other", "Renamed"}, {11, "P", "Two"}}));
  EXPECT_EQ(added, (std::vector<uint16_t>{10, 11}));
  guide.ParseEitSections(eit, kNoon);
  guide.ParseEitSections(BuildEit(12, {{2, 0xC079, 0x124500, 0x013000, "Nobody", ""}}), kNoon);
  const Guide::Counters counters = guide.TakeCounters();
  EXPECT_EQ(counters.services, 2);
  EXPECT_EQ(counters.events, 1);
  guide.Read([](const std::map<uint16_t, ServiceEntry>& services) {
    ASSERT_EQ(services.size(), 2u);
    const ServiceEntry& first = services.at(10);
    EXPECT_EQ(first.provider, "Provider");
    EXPECT_EQ(first.name, "Ch One is a long na");
    EXPECT_EQ(first.originalNetworkId, 9);
    EXPECT_EQ(first.transportStreamId, 7);
    ASSERT_EQ(first.events.size(), 1u);
    EXPECT_EQ(first.events[0].name, "News");
  });
}

TEST(GuideTest, KnownEventsKeepTheirNameGainTextAndExpireOnePerArrival) {
  Guide guide;
  guide.ParseSdtSections(BuildSdt(1, 1, {{10, "P", "One"}}));
  // Events 1 and 2 ended before noon + 3 h; event 3 has not.
  guide.ParseEitSections(BuildEit(10, {{1, 0xC079, 0x100000, 0x010000, "Early", ""},
                                       {2, 0xC079, 0x110000, 0x010000, "Later", ""},
                                       {3, 0xC079, 0x140000, 0x010000, "Next", ""}}),
                         kNoon - 3600 * 3);
  guide.ParseEitSections(
      BuildEit(10, {{3, 0xC079, 0x140000, 0x010000, "Renamed", "Text\x05with\x7d"}}),
      kNoon - 3600 * 3);
  guide.ParseEitSections(BuildEit(10, {{3, 0xC079, 0x140000, 0x010000, "Again", "Other text"}}),
                         kNoon - 3600 * 3);
  // Only an extended descriptor still makes an event; neither makes none.
  guide.ParseEitSections(BuildEit(10, {{4, 0xC079, 0x200000, 0x003000, "", "Only text"},
                                       {5, 0xC079, 0x210000, 0x003000, "", ""}}),
                         kNoon - 3600 * 3);
  EXPECT_EQ(guide.Peek().events, 4);
  auto ids = [&guide] {
    std::vector<int> found;
    guide.Read([&](const std::map<uint16_t, ServiceEntry>& services) {
      for (const EventEntry& event : services.at(10).events) found.push_back(event.eventId);
    });
    return found;
  };
  // Three hours later two events have ended; each arrival takes one of them away.
  guide.ParseEitSections(BuildEit(10, {{3, 0xC079, 0x140000, 0x010000, "Next", ""}}),
                         kNoon + 3600 * 3);
  EXPECT_EQ(ids(), (std::vector<int>{2, 3, 4}));
  guide.ParseEitSections(BuildEit(10, {{3, 0xC079, 0x140000, 0x010000, "Next", ""}}),
                         kNoon + 3600 * 3);
  EXPECT_EQ(ids(), (std::vector<int>{3, 4}));
  EXPECT_EQ(guide.Peek().events, 2);
  guide.Read([](const std::map<uint16_t, ServiceEntry>& services) {
    const EventEntry& event = services.at(10).events[0];
    EXPECT_EQ(event.name, "Next");
    EXPECT_EQ(event.extendedText, "Text with ");
    EXPECT_EQ(event.endUtc, kNoon + 3 * 3600);
    EXPECT_EQ(event.endUtc, event.End());
  });
}

TEST(GuideTest, TextsOfTheBrowserAndTheGuideFile) {
  FixedZone zone;
  Guide guide;
  guide.ParseSdtSections(BuildSdt(1, 1, {{10, "Prov", "One"}, {3, "P3", "Three"}}));
  guide.ParseEitSections(BuildEit(10, {{1, 0xC079, 0x124500, 0x013000, "News", "Headlines"},
                                       {2, 0xC079, 0x141500, 0x000500, "Weather", ""}}),
                         kNoon);
  guide.Read([](const std::map<uint16_t, ServiceEntry>& services) {
    const ServiceEntry& one = services.at(10);
    EXPECT_EQ(ServiceLine(one), "   10 One (Prov)");
    EXPECT_EQ(ServiceIdOfLine(ServiceLine(one)), 10);
    EXPECT_EQ(ServiceIdOfLine("x"), -1);
    EXPECT_EQ(ServiceEventsText(one),
              "10/13/93 12:45:00->01:30:00\r\nNews\r\nHeadlines\r\n\r\n"
              "10/13/93 14:15:00->00:05:00\r\nWeather\r\n\r\n");
    EXPECT_EQ(GuideFileText(services),
              "Ch:     3 Three (P3)\r\n\r\n"
              "Ch:    10 One (Prov)\r\n"
              " 10/13/93 12:45:00->01:30:00 News [Headlines]\r\n"
              " 10/13/93 14:15:00->00:05:00 Weather []\r\n\r\n");
  });
  setenv("TZ", "CET-1", 1);
  tzset();
  EXPECT_EQ(ShowStartTime(GuideTime{1993, 10, 13, 12, 45, 0}).time, "13:45:00");
}

class GuideClock : public SystemClock {
 public:
  std::time_t NowUtc() const override { return kNoon; }
  bool SetUtc(std::time_t utc, std::string& error) override {
    set.push_back(utc);
    if (refuse) error = "Operation not permitted";
    return !refuse;
  }
  std::vector<std::time_t> set;
  bool refuse = false;
};

TEST(GuideTest, TdtSetsTheClockAtFirstAndThenEverySixtiethSection) {
  GuideClock clock;
  TdtClockSync sync;
  std::string error;
  const Bytes tdt = {0x70, 0x70, 0x05, 0xC0, 0x79, 0x12, 0x45, 0x00};
  using Result = TdtClockSync::Result;
  EXPECT_EQ(sync.OnSection(tdt, clock, error), Result::kSet);
  for (int i = 1; i < 60; ++i) EXPECT_EQ(sync.OnSection(tdt, clock, error), Result::kWaiting);
  EXPECT_EQ(sync.OnSection(tdt, clock, error), Result::kSet);
  EXPECT_EQ(clock.set, (std::vector<std::time_t>{kNoon + 2700, kNoon + 2700}));

  // Another table, or a length of 0 or above 1024, restarts the count without setting.
  for (const Bytes& wrong : {Bytes{0x73, 0x70, 0x05, 0xC0, 0x79, 0x12, 0x45, 0x00},
                             Bytes{0x70, 0x70, 0x00, 0xC0, 0x79, 0x12, 0x45, 0x00},
                             Bytes{0x70, 0x74, 0x01, 0xC0, 0x79, 0x12, 0x45, 0x00}, Bytes{0x70}}) {
    sync.Restart();
    EXPECT_EQ(sync.OnSection(wrong, clock, error), Result::kNotATdt);
    EXPECT_EQ(sync.OnSection(tdt, clock, error), Result::kWaiting);
  }
  EXPECT_EQ(clock.set.size(), 2u);
  clock.refuse = true;
  sync.Restart();
  EXPECT_EQ(sync.OnSection(tdt, clock, error), Result::kRefused);
  EXPECT_EQ(error, "Operation not permitted");
}

}  // namespace
}  // namespace pelorus
