#include <gtest/gtest.h>

#include "channels/channel_name.h"
#include "lists/list_import.h"
#include "lists/satellite_position.h"
#include "support/records.h"

namespace pelorus {
namespace {

ForeignChannel Satellite(const std::string& name, uint32_t frequencyKhz, int orbital = 192) {
  ForeignChannel channel;
  channel.name = name;
  channel.orbital = orbital;
  channel.frequencyKhz = frequencyKhz;
  channel.symbolRate = 22000000;
  channel.videoPid = 0x100;
  channel.audioPid = 0x101;
  channel.serviceType = 1;
  return channel;
}

ForeignEntry Channel(ForeignChannel channel) {
  ForeignEntry entry;
  entry.channel = std::move(channel);
  return entry;
}

ForeignEntry Title(const std::string& name, bool fromFile) {
  ForeignEntry entry;
  entry.marker = true;
  entry.fromFile = fromFile;
  entry.markerName = name;
  return entry;
}

TEST(ListImport, RecordFieldsFromAChannel) {
  ForeignChannel channel = Satellite("Rai 1", 11493750);
  channel.polarity = 1;
  channel.fecCode = 3;
  channel.inversion = 2;
  channel.serviceId = 0x0DC3;
  channel.tsId = 0x012C;
  channel.originalNetworkId = 0x013E;
  channel.pcrPid = 0x1FF;
  channel.textPid = 0x22A;
  ChannelRecord record;
  std::string reason;
  ASSERT_TRUE(RecordFromForeign(channel, 3, record, reason));
  EXPECT_TRUE(record.HasTag());
  EXPECT_EQ(DecodeChannelName(record), "Rai 1");
  EXPECT_EQ(record.frequency, 11494);  // 11493.75 MHz, rounded
  EXPECT_EQ(record.symbolRate, 22000);
  EXPECT_EQ(record.acqBandwidth, 22);  // as the band scanner's auto-add has it
  EXPECT_EQ(record.polarity, 1);
  EXPECT_EQ(record.fecCode, 3);
  EXPECT_EQ(record.lnbSelect, 0x02 | (2 << 2));  // port 3, inversion on
  EXPECT_EQ(record.serviceId, 0x0DC3);
  EXPECT_EQ(record.tsId, 0x012C);
  EXPECT_EQ(record.networkId, 0x013E);
  EXPECT_EQ(record.videoPid, 0x100);
  EXPECT_EQ(record.audioPid, 0x101);
  EXPECT_EQ(record.pcrPid, 0x1FF);
  EXPECT_EQ(record.textPid, 0x22A);
  EXPECT_EQ(record.pmtPid, kNoPid);
  EXPECT_EQ(record.autoFlags, 0x01);
  EXPECT_EQ(record.serviceType, 1);
  EXPECT_EQ(record.modeFlags, 0);  // PAL

  // AC-3 only where there is no MPEG audio; no type: radio from the PIDs.
  channel.ac3Pid = 0x28A;
  ASSERT_TRUE(RecordFromForeign(channel, 1, record, reason));
  EXPECT_EQ(record.audioPid, 0x101);
  channel.audioPid = kNoPid;
  channel.videoPid = kNoPid;
  channel.serviceType = -1;
  ASSERT_TRUE(RecordFromForeign(channel, 1, record, reason));
  EXPECT_EQ(record.audioPid, 0x28A);
  EXPECT_EQ(record.serviceType, 2);
  EXPECT_EQ(record.lnbSelect & 3, 0);
  EXPECT_EQ(record.videoPid, kNoPid);

  // A frequency the record cannot hold, or one that would make a title row, is refused.
  channel.frequencyKhz = 400;
  EXPECT_FALSE(RecordFromForeign(channel, 1, record, reason));
  EXPECT_EQ(reason, "frequency out of range");
  channel.frequencyKhz = 70000000;
  EXPECT_FALSE(RecordFromForeign(channel, 1, record, reason));
  channel.frequencyKhz = 11000000;
  channel.symbolRate = 70000000;
  EXPECT_FALSE(RecordFromForeign(channel, 1, record, reason));
  EXPECT_EQ(reason, "symbol rate out of range");
}

TEST(ListImport, WhatThisReceiverCannotShowIsSkippedAndCounted) {
  ForeignList list;
  list.AddFile("lamedb");
  list.entries.push_back(Channel(Satellite("Plain", 11000000)));
  ForeignChannel s2 = Satellite("S2", 11100000);
  s2.dvbS2 = true;
  s2.serviceType = 0x19;  // on a DVB-S2 transponder: counted as DVB-S2
  list.entries.push_back(Channel(s2));
  for (const int type : {0x16, 0x19, 0x1F, 0x0B, 0x80}) {
    ForeignChannel hd = Satellite("HD", 11200000);
    hd.serviceType = type;
    list.entries.push_back(Channel(hd));
  }
  ForeignChannel avc = Satellite("AVC in SD", 11300000);
  avc.advancedVideo = true;
  list.entries.push_back(Channel(avc));
  ForeignChannel cable = Satellite("Cable", 410000);
  cable.delivery = DeliverySystem::kCable;
  cable.orbital.reset();
  list.entries.push_back(Channel(cable));
  ForeignChannel data = Satellite("Data", 11400000);
  data.serviceType = 0x0C;
  list.entries.push_back(Channel(data));
  ForeignChannel radio = Satellite("Radio", 11400000);
  radio.serviceType = 2;
  list.entries.push_back(Channel(radio));
  list.streams = 2;

  const ImportOutcome shown = BuildImport(list, {});
  EXPECT_EQ(testing::ListNames(shown.records), (std::vector<std::string>{"Plain", "Radio"}));
  EXPECT_EQ(shown.imported, 2);
  EXPECT_EQ(shown.skippedDvbS2, 1);
  EXPECT_EQ(shown.skippedAdvancedVideo, 6);
  EXPECT_EQ(shown.skippedOther, 4);
  EXPECT_EQ(ImportSummary(shown),
            "2 channels imported, 11 skipped (1 DVB-S2, 6 H.264/HEVC, 4 other)");

  ImportOptions all;
  all.all = true;
  const ImportOutcome everything = BuildImport(list, all);
  EXPECT_EQ(everything.imported, 11);
  EXPECT_EQ(everything.skippedOther, 2);  // streams are never channels
  EXPECT_EQ(everything.records[1].serviceType, 0x19);
  EXPECT_EQ(everything.records[8].frequency, 410);
}

TEST(ListImport, TitleRowsStayWhereChannelsStandUnderThem) {
  ForeignList list;
  list.AddFile("f");
  ForeignChannel hd = Satellite("HD", 11200000);
  hd.serviceType = 0x19;
  list.entries.push_back(Title("Bouquet A", false));  // heads a marker of its own: left out
  list.entries.push_back(Title("News", true));
  list.entries.push_back(Channel(Satellite("One", 11000000)));
  list.entries.push_back(Title("Only HD", true));  // every channel skipped: left out
  list.entries.push_back(Channel(hd));
  list.entries.push_back(Title("Empty in the file", true));  // kept as the file has it
  list.entries.push_back(Title("Bouquet B", false));
  list.entries.push_back(Channel(Satellite("Two", 11000000)));
  list.entries.push_back(Title("Bouquet C", false));  // nothing under it: left out
  list.entries.push_back(Channel(hd));
  const ImportOutcome outcome = BuildImport(list, {});
  EXPECT_EQ(
      testing::ListNames(outcome.records),
      (std::vector<std::string>{"[News]", "One", "[Empty in the file]", "[Bouquet B]", "Two"}));
  EXPECT_TRUE(outcome.records[0].HasTag());
  EXPECT_EQ(outcome.records[0].frequency, 0);
}

TEST(ListImport, DiseqcPortsBySatelliteAndBadLinesFromTheRecord) {
  ForeignList list;
  list.AddFile("channels.conf");
  list.entries.push_back(Channel(Satellite("Astra", 11000000, 192)));
  list.entries.push_back(Channel(Satellite("Hotbird", 11000000, 130)));
  list.entries.push_back(Channel(Satellite("Thor", 11000000, -8)));
  ForeignChannel old = Satellite("Old form", 11000000);
  old.orbital.reset();
  old.diseqcPort = 2;
  list.entries.push_back(Channel(old));
  ForeignChannel zero = Satellite("Zero", 0);
  zero.line = 17;
  list.entries.push_back(Channel(zero));
  list.badLines.push_back({0, 3, "not a channel"});
  ImportOptions options;
  ASSERT_TRUE(ParseDiseqcPorts("S19.2E=2,13.0E=3,0.8w=4", options.diseqc));
  const ImportOutcome outcome = BuildImport(list, options);
  ASSERT_EQ(outcome.records.size(), 4u);
  EXPECT_EQ(outcome.records[0].lnbSelect & 3, 1);
  EXPECT_EQ(outcome.records[1].lnbSelect & 3, 2);
  EXPECT_EQ(outcome.records[2].lnbSelect & 3, 3);
  EXPECT_EQ(outcome.records[3].lnbSelect & 3, 2);  // the file's own port
  ASSERT_EQ(outcome.badLines.size(), 2u);
  EXPECT_EQ(BadLineReport(list, outcome.badLines),
            (std::vector<std::string>{"channels.conf, line 3: not a channel",
                                      "channels.conf, line 17: frequency out of range"}));
  EXPECT_EQ(BadLineReport(list, outcome.badLines, 1),
            (std::vector<std::string>{"channels.conf, line 3: not a channel", "... and 1 more"}));
  EXPECT_EQ(SatellitesOf(list), (std::vector<int>{192, 130, -8}));
  // Without a port for its satellite a channel is on port 1.
  const ImportOutcome plain = BuildImport(list, {});
  EXPECT_EQ(plain.records[1].lnbSelect & 3, 0);
}

TEST(SatellitePosition, TextsAndPorts) {
  EXPECT_EQ(ParseSatellitePosition("19.2E"), 192);
  EXPECT_EQ(ParseSatellitePosition("S19.2E"), 192);
  EXPECT_EQ(ParseSatellitePosition("13e"), 130);
  EXPECT_EQ(ParseSatellitePosition("5.0W"), -50);
  EXPECT_EQ(ParseSatellitePosition(" 0.8W "), -8);
  for (const char* bad : {"", "E", "19.2", "19.25E", "-5E", "181E", "19.2X", "S", "1a.0E"}) {
    EXPECT_FALSE(ParseSatellitePosition(bad).has_value()) << bad;
  }
  EXPECT_EQ(SatellitePositionText(192), "19.2E");
  EXPECT_EQ(SatellitePositionText(-50), "5.0W");
  EXPECT_EQ(SatellitePositionText(0), "0.0E");

  DiseqcPorts ports;
  ASSERT_TRUE(ParseDiseqcPorts("S19.2E=1,13.0E=2", ports));
  EXPECT_EQ(ports.PortOf(130), 2);
  EXPECT_EQ(ports.PortOf(100), 1);
  EXPECT_EQ(ports.PortOf(std::nullopt, 3), 3);
  EXPECT_EQ(ports.OrbitalOf(1), 192);
  EXPECT_FALSE(ports.OrbitalOf(4).has_value());
  for (const char* bad : {"19.2E", "19.2E=5", "19.2E=0", "x=1", "19.2E=1,", "=1"}) {
    DiseqcPorts kept = ports;
    EXPECT_FALSE(ParseDiseqcPorts(bad, kept)) << bad;
    EXPECT_EQ(kept.byOrbital, ports.byOrbital);  // unchanged on failure
  }
}

}  // namespace
}  // namespace pelorus
