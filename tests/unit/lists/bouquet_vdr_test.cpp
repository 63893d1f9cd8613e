#include <gtest/gtest.h>

#include "lists/bouquet.h"
#include "lists/list_assembly.h"
#include "lists/list_reader.h"
#include "lists/vdr_channels.h"
#include "unit/lists/list_test_text.h"

namespace pelorus {
namespace {

using testing::BytesOf;
using testing::Lines;

TEST(Bouquet, EntriesMarkersDescriptionsAndStreams) {
  const std::string text = Lines({
      "#NAME Favourites (TV)",                                             // 1
      "#SERVICE 1:64:1:0:0:0:0:0:0:0::--- News ---",                       // 2
      "#DESCRIPTION --- News ---",                                         // 3
      "#SERVICE 1:0:1:6D66:441:1:C00000:0:0:0:",                           // 4
      "#SERVICE 1:0:19:132f:3fb:1:c00000:0:0:0:",                          // 5
      "#DESCRIPTION My ORF",                                               // 6
      "#SERVICE 4097:0:1:0:0:0:0:0:0:0:http%3a//example.org/live:Stream",  // 7
      "#SERVICE 1:64:2:0:0:0:0:0:0:0:",                                    // 8
      "#DESCRIPTION Sport",                                                // 9
      "#DESCRIPTION ignored",                                              // 10
      "#SERVICE 1:0:1:zz:1:1:C00000:0:0:0:",                               // 11
      "#SERVICE: 1:0:2:6D67:441:1:C00000:0:0:0:",                          // 12
      "stray text",                                                        // 13
      "#SORT 0",                                                           // 14
  });
  ASSERT_TRUE(LooksLikeBouquet(BytesOf(text)));
  const Bouquet bouquet = ParseBouquet(BytesOf(text));
  EXPECT_EQ(bouquet.name, "Favourites (TV)");
  ASSERT_EQ(bouquet.entries.size(), 6u);
  EXPECT_EQ(bouquet.entries[0].kind, BouquetEntry::Kind::kMarker);
  EXPECT_EQ(bouquet.entries[0].name, "--- News ---");
  const BouquetEntry& first = bouquet.entries[1];
  EXPECT_EQ(first.kind, BouquetEntry::Kind::kService);
  EXPECT_EQ(first.serviceType, 1);
  EXPECT_EQ(first.serviceId, 0x6D66);
  EXPECT_EQ(first.transponder, (LamedbTransponderKey{0x00C00000, 0x0441, 0x0001}));
  EXPECT_EQ(first.line, 4);
  EXPECT_EQ(first.name, "");
  EXPECT_EQ(bouquet.entries[2].serviceType, 0x19);  // hexadecimal in references
  EXPECT_EQ(bouquet.entries[2].name, "My ORF");
  EXPECT_EQ(bouquet.entries[3].kind, BouquetEntry::Kind::kOther);
  EXPECT_EQ(bouquet.entries[4].kind, BouquetEntry::Kind::kMarker);
  EXPECT_EQ(bouquet.entries[4].name, "Sport");  // the second description names nothing
  EXPECT_EQ(bouquet.entries[5].serviceId, 0x6D67);
  ASSERT_EQ(bouquet.badLines.size(), 2u);
  EXPECT_EQ(bouquet.badLines[0].line, 11);
  EXPECT_EQ(bouquet.badLines[1].line, 13);
}

TEST(Bouquet, TheIndexNamesPlainFilesInItsFolderOnly) {
  const std::string text = Lines({
      "#NAME User - bouquets (TV)",
      "#SERVICE 1:7:1:0:0:0:0:0:0:0:FROM BOUQUET \"userbouquet.favourites.tv\" ORDER BY bouquet",
      "#SERVICE 1:7:1:0:0:0:0:0:0:0:FROM BOUQUET \"../../etc/passwd\" ORDER BY bouquet",
      "#SERVICE 1:7:1:0:0:0:0:0:0:0:FROM BOUQUET \"/etc/passwd\" ORDER BY bouquet",
      "#SERVICE 1:7:1:0:0:0:0:0:0:0:FROM BOUQUET \"userbouquet.news.tv\" ORDER BY bouquet",
  });
  const Bouquet index = ParseBouquet(BytesOf(text));
  ASSERT_EQ(index.entries.size(), 2u);
  EXPECT_EQ(index.entries[0].kind, BouquetEntry::Kind::kBouquet);
  EXPECT_EQ(index.entries[0].fileName, "userbouquet.favourites.tv");
  EXPECT_EQ(index.entries[1].fileName, "userbouquet.news.tv");
  ASSERT_EQ(index.badLines.size(), 2u);
  EXPECT_EQ(index.badLines[0].line, 3);
  EXPECT_EQ(index.badLines[1].line, 4);
  EXPECT_FALSE(IsPlainFileName(".."));
  EXPECT_FALSE(IsPlainFileName("a/b"));
  EXPECT_FALSE(IsPlainFileName(std::string("a\nb")));
  EXPECT_TRUE(IsPlainFileName("userbouquet.x.tv"));
}

TEST(Bouquet, ChannelsComeInBouquetOrderUnderTheBouquetsNames) {
  const std::string database =
      Lines({"eDVB services /4/", "transponders", "00c00000:0441:0001",
             "\ts 12187500:27500000:0:3:192:2:0", "/", "end", "services",
             "6d66:00c00000:0441:0001:1:0", "Das Erste", "p:ARD,c:000065,c:01006e",
             "6d67:00c00000:0441:0001:2:0", "Bayern 1", "p:ARD,c:0101fb", "end"});
  const LamedbDatabase parsed = ParseLamedb(BytesOf(database));
  const std::string news =
      Lines({"#NAME News", "#SERVICE 1:0:2:6D67:441:1:C00000:0:0:0:",
             "#SERVICE 1:0:1:6D66:441:1:C0ABCD:0:0:0:", "#SERVICE 1:0:1:BEEF:441:1:C00000:0:0:0:"});
  const std::string film = Lines({"#NAME Film", "#SERVICE 1:0:1:6D66:441:1:C00000:0:0:0:"});
  ForeignList list;
  const int databaseFile = list.AddFile("lamedb");
  std::vector<BouquetFile> bouquets;
  bouquets.push_back({list.AddFile("userbouquet.news.tv"), ParseBouquet(BytesOf(news))});
  bouquets.push_back({list.AddFile("userbouquet.film.tv"), ParseBouquet(BytesOf(film))});
  AddLamedbChannels(parsed, databaseFile, bouquets, list);
  std::vector<std::string> rows;
  for (const ForeignEntry& entry : list.entries) {
    rows.push_back(entry.marker ? "[" + entry.markerName + "]" : entry.channel.name);
  }
  // The second reference differs in the namespace's lower half only, and still finds the service.
  EXPECT_EQ(rows,
            (std::vector<std::string>{"[News]", "Bayern 1", "Das Erste", "[Film]", "Das Erste"}));
  EXPECT_FALSE(list.entries[0].fromFile);
  ASSERT_EQ(list.badLines.size(), 1u);
  EXPECT_EQ(list.badLines[0].file, 1);
  EXPECT_EQ(list.badLines[0].line, 4);
  EXPECT_EQ(list.badLines[0].reason, "service not in lamedb");
}

TEST(VdrChannels, TheCurrentFormFieldByField) {
  const std::string text = Lines({
      ":First group",
      "RTL Television,RTL;RTL World:12187:hC34M2O0S0:S19.2E:27500:163=2:104=deu;106=deu:105:0:"
      "12003:1:1089:0",
      "Das Erste HD;ARD:11494:HC23M5O35S1:S19.2E:22000:5101=27:5102=deu@3:5104:0:10301:1:1019:0",
      "Radio 1:12266:VC34:S19.2E:27500:0:3001:0:0:28400:1:1101:0",
      "Teletext:12266:VC34:S19.2E:27500:0:0:33:0:28401:1:1101:0",
      ":@201 Cable",
      "Kabel|Eins:410:M64:C:6900:101+102=2:103:0:0:1:2:3:0",
      "Antenne:474000:B8T8G4:T:0:201:202:0:0:4:5:6:0",
      ":@300",
      "Old 1.3 form:12188:h:S19.2E:27500:163:104:105:0:12003",
      "Far West:11100:HC56I1:S30.0W:30000:300+301=2:302:0:0:7:8:9:0",
  });
  ASSERT_TRUE(LooksLikeVdrChannels(BytesOf(text)));
  const VdrChannels parsed = ParseVdrChannels(BytesOf(text));
  EXPECT_TRUE(parsed.badLines.empty());
  ASSERT_EQ(parsed.entries.size(), 10u);
  EXPECT_TRUE(parsed.entries[0].marker);
  EXPECT_EQ(parsed.entries[0].markerName, "First group");
  EXPECT_TRUE(parsed.entries[0].fromFile);

  const ForeignChannel& rtl = parsed.entries[1].channel;
  EXPECT_EQ(rtl.name, "RTL Television");  // the short name and the provider are not the name
  EXPECT_EQ(rtl.frequencyKhz, 12187000u);
  EXPECT_EQ(rtl.polarity, 0);
  EXPECT_EQ(rtl.fecCode, 4);
  EXPECT_FALSE(rtl.dvbS2);
  EXPECT_EQ(rtl.orbital, 192);
  EXPECT_EQ(rtl.symbolRate, 27500000u);
  EXPECT_EQ(rtl.videoPid, 163);
  EXPECT_EQ(rtl.pcrPid, 163);  // without "+", the video PID carries the clock
  EXPECT_EQ(rtl.audioPid, 104);
  EXPECT_EQ(rtl.ac3Pid, 106);
  EXPECT_EQ(rtl.textPid, 105);
  EXPECT_EQ(rtl.serviceId, 12003);
  EXPECT_EQ(rtl.originalNetworkId, 1);
  EXPECT_EQ(rtl.tsId, 1089);
  EXPECT_EQ(rtl.serviceType, 1);
  EXPECT_EQ(rtl.line, 2);

  const ForeignChannel& hd = parsed.entries[2].channel;
  EXPECT_TRUE(hd.dvbS2);
  EXPECT_TRUE(hd.advancedVideo);
  EXPECT_EQ(hd.fecCode, 3);
  EXPECT_EQ(parsed.entries[3].channel.serviceType, 2);  // no video: radio
  EXPECT_EQ(parsed.entries[3].channel.polarity, 1);
  EXPECT_EQ(parsed.entries[4].channel.serviceType, 0x0C);  // neither: data
  EXPECT_EQ(parsed.entries[5].markerName, "Cable");

  const ForeignChannel& cable = parsed.entries[6].channel;
  EXPECT_EQ(cable.name, "Kabel:Eins");
  EXPECT_EQ(cable.delivery, DeliverySystem::kCable);
  EXPECT_EQ(cable.frequencyKhz, 410000u);
  EXPECT_EQ(cable.pcrPid, 102);
  EXPECT_EQ(parsed.entries[7].channel.delivery, DeliverySystem::kTerrestrial);
  EXPECT_EQ(parsed.entries[7].channel.frequencyKhz, 474000u);  // written in kHz
  // ":@300" only numbers the next channel.
  EXPECT_EQ(parsed.entries[8].channel.name, "Old 1.3 form");
  EXPECT_EQ(parsed.entries[8].channel.orbital, 192);
  const ForeignChannel& west = parsed.entries[9].channel;
  EXPECT_EQ(west.orbital, -300);
  EXPECT_EQ(west.inversion, 2);
  EXPECT_EQ(west.fecCode, 6);
}

TEST(VdrChannels, TheOldFormAndLinesThatCannotBeRead) {
  const std::string text = Lines({
      "ARD:11837:h:0:27500:101:102:104:0:28106",             // 1
      "ZDF:11954:V:2:27500:110:120:130:0:28006",             // 2
      "",                                                    // 3
      "# a comment",                                         // 4
      "Broken:11837:h:0:27500",                              // 5
      "Bad PID:11837:H:S19.2E:27500:9000:0:0:0:1:1:1:0",     // 6
      "Bad source:11837:H:9X:27500:100:0:0:0:1:1:1:0",       // 7
      "Bad params:11837:H$:S19.2E:27500:100:0:0:0:1:1:1:0",  // 8
      "Caf\xE9:11837:h:1:27500:101:102:104:0:28107",         // 9
  });
  const VdrChannels parsed = ParseVdrChannels(BytesOf(text));
  ASSERT_EQ(parsed.entries.size(), 3u);
  const ForeignChannel& ard = parsed.entries[0].channel;
  EXPECT_EQ(ard.frequencyKhz, 11837000u);
  EXPECT_EQ(ard.polarity, 0);
  EXPECT_EQ(ard.diseqcPort, 0);
  EXPECT_FALSE(ard.orbital.has_value());
  EXPECT_EQ(ard.videoPid, 101);
  EXPECT_EQ(ard.audioPid, 102);
  EXPECT_EQ(ard.textPid, 104);
  EXPECT_EQ(ard.serviceId, 28106);
  EXPECT_EQ(parsed.entries[1].channel.polarity, 1);
  EXPECT_EQ(parsed.entries[1].channel.diseqcPort, 2);
  // The file is not UTF-8, so its names are Latin-1.
  EXPECT_EQ(parsed.entries[2].channel.name, "Caf\xE9");
  std::vector<int> lines;
  for (const BadLine& bad : parsed.badLines) lines.push_back(bad.line);
  // The format has no comments: a line like one is a line that cannot be read.
  EXPECT_EQ(lines, (std::vector<int>{4, 5, 6, 7, 8}));
}

TEST(ListFormat, ToldFromTheContent) {
  EXPECT_EQ(DetectListFormat(BytesOf("eDVB services /5/\n")), ListFormat::kLamedb);
  EXPECT_EQ(DetectListFormat(BytesOf("\n#NAME x\n")), ListFormat::kBouquet);
  EXPECT_EQ(DetectListFormat(BytesOf(":group\nA:11837:h:0:27500:101:102:104:0:1\n")),
            ListFormat::kVdr);
  EXPECT_EQ(DetectListFormat(BytesOf(":only groups\n")), ListFormat::kVdr);
  EXPECT_EQ(DetectListFormat(BytesOf("hello world\n")), ListFormat::kUnknown);
  EXPECT_EQ(DetectListFormat(BytesOf("")), ListFormat::kUnknown);
  EXPECT_EQ(DetectListFormat(BytesOf(std::string("eDVB services /4/\n\0x", 20))),
            ListFormat::kBinary);
  std::string records(128, '\0');
  records.replace(0, 4, "DVSO");
  EXPECT_EQ(DetectListFormat(BytesOf(records)), ListFormat::kSettings);
}

}  // namespace
}  // namespace pelorus
