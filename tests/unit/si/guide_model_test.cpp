// The guide and the clock sync keep what the table types parsed: decoded texts on screen and in
// the guide file, the bouquet table kept out of the services, and a garbled TDT that never sets
// the clock.
#include <gtest/gtest.h>

#include "fixed_zone.h"
#include "section_builder.h"
#include "si/guide.h"
#include "si/guide_text.h"
#include "si/system_clock.h"

namespace pelorus {
namespace {

using testing::Bytes;

using testing::kNoon;

using testing::FixedZone;

TEST(GuideModelTest, EventTextsAreShownAndWrittenDecoded) {
  FixedZone zone;
  Guide guide;
  guide.ParseSdtSections(testing::BuildSdt(1, 1, {{10, "Prov", "One"}}));
  guide.ParseEitSections(testing::BuildEit(10, {{1, 0xC079, 0x124500, 0x013000,
                                                 "\x05"
                                                 "Caff\xE8 e cornetto",
                                                 "\x86Ospiti\x87 in studio.\x8A"
                                                 "Poi musica."},
                                                {2, 0xC079, 0x141500, 0x000500,
                                                 "\x15"
                                                 "Citt\xC3\xA0 di notte",
                                                 "\x15"
                                                 "Dalle citt\xC3\xA0 italiane."}}),
                         kNoon);
  guide.Read([](const std::map<uint16_t, ServiceEntry>& services) {
    const ServiceEntry& one = services.at(10);
    // The stored fields keep the bytes as they came.
    EXPECT_EQ(one.events[0].name,
              "\x05"
              "Caff\xE8 e cornetto");
    EXPECT_EQ(ShownEventName(one.events[1]), "Citt\xC3\xA0 di notte");
    EXPECT_EQ(ServiceEventsText(one),
              "10/13/93 12:45:00->01:30:00\r\nCaff\xC3\xA8 e cornetto\r\n"
              "Ospiti in studio. Poi musica.\r\n\r\n"
              "10/13/93 14:15:00->00:05:00\r\nCitt\xC3\xA0 di notte\r\n"
              "Dalle citt\xC3\xA0 italiane.\r\n\r\n");
    // The file keeps its line format: the line break inside the text is a blank there too.
    EXPECT_EQ(GuideFileText(services),
              "Ch:    10 One (Prov)\r\n"
              " 10/13/93 12:45:00->01:30:00 Caff\xC3\xA8 e cornetto [Ospiti in studio. Poi "
              "musica.]\r\n"
              " 10/13/93 14:15:00->00:05:00 Citt\xC3\xA0 di notte [Dalle citt\xC3\xA0 "
              "italiane.]\r\n\r\n");
  });
}

TEST(GuideModelTest, TheBouquetTableOnTheSdtPidAddsNoServices) {
  Guide guide;
  std::vector<uint16_t> added;
  guide.serviceAdded = [&](uint16_t id) { added.push_back(id); };
  // A BAT whose bouquet id and first bytes would read as services if taken for an SDT.
  Bytes bouquet = {0xF0, 0x00};
  testing::U16(bouquet, 0xF000 | 6);
  testing::U16(bouquet, 0x0001);
  testing::U16(bouquet, 0x00B1);
  testing::U16(bouquet, 0xF000);
  const Bytes bat = testing::LongSection(0x4A, 0x1234, bouquet);
  guide.ParseSdtSections(testing::Concat({bat, testing::BuildSdt(1, 1, {{10, "P", "One"}})}));
  EXPECT_EQ(added, std::vector<uint16_t>{10});
  EXPECT_EQ(guide.Peek().services, 1);
  // An EIT unit is taken after the SDT unit, and an SDT section among EIT ones is no event.
  guide.ParseEitSections(
      testing::Concat({testing::BuildSdt(1, 1, {{11, "P", "Two"}}),
                       testing::BuildEit(10, {{1, 0xC079, 0x124500, 0x013000, "News", ""}})}),
      kNoon);
  EXPECT_EQ(guide.Peek().events, 1);
  EXPECT_EQ(guide.Peek().services, 1);
}

class GuideModelClock : public SystemClock {
 public:
  std::time_t NowUtc() const override { return kNoon; }
  bool SetUtc(std::time_t utc, std::string&) override {
    set.push_back(utc);
    return true;
  }
  std::vector<std::time_t> set;
};

TEST(GuideModelTest, AGarbledTdtNeverSetsTheClock) {
  GuideModelClock clock;
  TdtClockSync sync;
  std::string error;
  using Result = TdtClockSync::Result;
  // A letter among the digits, hour 25, minute 60, second 60, and a TDT too short for its time.
  for (const Bytes& garbled : {Bytes{0x70, 0x70, 0x05, 0xC0, 0x79, 0x1A, 0x45, 0x00},
                               Bytes{0x70, 0x70, 0x05, 0xC0, 0x79, 0x25, 0x00, 0x00},
                               Bytes{0x70, 0x70, 0x05, 0xC0, 0x79, 0x12, 0x60, 0x00},
                               Bytes{0x70, 0x70, 0x05, 0xC0, 0x79, 0x12, 0x45, 0x60},
                               Bytes{0x70, 0x70, 0x02, 0xC0, 0x79, 0x12, 0x45, 0x00}}) {
    sync.Restart();
    const Result result = sync.OnSection(garbled, clock, error);
    EXPECT_TRUE(result == Result::kGarbled || result == Result::kNotATdt);
    // The garbled one used up its turn: the count restarted at 60 as for any other section.
    EXPECT_EQ(sync.OnSection(Bytes{0x70, 0x70, 0x05, 0xC0, 0x79, 0x12, 0x45, 0x00}, clock, error),
              Result::kWaiting);
  }
  EXPECT_TRUE(clock.set.empty());
  sync.Restart();
  EXPECT_EQ(sync.OnSection(Bytes{0x70, 0x70, 0x05, 0xC0, 0x79, 0x1A, 0x45, 0x00}, clock, error),
            Result::kGarbled);
  sync.Restart();
  EXPECT_EQ(sync.OnSection(Bytes{0x70, 0x70, 0x05, 0xC0, 0x79, 0x23, 0x59, 0x59}, clock, error),
            Result::kSet);
  EXPECT_EQ(clock.set, std::vector<std::time_t>{kNoon + 12 * 3600 - 1});
  // The parsed table can be handed over directly.
  sync.Restart();
  const Tdt tdt{{0xC079, 0x120000}};
  EXPECT_EQ(sync.OnTdt(&tdt, clock, error), Result::kSet);
  EXPECT_EQ(clock.set.back(), kNoon);
}

}  // namespace
}  // namespace pelorus
