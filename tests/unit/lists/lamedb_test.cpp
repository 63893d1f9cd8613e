#include "lists/lamedb.h"

#include <gtest/gtest.h>

#include "lists/list_assembly.h"
#include "unit/lists/list_test_text.h"

namespace pelorus {
namespace {

using testing::BytesOf;
using testing::Lines;

// A version 4 database as the format describes it: blocks of transponders, then services of
// three lines each, with a few damaged entries among them.
const std::string kVersionFour = Lines({
    "eDVB services /4/",                               // 1
    "transponders",                                    // 2
    "00c00000:0441:0001",                              // 3
    "\ts 12187500:27500000:0:3:192:2:0",               // 4
    "/",                                               // 5
    "00c00000:03fb:0001",                              // 6
    "\ts 11493750:22000000:0:2:192:2:0:1:2:0:2",       // 7
    "/",                                               // 8
    "0e080000:0fa0:0046",                              // 9
    "\ts 10872000:24500000:1:4:3592:0:0",              // 10
    "/",                                               // 11
    "garbage line",                                    // 12
    "\ts 1:2",                                         // 13
    "/",                                               // 14
    "00820000:2134:013e",                              // 15
    "\ts 12399000:29700000:3:9:130:1:0:0:1:0:2",       // 16
    "/",                                               // 17
    "00820000:1111:013e",                              // 18
    "\ts 12000000:x:0:0:130:2:0",                      // 19
    "/",                                               // 20
    "end",                                             // 21
    "services",                                        // 22
    "6d66:00c00000:0441:0001:1:0",                     // 23
    "Das Erste",                                       // 24
    "p:ARD,c:000065,c:01006e,c:02006f,c:030065,f:01",  // 25
    "6d67:00c00000:0441:0001:2:0",                     // 26
    "Bayern 1",                                        // 27
    "p:ARD,c:0101fb",                                  // 28
    "132f:00c00000:03fb:0001:25:0",                    // 29
    "ORF1 HD",                                         // 30
    "p:ORF,c:00157c,c:011586,c:050001",                // 31
    "0e41:0e080000:0fa0:0046:12:0",                    // 32
    "EPG data",                                        // 33
    "p:Telenor",                                       // 34
    "xyz",                                             // 35
    "Damaged",                                         // 36
    "p:x",                                             // 37
    "0001:00820000:2134:013e:1:0",                     // 38
    "Rai 1",                                           // 39
    "p:RAI,c:000200,c:04028a",                         // 40
    "0002:00820000:9999:013e:1:0",                     // 41
    "Nowhere",                                         // 42
    "p:",                                              // 43
    "end",                                             // 44
    "Have fun",                                        // 45
});

TEST(Lamedb, VersionFourTranspondersFieldByField) {
  const LamedbDatabase database = ParseLamedb(BytesOf(kVersionFour));
  EXPECT_EQ(database.version, 4);
  ASSERT_EQ(database.transponders.size(), 4u);
  const LamedbTransponder* first = database.FindTransponder({0x00C00000, 0x0441, 0x0001});
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->frequencyKhz, 12187500u);
  EXPECT_EQ(first->symbolRate, 27500000u);
  EXPECT_EQ(first->polarisation, 0);
  EXPECT_EQ(first->fec, 3);
  EXPECT_EQ(first->orbital, 192);
  EXPECT_EQ(first->inversion, 2);
  EXPECT_FALSE(first->dvbS2);
  EXPECT_TRUE(database.FindTransponder({0x00C00000, 0x03FB, 0x0001})->dvbS2);
  // A western satellite written as 3600 less its position.
  EXPECT_EQ(database.FindTransponder({0x0E080000, 0x0FA0, 0x0046})->orbital, -8);
  const LamedbTransponder* circular = database.FindTransponder({0x00820000, 0x2134, 0x013E});
  ASSERT_NE(circular, nullptr);
  EXPECT_EQ(circular->polarisation, 3);
  EXPECT_FALSE(circular->dvbS2);  // the system field says DVB-S
  EXPECT_EQ(database.FindTransponder({0x00820000, 0x1111, 0x013E}), nullptr);
}

TEST(Lamedb, VersionFourServicesAndTheirCachedPids) {
  const LamedbDatabase database = ParseLamedb(BytesOf(kVersionFour));
  ASSERT_EQ(database.services.size(), 6u);
  const LamedbService& das = database.services[0];
  EXPECT_EQ(das.serviceId, 0x6D66);
  EXPECT_EQ(das.transponder, (LamedbTransponderKey{0x00C00000, 0x0441, 0x0001}));
  EXPECT_EQ(das.serviceType, 1);
  EXPECT_EQ(das.name, "Das Erste");
  EXPECT_EQ(das.line, 23);
  EXPECT_EQ(das.pids.video, 0x65);
  EXPECT_EQ(das.pids.mpegAudio, 0x6E);
  EXPECT_EQ(das.pids.teletext, 0x6F);
  EXPECT_EQ(das.pids.pcr, 0x65);
  EXPECT_EQ(das.pids.ac3, kNoPid);
  const LamedbService& radio = database.services[1];
  EXPECT_EQ(radio.serviceType, 2);
  EXPECT_EQ(radio.pids.video, kNoPid);
  EXPECT_EQ(radio.pids.mpegAudio, 0x1FB);
  const LamedbService& hd = database.services[2];
  EXPECT_EQ(hd.serviceType, 25);
  EXPECT_EQ(hd.pids.videoType, 1);
  EXPECT_EQ(database.services[3].name, "EPG data");
  EXPECT_EQ(database.services[4].name, "Rai 1");
  EXPECT_EQ(database.services[4].line, 38);
  EXPECT_EQ(database.services[4].pids.ac3, 0x28A);
  EXPECT_EQ(database.services[4].pids.mpegAudio, kNoPid);
}

TEST(Lamedb, DamagedLinesAreCountedOnceWithTheirNumbers) {
  const LamedbDatabase database = ParseLamedb(BytesOf(kVersionFour));
  ASSERT_EQ(database.badLines.size(), 3u);
  EXPECT_EQ(database.badLines[0].line, 12);
  EXPECT_EQ(database.badLines[1].line, 19);
  // The entry's name and data lines belong to its damaged first line and are not counted.
  EXPECT_EQ(database.badLines[2].line, 35);
  EXPECT_EQ(database.badLines[2].reason, "not a service");

  // A service whose data line is missing leaves the next entry whole.
  const std::string missing =
      Lines({"eDVB services /4/", "transponders", "end", "services", "0001:00c00000:0001:0001:1:0",
             "One", "0002:00c00000:0001:0001:1:0", "Two", "p:", "end"});
  const LamedbDatabase shortened = ParseLamedb(BytesOf(missing));
  ASSERT_EQ(shortened.services.size(), 2u);
  EXPECT_EQ(shortened.services[1].name, "Two");
  EXPECT_TRUE(shortened.badLines.empty());
}

TEST(Lamedb, ServicesBecomeChannelsWithTheRecordsCodes) {
  const LamedbDatabase database = ParseLamedb(BytesOf(kVersionFour));
  ForeignChannel channel;
  ASSERT_TRUE(LamedbChannel(database, database.services[0], channel));
  EXPECT_EQ(channel.name, "Das Erste");
  EXPECT_EQ(channel.frequencyKhz, 12187500u);
  EXPECT_EQ(channel.symbolRate, 27500000u);
  EXPECT_EQ(channel.orbital, 192);
  EXPECT_EQ(channel.fecCode, 4);    // 3/4
  EXPECT_EQ(channel.inversion, 0);  // unknown: Auto
  EXPECT_EQ(channel.originalNetworkId, 1);
  EXPECT_EQ(channel.tsId, 0x441);
  EXPECT_EQ(channel.serviceId, 0x6D66);
  ASSERT_TRUE(LamedbChannel(database, database.services[2], channel));
  EXPECT_TRUE(channel.dvbS2);
  EXPECT_TRUE(channel.advancedVideo);
  EXPECT_EQ(channel.fecCode, 3);  // 2/3
  ASSERT_TRUE(LamedbChannel(database, database.services[3], channel));
  EXPECT_EQ(channel.orbital, -8);
  EXPECT_EQ(channel.polarity, 1);
  EXPECT_EQ(channel.fecCode, 6);    // 5/6
  EXPECT_EQ(channel.inversion, 1);  // off
  ASSERT_TRUE(LamedbChannel(database, database.services[4], channel));
  EXPECT_EQ(channel.polarity, 1);   // circular right
  EXPECT_EQ(channel.fecCode, 0);    // 9/10 has no code of its own
  EXPECT_EQ(channel.inversion, 2);  // on
  EXPECT_FALSE(LamedbChannel(database, database.services[5], channel));
}

TEST(Lamedb, WithoutBouquetsChannelsComeBySatelliteInDatabaseOrder) {
  const LamedbDatabase database = ParseLamedb(BytesOf(kVersionFour));
  ForeignList list;
  AddLamedbChannels(database, list.AddFile("lamedb"), {}, list);
  std::vector<std::string> rows;
  for (const ForeignEntry& entry : list.entries) {
    rows.push_back(entry.marker ? "[" + entry.markerName + "]" : entry.channel.name);
  }
  EXPECT_EQ(rows, (std::vector<std::string>{"[19.2E]", "Das Erste", "Bayern 1", "ORF1 HD", "[0.8W]",
                                            "EPG data", "[13.0E]", "Rai 1"}));
  // The parsers' lines and the service without a transponder, with their line numbers.
  ASSERT_EQ(list.badLines.size(), 4u);
  EXPECT_EQ(list.badLines[3].line, 41);
  EXPECT_EQ(list.badLines[3].reason, "transponder not in lamedb");
}

TEST(Lamedb, VersionFiveLinesAndQuotedNames) {
  const std::string text = Lines({
      "eDVB services /5/",
      "# Transponders: t:dvb_namespace:transport_stream_id:original_network_id,FEPARMS",
      "t:00c00000:0441:0001,s:12187500:27500000:0:3:192:2:0",
      "t:00c00000:03fb:0001,s:11493750:22000000:0:2:192:2:0:1:2:0:2,MIS/PLS:0:0:0",
      "t:ffff0000:0001:0002,c:410000:6900000:0:3:0:0:0",
      "t:eeee0000:0003:0004,t:474000000:0:1:1:2:2:1:0:2:0:1:5",
      "t:bad",
      "s:6d66:00c00000:0441:0001:1:0:0,\"Das Erste\",p:ARD,c:000065,c:01006e",
      "s:132f:00c00000:03fb:0001:25:0:0,\"ORF1 HD\"",
      "s:0001:ffff0000:0001:0002:1:0:0,\"Kabel, \"Eins\"\",p:Cable",
      "s:0002:eeee0000:0003:0004:1:0:0,\"Antenne\",p:T",
      "s:0003:eeee0000:0003:0004:1:0:0,Unquoted",
  });
  const LamedbDatabase database = ParseLamedb(BytesOf(text));
  EXPECT_EQ(database.version, 5);
  ASSERT_EQ(database.transponders.size(), 4u);
  EXPECT_TRUE(database.FindTransponder({0x00C00000, 0x03FB, 0x0001})->dvbS2);
  EXPECT_EQ(database.FindTransponder({0xFFFF0000, 1, 2})->delivery, DeliverySystem::kCable);
  const LamedbTransponder* terrestrial = database.FindTransponder({0xEEEE0000, 3, 4});
  EXPECT_EQ(terrestrial->delivery, DeliverySystem::kTerrestrial);
  EXPECT_EQ(terrestrial->frequencyKhz, 474000u);
  ASSERT_EQ(database.services.size(), 4u);
  EXPECT_EQ(database.services[0].name, "Das Erste");
  EXPECT_EQ(database.services[0].pids.mpegAudio, 0x6E);
  EXPECT_EQ(database.services[1].name, "ORF1 HD");
  EXPECT_EQ(database.services[2].name, "Kabel, \"Eins\"");
  EXPECT_EQ(database.services[3].line, 11);
  ASSERT_EQ(database.badLines.size(), 2u);
  EXPECT_EQ(database.badLines[0].line, 7);
  EXPECT_EQ(database.badLines[1].line, 12);
}

TEST(Lamedb, HeaderVersionLineEndsAndNames) {
  EXPECT_EQ(LamedbVersion(BytesOf("eDVB services /3/\n")), 0);
  EXPECT_EQ(LamedbVersion(BytesOf("eDVB services /4/")), 4);
  EXPECT_EQ(LamedbVersion(BytesOf("services /4/\n")), 0);
  // A byte-order mark and CR LF line ends; a name that is not UTF-8 is read as Latin-1.
  const std::string text =
      "\xEF\xBB\xBF"
      "eDVB services /4/\r\ntransponders\r\n00c00000:0001:0001\r\n"
      "\ts 11000000:27500000:1:3:192:2:0\r\n/\r\nend\r\nservices\r\n"
      "0001:00c00000:0001:0001:1:0\r\nCaf\xE9\r\np:\r\nend\r\n";
  const LamedbDatabase database = ParseLamedb(BytesOf(text));
  ASSERT_EQ(database.services.size(), 1u);
  EXPECT_EQ(database.services[0].name, "Caf\xE9");
  EXPECT_TRUE(database.badLines.empty());
  // A namespace that differs only in its lower half still finds the service.
  EXPECT_EQ(database.FindService(1, {0x00C01234, 1, 1}), 0);
  EXPECT_EQ(database.FindService(1, {0x00820000, 1, 1}), -1);
  EXPECT_EQ(OrbitalOfNamespace(0x0E080000), -8);
  EXPECT_EQ(OrbitalOfNamespace(0x00C00000), 192);
}

}  // namespace
}  // namespace pelorus
