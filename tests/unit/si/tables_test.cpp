// One type per table on crafted sections: each table spread over several sections, collected
// until complete, versions replacing each other, and the descriptors real multiplexes carry.
#include <gtest/gtest.h>

#include "section_builder.h"
#include "si/eit.h"
#include "si/nit.h"
#include "si/psi_tables.h"
#include "si/sdt.h"
#include "si/si_describe.h"
#include "si/table_tracker.h"
#include "si/time_tables.h"

namespace pelorus {
namespace {

using testing::Append;
using testing::Bytes;
using testing::Descriptor;
using testing::LongSection;
using testing::SectionPlace;
using testing::Text;
using testing::U16;

Section View(const Bytes& bytes) {
  const std::optional<Section> section = Section::Parse(bytes);
  EXPECT_TRUE(section);
  return section.value_or(Section{});
}

const Bytes kDelivery = {0x01, 0x17, 0x50, 0x00, 0x01, 0x92, 0xC0, 0x02, 0x75, 0x00, 0x03};
const Bytes kPrivate = Descriptor(0x83, {0xDE, 0xAD, 0xBE, 0xEF});  // a broadcaster's own

Bytes PatSection(const std::vector<std::pair<int, int>>& programs, SectionPlace place) {
  Bytes payload;
  for (const auto& [number, pid] : programs) {
    U16(payload, number);
    U16(payload, 0xE000 | pid);
  }
  return LongSection(0x00, 0x0437, payload, true, place);
}

Bytes NitSection(uint8_t table, const Bytes& network, const std::vector<Bytes>& streams,
                 SectionPlace place, uint16_t firstTsid = 1) {
  Bytes payload;
  U16(payload, 0xF000 | network.size());
  Append(payload, network);
  Bytes loop;
  uint16_t tsid = firstTsid;
  for (const Bytes& descriptors : streams) {
    U16(loop, tsid++);
    U16(loop, 0x00B1);
    U16(loop, 0xF000 | descriptors.size());
    Append(loop, descriptors);
  }
  U16(payload, 0xF000 | loop.size());
  Append(payload, loop);
  return LongSection(table, 0x00B1, payload, true, place);
}

struct Service {
  Service(uint16_t serviceId, std::string providerName, std::string serviceName,
          bool freeCaMode = false, Bytes more = {})
      : id(serviceId),
        provider(std::move(providerName)),
        name(std::move(serviceName)),
        freeCa(freeCaMode),
        extra(std::move(more)) {}
  uint16_t id;
  std::string provider;
  std::string name;
  bool freeCa;
  Bytes extra;  // further descriptors
};
Bytes SdtSection(uint8_t table, uint16_t tsid, const std::vector<Service>& services,
                 SectionPlace place) {
  Bytes payload;
  U16(payload, 0x00B1);
  payload.push_back(0xFF);
  for (const Service& service : services) {
    Bytes body = {0x01, static_cast<uint8_t>(service.provider.size())};
    Append(body, Text(service.provider));
    body.push_back(static_cast<uint8_t>(service.name.size()));
    Append(body, Text(service.name));
    Bytes descriptors = service.extra;
    Append(descriptors, Descriptor(0x48, body));
    U16(payload, service.id);
    payload.push_back(0xFD);  // EIT schedule off, present/following on
    U16(payload, (4 << 13) | (service.freeCa ? 0x1000 : 0) | descriptors.size());
    Append(payload, descriptors);
  }
  return LongSection(table, tsid, payload, true, place);
}

TEST(TablesTest, PatOfTwoSectionsCompletesOnlyWithBoth) {
  TableCollector<Pat> pat;
  const Bytes first = PatSection({{0, 0x10}, {101, 0x100}}, {3, 0, 1});
  const Bytes second = PatSection({{102, 0x110}, {103, 0x120}}, {3, 1, 1});
  EXPECT_FALSE(pat.Add(View(first)));
  EXPECT_FALSE(pat.Current());
  EXPECT_EQ(pat.Partial()->programs.size(), 1u);
  EXPECT_FALSE(pat.Add(View(first)));  // a repeat changes nothing
  EXPECT_TRUE(pat.Add(View(second)));
  ASSERT_TRUE(pat.Current());
  EXPECT_EQ(pat.Current()->transportStreamId, 0x0437);
  EXPECT_EQ(pat.Current()->networkPid, 0x10);
  ASSERT_EQ(pat.Current()->programs.size(), 3u);
  EXPECT_EQ(pat.Current()->programs[2].pmtPid, 0x120);
  const TransportStreamTexts texts = DescribeTransportStream(*pat.Current());
  EXPECT_EQ(texts.transportStreamId, "0437");
  EXPECT_EQ(texts.programs[1].number, "102");
  EXPECT_EQ(texts.programs[1].pmtPid, "0110");
}

TEST(TablesTest, ANewVersionReplacesTheOldOnceItIsCompleteAndAMissingSectionIsWaitedFor) {
  TableCollector<Pat> pat;
  pat.Add(View(PatSection({{101, 0x100}}, {1, 0, 0})));
  ASSERT_TRUE(pat.Current());
  // Version 2 in three sections; the middle one has not come yet.
  EXPECT_FALSE(pat.Add(View(PatSection({{201, 0x200}}, {2, 0, 2}))));
  EXPECT_FALSE(pat.Add(View(PatSection({{203, 0x220}}, {2, 2, 2}))));
  EXPECT_FALSE(pat.Complete());
  EXPECT_EQ(pat.Current()->programs[0].programNumber, 101);  // the old one still holds
  // Neither the next version, nor a section with a wrong CRC, nor a cut one is counted.
  EXPECT_FALSE(pat.Add(View(PatSection({{202, 0x210}}, {2, 1, 2, false}))));
  Bytes damaged = PatSection({{202, 0x210}}, {2, 1, 2});
  damaged[9] ^= 1;
  EXPECT_FALSE(pat.Add(View(damaged)));
  EXPECT_FALSE(pat.Complete());
  EXPECT_TRUE(pat.Add(View(PatSection({{202, 0x210}}, {2, 1, 2}))));
  ASSERT_EQ(pat.Current()->programs.size(), 3u);
  EXPECT_EQ(pat.Current()->programs[1].programNumber, 202);  // in section order
  EXPECT_EQ(pat.Current()->version, 2);

  // Another table's section is not this table's.
  SectionTracker tracker;
  EXPECT_EQ(tracker.Add(View(PatSection({}, {0, 0, 1}))), SectionTracker::Outcome::kAdded);
  EXPECT_EQ(tracker.Add(View(LongSection(0x00, 0x0438, {}, true, {0, 1, 1}))),
            SectionTracker::Outcome::kIgnored);
  EXPECT_FALSE(tracker.Complete());
}

TEST(TablesTest, CatOfTwoSectionsAndPmtCarryTheCaSystemsAndSkipUnknownDescriptors) {
  Bytes cat;
  Append(cat, Descriptor(0x09, {0x0B, 0x00, 0xE1, 0x23, 0x55}));  // system 0x0B00, EMM PID 0x123
  Append(cat, kPrivate);
  Append(cat, Descriptor(0x09, {0x18, 0x10, 0xE4, 0x56}));
  TableCollector<Cat> collector;
  EXPECT_FALSE(collector.Add(View(LongSection(0x01, 0xFFFF, cat, true, {0, 0, 1}))));
  EXPECT_TRUE(collector.Add(View(
      LongSection(0x01, 0xFFFF, Descriptor(0x09, {0x09, 0x63, 0xE7, 0x89}), true, {0, 1, 1}))));
  const std::optional<Cat>& parsed = collector.Current();
  ASSERT_TRUE(parsed);
  ASSERT_EQ(parsed->ca.size(), 3u);
  EXPECT_EQ(parsed->ca[0].systemId, 0x0B00);
  EXPECT_EQ(parsed->ca[0].pid, 0x123);
  EXPECT_EQ(parsed->ca[1].pid, 0x456);
  EXPECT_EQ(parsed->ca[2].systemId, 0x0963);
  EXPECT_EQ(parsed->ca[2].pid, 0x789);

  auto pmt = [&](const Bytes& programInfo, const Bytes& audioInfo) {
    Bytes payload;
    U16(payload, 0xE000 | 0x200);
    U16(payload, 0xF000 | programInfo.size());
    Append(payload, programInfo);
    const Bytes video = {0x1B, 0xE2, 0x00, 0xF0, 0x00};
    Append(payload, video);
    payload.push_back(0x06);
    U16(payload, 0xE000 | 0x281);
    U16(payload, 0xF000 | audioInfo.size());
    Append(payload, audioInfo);
    return Pmt::Parse(View(LongSection(0x02, 101, payload)));
  };
  Bytes audioInfo = kPrivate;
  Append(audioInfo, Descriptor(0x0A, Text("ita\x01")));
  Append(audioInfo, Descriptor(0x6A, {0x00}));
  const std::optional<Pmt> clear = pmt(kPrivate, audioInfo);
  ASSERT_TRUE(clear);
  EXPECT_EQ(clear->programNumber, 101);
  EXPECT_EQ(clear->pcrPid, 0x200);
  ASSERT_EQ(clear->streams.size(), 2u);
  EXPECT_EQ(clear->streams[0].streamType, 0x1B);
  EXPECT_EQ(clear->streams[1].language, "ita");
  EXPECT_TRUE(clear->streams[1].ac3);
  EXPECT_FALSE(clear->Scrambled());
  const ProgramMapTexts texts = DescribeProgramMap(*clear);
  EXPECT_EQ(texts.pcrPid, "0200");
  EXPECT_EQ(texts.streams[0].type, "1b");
  EXPECT_EQ(texts.streams[1].pid, "0281");
  EXPECT_STREQ(StreamTypeName(0x1B), "H.264 video");
  // A CA descriptor on the programme or on one stream marks it scrambled.
  EXPECT_TRUE(pmt(Descriptor(0x09, {0x0B, 0x00, 0xE1, 0x00}), {})->Scrambled());
  EXPECT_TRUE(pmt({}, Descriptor(0x09, {0x0B, 0x00, 0xE1, 0x01}))->Scrambled());
  // A PMT is not a PAT.
  EXPECT_FALSE(Pat::Parse(View(LongSection(0x02, 101, {0xE2, 0x00, 0xF0, 0x00}))));
}

TEST(TablesTest, NitActualAndOtherOfSeveralSections) {
  Bytes network = Descriptor(0x40, Text("Pelorus Sat Net"));
  Append(network, kPrivate);
  Bytes withList = Descriptor(0x41, {0x00, 0x65, 0x01, 0x00, 0x66, 0x02});
  Append(withList, kPrivate);
  Append(withList, Descriptor(0x43, kDelivery));
  TableCollector<Nit> nit;
  EXPECT_FALSE(nit.Add(View(NitSection(0x40, network, {Descriptor(0x43, kDelivery)}, {5, 0, 1}))));
  EXPECT_TRUE(nit.Add(View(NitSection(0x40, {}, {withList, {}}, {5, 1, 1}, 2))));
  const Nit& table = *nit.Current();
  EXPECT_TRUE(table.Actual());
  EXPECT_EQ(table.networkName, "Pelorus Sat Net");  // a later section without a name keeps it
  ASSERT_EQ(table.transportStreams.size(), 3u);
  EXPECT_EQ(table.transportStreams[1].transportStreamId, 2);
  ASSERT_EQ(table.transportStreams[1].services.size(), 2u);
  EXPECT_EQ(table.transportStreams[1].services[1].serviceId, 0x66);
  EXPECT_EQ(table.transportStreams[1].services[1].serviceType, 2);
  EXPECT_EQ(table.Deliveries().size(), 2u);
  const NetworkTexts texts = DescribeNetwork(table);
  EXPECT_EQ(texts.networkId, "00b1");
  EXPECT_EQ(texts.name, "Pelorus Sat Net");
  ASSERT_EQ(texts.deliveries.size(), 2u);
  EXPECT_EQ(texts.deliveries[1].frequency, "11750.00 MHz");
  EXPECT_EQ(texts.deliveries[1].fec, "3/4");

  const std::optional<Nit> other = Nit::Parse(View(NitSection(0x41, {}, {}, {})));
  ASSERT_TRUE(other);
  EXPECT_FALSE(other->Actual());
  EXPECT_FALSE(Nit::Parse(View(LongSection(0x42, 1, {0xF0, 0x00, 0xF0, 0x00}))));
}

TEST(TablesTest, SdtActualOtherAndTheBouquetTableOnTheSamePid) {
  const Bytes caIdentifier = Descriptor(0x53, {0x0B, 0x00});
  TableCollector<Sdt> actual;
  EXPECT_FALSE(actual.Add(View(SdtSection(0x42, 1, {{101, "Pelorus", "Pelorus Uno"}}, {0, 0, 2}))));
  EXPECT_FALSE(actual.Add(View(SdtSection(0x42, 1, {{102, "Pelorus", "Pay", true}}, {0, 1, 2}))));
  // The other multiplex's SDT and the BAT are other tables: they neither complete nor spoil it.
  EXPECT_FALSE(
      actual.Add(View(SdtSection(0x46, 2, {{201, "Aurora", "Canale Aurora"}}, {0, 2, 2}))));
  EXPECT_FALSE(actual.Complete());
  EXPECT_TRUE(actual.Add(
      View(SdtSection(0x42, 1, {{103, "Pelorus", "Coded", false, caIdentifier}}, {0, 2, 2}))));
  const Sdt& sdt = *actual.Current();
  EXPECT_TRUE(sdt.Actual());
  EXPECT_EQ(sdt.transportStreamId, 1);
  EXPECT_EQ(sdt.originalNetworkId, 0x00B1);
  ASSERT_EQ(sdt.services.size(), 3u);
  EXPECT_EQ(sdt.services[0].name, "Pelorus Uno");
  EXPECT_TRUE(sdt.services[0].eitPresentFollowing);
  EXPECT_FALSE(sdt.services[0].eitSchedule);
  EXPECT_EQ(sdt.services[0].runningStatus, 4);
  EXPECT_FALSE(sdt.services[0].Scrambled());
  EXPECT_TRUE(sdt.services[1].Scrambled());  // free_CA_mode
  EXPECT_TRUE(sdt.services[2].Scrambled());  // CA identifier descriptor
  EXPECT_EQ(sdt.services[2].caSystems, std::vector<uint16_t>{0x0B00});
  const ServiceTexts texts = DescribeService(sdt.services[2]);
  EXPECT_EQ(texts.serviceId, "0067");
  EXPECT_EQ(texts.type, "01");
  EXPECT_EQ(texts.name, "Coded");
  EXPECT_TRUE(texts.scrambled);
  // Names in another character table are described decoded.
  Bytes named = SdtSection(0x42, 1,
                           {{104, "P",
                             "\x05"
                             "Caf\xE9"}},
                           {});
  EXPECT_EQ(DescribeService(Sdt::Parse(View(named))->services[0]).name, "Caf\xC3\xA9");

  const std::optional<Sdt> other =
      Sdt::Parse(View(SdtSection(0x46, 2, {{201, "Aurora", "Canale Aurora"}}, {})));
  ASSERT_TRUE(other);
  EXPECT_FALSE(other->Actual());

  Bytes bouquet;
  U16(bouquet, 0xF000 | 9);
  Append(bouquet, Descriptor(0x47, Text("Bouquet")));
  Bytes streams;
  U16(streams, 1);
  U16(streams, 0x00B1);
  const Bytes list = Descriptor(0x41, {0x00, 0x65, 0x01});
  U16(streams, 0xF000 | list.size());
  Append(streams, list);
  U16(bouquet, 0xF000 | streams.size());
  Append(bouquet, streams);
  const Bytes bat = LongSection(0x4A, 0x1234, bouquet);
  EXPECT_FALSE(Sdt::Parse(View(bat)));  // a BAT is never read as services
  const std::optional<Bat> parsed = Bat::Parse(View(bat));
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->bouquetId, 0x1234);
  EXPECT_EQ(parsed->bouquetName, "Bouquet");
  ASSERT_EQ(parsed->transportStreams.size(), 1u);
  EXPECT_EQ(parsed->transportStreams[0].services[0].serviceId, 0x65);
}

Bytes EitSection(uint8_t table, uint16_t service, uint8_t segmentLast, SectionPlace place,
                 const std::vector<testing::EitEvent>& events) {
  // The builder's EIT, given its place in the table and its segment.
  Bytes section = testing::BuildEit(service, events, table);
  section[6] = place.number;
  section[7] = place.last;
  section[12] = segmentLast;
  section.resize(section.size() - 4);
  testing::PutCrc(section);
  return section;
}

TEST(TablesTest, EitPresentFollowingAndScheduleActualAndOther) {
  const testing::EitEvent news = {1, 0xC079, 0x124500, 0x013000, "News", "Headlines"};
  const std::optional<Eit> pf = Eit::Parse(View(EitSection(0x4E, 101, 1, {0, 0, 1}, {news})));
  ASSERT_TRUE(pf);
  EXPECT_TRUE(pf->Actual());
  EXPECT_TRUE(pf->PresentFollowing());
  EXPECT_EQ(pf->serviceId, 101);
  EXPECT_EQ(pf->transportStreamId, 1);
  EXPECT_EQ(pf->originalNetworkId, 2);
  ASSERT_EQ(pf->events.size(), 1u);
  const EitEvent& event = pf->events[0];
  EXPECT_EQ(event.eventId, 1);
  EXPECT_EQ(event.start.mjd, 0xC079);
  EXPECT_EQ(event.start.bcd, 0x124500u);
  EXPECT_EQ(event.durationBcd, 0x013000u);
  EXPECT_EQ(event.language, "eng");
  EXPECT_EQ(event.name, "News");
  EXPECT_EQ(event.extendedTexts, std::vector<std::string>{"Headlines"});
  for (const uint8_t table : {0x4F, 0x60, 0x6F}) {
    EXPECT_FALSE(Eit::Parse(View(EitSection(table, 101, 0, {}, {news})))->Actual()) << int{table};
  }
  EXPECT_TRUE(Eit::Parse(View(EitSection(0x5F, 101, 0, {}, {news})))->Actual());
  EXPECT_FALSE(Eit::Parse(View(EitSection(0x50, 101, 0, {}, {news})))->PresentFollowing());
  EXPECT_FALSE(Eit::Parse(View(LongSection(0x4D, 1, {0, 1, 0, 2, 0, 0x4E}))));

  // A schedule of two segments: sections 0-1 of the first (segment_last 1) and 8 of the
  // second (segment_last 8, last_section_number 8). Sections 2-7 are never sent.
  TableCollector<Eit> schedule;
  EXPECT_FALSE(schedule.Add(View(EitSection(0x50, 101, 1, {0, 0, 8}, {news}))));
  EXPECT_FALSE(schedule.Add(View(EitSection(0x50, 101, 8, {0, 8, 8}, {news}))));
  EXPECT_TRUE(schedule.Add(View(EitSection(0x50, 101, 1, {0, 1, 8}, {news}))));
  EXPECT_EQ(schedule.Current()->events.size(), 3u);
}

TEST(TablesTest, TdtAndTotWithItsLocalTimeOffsets) {
  const std::optional<Tdt> tdt =
      Tdt::Parse(View(Bytes{0x70, 0x70, 0x05, 0xC0, 0x79, 0x12, 0x45, 0x00}));
  ASSERT_TRUE(tdt);
  EXPECT_EQ(tdt->Utc(), 750516300);
  // Garbled: a letter among the digits, hour 25; too short to hold the time.
  EXPECT_FALSE(Tdt::Parse(View(Bytes{0x70, 0x70, 0x05, 0xC0, 0x79, 0x1A, 0x45, 0x00}))->Utc());
  EXPECT_FALSE(Tdt::Parse(View(Bytes{0x70, 0x70, 0x05, 0xC0, 0x79, 0x25, 0x00, 0x00}))->Utc());
  EXPECT_FALSE(Tdt::Parse(View(Bytes{0x70, 0x70, 0x03, 0xC0, 0x79, 0x12})));

  // Italy +01:00 changing to +02:00, and a region west of Greenwich at -03:30.
  Bytes offsets = Text("ITA");
  Append(offsets, {0x00, 0x01, 0x00, 0xC0, 0x7A, 0x01, 0x00, 0x00, 0x02, 0x00});
  Append(offsets, Text("BRA"));
  Append(offsets, {0x0B, 0x03, 0x30, 0xC0, 0x7A, 0x02, 0x00, 0x00, 0x02, 0x30});
  const Bytes descriptor = Descriptor(0x58, offsets);
  Bytes tot = {0x73, 0x70, 0x00, 0xC0, 0x79, 0x12, 0x45, 0x00};
  U16(tot, 0xF000 | descriptor.size());
  Append(tot, descriptor);
  const size_t length = tot.size() - 3 + 4;
  tot[1] = static_cast<uint8_t>(0x70 | (length >> 8));
  tot[2] = static_cast<uint8_t>(length);
  testing::PutCrc(tot);
  const Section section = View(tot);
  EXPECT_TRUE(section.crcOk);
  const std::optional<Tot> parsed = Tot::Parse(section);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->Utc(), 750516300);
  ASSERT_EQ(parsed->offsets.size(), 2u);
  EXPECT_EQ(parsed->offsets[0].country, "ITA");
  EXPECT_EQ(parsed->offsets[0].offsetMinutes, 60);
  EXPECT_EQ(parsed->offsets[0].nextOffsetMinutes, 120);
  EXPECT_EQ(parsed->offsets[0].timeOfChange.mjd, 0xC07A);
  EXPECT_EQ(parsed->offsets[1].region, 2);
  EXPECT_EQ(parsed->offsets[1].offsetMinutes, -210);
  EXPECT_FALSE(Tot::Parse(View(Bytes{0x70, 0x70, 0x05, 0xC0, 0x79, 0x12, 0x45, 0x00})));
}

}  // namespace
}  // namespace pelorus
