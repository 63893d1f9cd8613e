// The channel a search makes of a service, from crafted PAT, PMT and SDT sections read with the
// table types: every field of the record, the names through their character tables, and which
// services the receiver cannot show.
#include "service_scan/service_records.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "unit/si/section_builder.h"

namespace pelorus {
namespace {

using testing::Append;
using testing::Bytes;
using testing::Descriptor;
using testing::LongSection;
using testing::U16;

struct Stream {
  uint8_t type;
  uint16_t pid;
  Bytes descriptors = {};
};

Bytes PatSection(uint16_t tsid, const std::vector<std::pair<uint16_t, uint16_t>>& programs) {
  Bytes payload;
  U16(payload, 0);
  U16(payload, 0xE010);  // programme 0: the NIT PID
  for (const auto& [number, pid] : programs) {
    U16(payload, number);
    U16(payload, 0xE000 | pid);
  }
  return LongSection(0x00, tsid, payload);
}

Bytes PmtSection(uint16_t program, uint16_t pcr, const std::vector<Stream>& streams) {
  Bytes payload;
  U16(payload, 0xE000 | pcr);
  U16(payload, 0xF000);
  for (const Stream& stream : streams) {
    payload.push_back(stream.type);
    U16(payload, 0xE000 | stream.pid);
    U16(payload, 0xF000 | stream.descriptors.size());
    Append(payload, stream.descriptors);
  }
  return LongSection(0x02, program, payload);
}

struct Service {
  uint16_t id;
  uint8_t type;
  Bytes name;
};
Bytes SdtSection(uint16_t tsid, uint16_t onid, const std::vector<Service>& services) {
  Bytes payload;
  U16(payload, onid);
  payload.push_back(0xFF);
  for (const Service& service : services) {
    Bytes body = {service.type, 3, 'P', 'r', 'o', static_cast<uint8_t>(service.name.size())};
    Append(body, service.name);
    const Bytes descriptor = Descriptor(0x48, body);
    U16(payload, service.id);
    payload.push_back(0xFC);
    U16(payload, 0x8000 | descriptor.size());
    Append(payload, descriptor);
  }
  return LongSection(0x42, tsid, payload);
}

template <typename Table>
Table Parsed(const Bytes& bytes) {
  const std::optional<Section> section = Section::Parse(bytes);
  EXPECT_TRUE(section && section->Usable());
  std::optional<Table> table = Table::Parse(*section);
  EXPECT_TRUE(table.has_value());
  return *table;
}

// A multiplex of the given programmes (number, PMT PID, streams) and SDT entries.
TransponderTables Tables(const std::vector<std::pair<uint16_t, std::vector<Stream>>>& programs,
                         const std::vector<Service>& services) {
  TransponderTables tables;
  std::vector<std::pair<uint16_t, uint16_t>> pat;
  for (const auto& [number, streams] : programs) {
    const uint16_t pmtPid = static_cast<uint16_t>(0x100 + number % 0x100);
    pat.push_back({number, pmtPid});
    const uint16_t pcr = streams.empty() ? 0x1FFF : streams.front().pid;
    tables.pmts[number] = Parsed<Pmt>(PmtSection(number, pcr, streams));
  }
  tables.pat = Parsed<Pat>(PatSection(0x0457, pat));
  tables.sdt = Parsed<Sdt>(SdtSection(0x0457, 0x0001, services));
  return tables;
}

ChannelTuning Tuning() {
  ChannelTuning tuning;
  tuning.transponder.frequencyMhz = 11778;
  tuning.transponder.symbolRateKs = 27500;
  tuning.transponder.fecCode = 4;
  tuning.transponder.vertical = true;
  tuning.diseqcPort = 3;
  return tuning;
}

std::string NameOf(const ChannelRecord& record) {
  const auto end = std::find(record.name.begin(), record.name.end(), uint8_t{0});
  return std::string(record.name.begin(), end);
}

Bytes Name(const std::string& text) { return Bytes(text.begin(), text.end()); }

const Bytes kTeletext = Descriptor(0x56, {'i', 't', 'a', 0x09, 0x00});
const Bytes kAc3 = Descriptor(0x6A, {0x00});

TEST(ServiceRecordsTest, EveryFieldOfATelevisionChannel) {
  const TransponderTables tables = Tables(
      {{301, {{0x02, 0x0200}, {0x04, 0x0280}, {0x06, 0x0281, kAc3}, {0x06, 0x0290, kTeletext}}}},
      {{301, 0x01, Name("Canale Tre")}});
  const std::vector<FoundService> found = ServicesOf(tables, Tuning(), 192, false);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].skipped, SkipKind::kNone);
  EXPECT_EQ(found[0].name, "Canale Tre");
  EXPECT_EQ(found[0].orbital, 192);
  const ChannelRecord& record = found[0].record;
  EXPECT_TRUE(record.HasTag());
  EXPECT_EQ(NameOf(record), "Canale Tre");
  EXPECT_EQ(record.serviceId, 301);
  EXPECT_EQ(record.pmtPid, 0x012D);
  EXPECT_EQ(record.frequency, 11778);
  EXPECT_EQ(record.symbolRate, 27500);
  EXPECT_EQ(record.fecCode, 4);
  EXPECT_EQ(record.acqBandwidth, 28);  // (27500 + 500) / 1000
  EXPECT_EQ(record.polarity, 1);
  EXPECT_EQ(record.lnbSelect, 2);  // port 3, inversion Auto
  EXPECT_EQ(record.videoPid, 0x0200);
  EXPECT_EQ(record.audioPid, 0x0280);
  EXPECT_EQ(record.pcrPid, 0x0200);
  EXPECT_EQ(record.textPid, 0x0290);
  EXPECT_EQ(record.tsId, 0x0457);
  EXPECT_EQ(record.networkId, 0x0001);
  EXPECT_EQ(record.serviceType, 0x01);
  EXPECT_EQ(record.modeFlags, 0);  // PAL
  EXPECT_EQ(record.autoFlags, 0);
  EXPECT_EQ(record.scrambling, 0);
}

TEST(ServiceRecordsTest, SoundAloneAndAc3AloneAreChannelsToo) {
  const TransponderTables tables = Tables(
      {{1, {{0x03, 0x02E0}}}, {2, {{0x02, 0x0200}, {0x81, 0x0281}}}}, {{1, 0x02, Name("Radio")}});
  const std::vector<FoundService> found = ServicesOf(tables, Tuning(), std::nullopt, false);
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0].skipped, SkipKind::kNone);
  EXPECT_EQ(found[0].record.videoPid, kNoPid);
  EXPECT_EQ(found[0].record.audioPid, 0x02E0);
  EXPECT_EQ(found[0].record.textPid, kNoPid);
  EXPECT_EQ(found[0].record.serviceType, 0x02);
  // Without an SDT entry: named by its id, a television service by its streams.
  EXPECT_EQ(found[1].skipped, SkipKind::kNone);
  EXPECT_EQ(NameOf(found[1].record), "Service 2");
  EXPECT_EQ(found[1].record.audioPid, 0x0281);
  EXPECT_EQ(found[1].record.serviceType, 0x01);
}

TEST(ServiceRecordsTest, WhatTheReceiverCannotShowIsSkippedUnlessAllAreWanted) {
  const TransponderTables tables = Tables({{1, {{0x1B, 0x0200}, {0x03, 0x0280}}},
                                           {2, {{0x24, 0x0200}}},
                                           {3, {{0x05, 0x0260}}},
                                           {4, {{0x0F, 0x0280}}},
                                           {5, {}},
                                           {6, {{0x10, 0x0200}, {0x02, 0x0201}, {0x03, 0x0280}}},
                                           {7, {{0x06, 0x0290, kTeletext}}}},
                                          {});
  TransponderTables withoutPmt = tables;
  withoutPmt.pmts.erase(6);
  const std::vector<FoundService> found = ServicesOf(withoutPmt, Tuning(), std::nullopt, false);
  std::vector<SkipKind> kinds;
  for (const FoundService& service : found) kinds.push_back(service.skipped);
  EXPECT_EQ(kinds, (std::vector<SkipKind>{SkipKind::kH264, SkipKind::kHevc, SkipKind::kData,
                                          SkipKind::kAac, SkipKind::kNoStreams, SkipKind::kNoPmt,
                                          SkipKind::kData}));
  // MPEG-2 video beside an MPEG-4 one is a channel.
  EXPECT_EQ(ServicesOf(tables, Tuning(), std::nullopt, false)[5].skipped, SkipKind::kNone);

  const std::vector<FoundService> all = ServicesOf(withoutPmt, Tuning(), std::nullopt, true);
  EXPECT_EQ(all[0].skipped, SkipKind::kNone);
  EXPECT_EQ(all[0].record.videoPid, kNoPid);  // no MPEG video to name
  EXPECT_EQ(all[0].record.audioPid, 0x0280);
  EXPECT_EQ(all[5].skipped, SkipKind::kNoPmt);  // no PIDs to put in a record

  SkipCounts counts;
  for (const FoundService& service : found) counts.Add(service.skipped);
  EXPECT_EQ(counts.Total(), 7);
  EXPECT_EQ(counts.KindsText(), "H.264, HEVC, AAC audio, data, no video or audio, no PMT");
  EXPECT_EQ(counts.CountsText(),
            "1 H.264, 1 HEVC, 1 AAC audio, 2 data, 1 no video or audio, 1 no PMT");
}

TEST(ServiceRecordsTest, NamesAreDecodedFromTheirTableIntoTheRecordText) {
  const Bytes emphasised = {0x86, 'R', 'a', 'i', 0x87, ' ', '1'};
  const std::vector<Service> services = {
      {1, 0x01, Bytes{0x05, 'C', 'a', 'f', 0xE9}},              // ISO 8859-9
      {2, 0x01, emphasised},                                    // the emphasis codes stay
      {3, 0x01, Bytes{0x01, 0xBD, 0xC2, 0xB2}},                 // ISO 8859-5: НТВ
      {4, 0x01, Bytes{0x10, 0x00, 0x02, 0xA3, 'o', 'd', 'z'}},  // ISO 8859-2: Łodz
      {5, 0x01, Name("A name far longer than the record holds")},
      {6, 0x01, Bytes{0x15, 'C', 'i', 't', 't', 0xC3, 0xA0}},  // UTF-8
  };
  std::vector<std::pair<uint16_t, std::vector<Stream>>> programs;
  for (uint16_t id = 1; id <= 6; ++id) programs.push_back({id, {{0x02, 0x0200}}});
  const std::vector<FoundService> found =
      ServicesOf(Tables(programs, services), Tuning(), std::nullopt, false);
  ASSERT_EQ(found.size(), 6u);
  EXPECT_EQ(NameOf(found[0].record), "Caf\xE9");
  EXPECT_EQ(NameOf(found[1].record), "\x86Rai\x87 1");
  EXPECT_EQ(NameOf(found[2].record), "NTV");
  EXPECT_EQ(NameOf(found[3].record), "Lodz");
  EXPECT_EQ(NameOf(found[4].record), "A name far longer than t");
  EXPECT_EQ(NameOf(found[5].record), "Citt\xE0");
  // The live list shows the texts in UTF-8, without the emphasis codes.
  EXPECT_EQ(found[0].name, "Caf\xC3\xA9");
  EXPECT_EQ(found[1].name, "Rai 1");
}

TEST(ServiceRecordsTest, ANetworkFromTheNitWhenTheSdtDidNotCome) {
  TransponderTables tables = Tables({{1, {{0x02, 0x0200}}}}, {});
  tables.sdt.reset();
  Nit nit;
  nit.tableId = 0x40;
  NitTransportStream stream;
  stream.transportStreamId = 0x0457;
  stream.originalNetworkId = 0x0055;
  nit.transportStreams.push_back(stream);
  tables.nitActual = nit;
  const std::vector<FoundService> found = ServicesOf(tables, Tuning(), std::nullopt, false);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].record.networkId, 0x0055);
  EXPECT_EQ(found[0].record.serviceType, 0x01);
  EXPECT_TRUE(ServicesOf(TransponderTables{}, Tuning(), std::nullopt, false).empty());
}

}  // namespace
}  // namespace pelorus
