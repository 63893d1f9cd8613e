#include <gtest/gtest.h>

#include "channels/channel_name.h"
#include "channels/record_name_text.h"
#include "lists/bouquet.h"
#include "lists/lamedb.h"
#include "lists/list_assembly.h"
#include "lists/list_import.h"
#include "lists/list_writers.h"
#include "lists/vdr_channels.h"
#include "support/records.h"
#include "unit/lists/list_test_text.h"

namespace pelorus {
namespace {

using testing::BytesOf;
using testing::MakeChannel;

ChannelRecord Marker(const std::string& name) {
  ChannelRecord marker{};
  marker.tag = kChannelTag;
  EncodeChannelName(marker, name);
  return marker;
}

// A list with what the formats hold: both polarisations, FEC codes, inversions, ports, ids,
// radio and television, emphasis codes and Latin-1 letters in names, and title rows.
std::vector<ChannelRecord> SampleList() {
  std::vector<ChannelRecord> list;
  list.push_back(Marker("Astra"));
  ChannelRecord one = MakeChannel("Das Erste", 11836);
  one.fecCode = 4;
  one.serviceId = 28106;
  one.tsId = 1101;
  one.networkId = 1;
  one.textPid = 0x68;
  one.serviceType = 1;
  list.push_back(one);
  ChannelRecord two = MakeChannel("[ZDF] Caf\xE9", 11954, 27500);
  two.polarity = 1;
  two.fecCode = 7;
  two.lnbSelect = 0x04;  // inversion off
  two.serviceId = 28006;
  two.tsId = 1079;
  two.networkId = 1;
  two.pcrPid = 0x1FFF;
  two.serviceType = 1;
  list.push_back(two);
  list.push_back(Marker("Hotbird"));
  ChannelRecord radio = MakeChannel("Radio: Uno, Due", 11766, 29900);
  radio.videoPid = kNoPid;
  radio.pcrPid = 0x120;
  radio.audioPid = 0x121;
  radio.serviceType = 2;
  radio.lnbSelect = 0x01 | 0x08;  // port 2, inversion on
  radio.fecCode = 2;
  radio.serviceId = 0x0DC4;
  radio.tsId = 0x012C;
  radio.networkId = 0x013E;
  list.push_back(radio);
  ChannelRecord third = MakeChannel("Rai 3", 11766, 29900);
  third.lnbSelect = 0x01;
  third.fecCode = 3;
  third.serviceId = 0x0DC5;
  third.tsId = 0x012C;
  third.networkId = 0x013E;
  third.serviceType = 1;
  list.push_back(third);
  return list;
}

// What the formats keep of a record: everything the import sets.
void ExpectSameChannel(const ChannelRecord& back, const ChannelRecord& sent, bool typeKept) {
  EXPECT_EQ(DecodeChannelName(back), DecodeChannelName(sent));
  EXPECT_EQ(back.frequency, sent.frequency);
  EXPECT_EQ(back.symbolRate, sent.symbolRate);
  EXPECT_EQ(back.polarity, sent.polarity);
  EXPECT_EQ(back.fecCode, sent.fecCode);
  EXPECT_EQ(back.lnbSelect, sent.lnbSelect);
  EXPECT_EQ(back.serviceId, sent.serviceId);
  EXPECT_EQ(back.tsId, sent.tsId);
  EXPECT_EQ(back.networkId, sent.networkId);
  EXPECT_EQ(back.videoPid, sent.videoPid);
  EXPECT_EQ(back.audioPid, sent.audioPid);
  EXPECT_EQ(back.pcrPid, sent.pcrPid);
  EXPECT_EQ(back.textPid, sent.textPid);
  if (typeKept) {
    EXPECT_EQ(back.serviceType, sent.serviceType);
  }
}

std::vector<ChannelRecord> ImportEnigma2(const Enigma2Files& files) {
  ForeignList list;
  const int database = list.AddFile("lamedb");
  std::vector<BouquetFile> bouquets;
  bouquets.push_back({list.AddFile(kBouquetFileName), ParseBouquet(BytesOf(files.bouquet))});
  AddLamedbChannels(ParseLamedb(BytesOf(files.lamedb)), database, bouquets, list);
  EXPECT_TRUE(list.badLines.empty());
  ImportOptions options;
  options.all = true;
  EXPECT_TRUE(ParseDiseqcPorts("19.2E=1,13.0E=2", options.diseqc));
  return BuildImport(list, options).records;
}

TEST(ListExport, Enigma2FilesAsTheFormatHasThem) {
  DiseqcPorts ports;
  ASSERT_TRUE(ParseDiseqcPorts("13.0E=2", ports));
  const Enigma2Files files = MakeEnigma2Files(SampleList(), ports);
  EXPECT_EQ(files.channels, 4);
  EXPECT_TRUE(
      files.lamedb.starts_with("eDVB services /4/\ntransponders\n00c00000:044d:0001\n"
                               "\ts 11836000:27500000:0:3:192:2:0\n/\n"));
  EXPECT_NE(files.lamedb.find("\ts 11954000:27500000:1:5:192:0:0\n"), std::string::npos);
  EXPECT_NE(files.lamedb.find("00820000:012c:013e\n\ts 11766000:29900000:0:1:130:1:0\n"),
            std::string::npos);
  EXPECT_NE(files.lamedb.find("\nservices\n6dca:00c00000:044d:0001:1:0\nDas Erste\n"
                              "p:,c:000200,c:010280,c:020068,c:030200\n"),
            std::string::npos);
  EXPECT_TRUE(files.lamedb.ends_with("end\n"));
  EXPECT_EQ(files.bouquetIndex,
            "#NAME User - bouquets (TV)\n#SERVICE 1:7:1:0:0:0:0:0:0:0:FROM BOUQUET "
            "\"userbouquet.pelorus.tv\" ORDER BY bouquet\n");
  EXPECT_TRUE(files.bouquet.starts_with(
      "#NAME Pelorus\n#SERVICE 1:64:1:0:0:0:0:0:0:0::Astra\n#DESCRIPTION Astra\n"
      "#SERVICE 1:0:1:6DCA:44D:1:C00000:0:0:0:\n"));
  // The emphasis codes and Latin-1 letters go out as UTF-8.
  EXPECT_NE(files.lamedb.find("\xC2\x86ZDF\xC2\x87 Caf\xC3\xA9\n"), std::string::npos);
}

TEST(ListExport, Enigma2ExportThenImportGivesTheListBack) {
  const std::vector<ChannelRecord> list = SampleList();
  DiseqcPorts ports;
  ASSERT_TRUE(ParseDiseqcPorts("19.2E=1,13.0E=2", ports));
  const std::vector<ChannelRecord> back = ImportEnigma2(MakeEnigma2Files(list, ports));
  // The list begins with a title row, which stands in for the bouquet's own.
  ASSERT_EQ(back.size(), list.size());
  for (size_t i = 0; i < list.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(back[i].IsMarker(), list[i].IsMarker());
    if (list[i].IsMarker()) {
      EXPECT_EQ(DecodeChannelName(back[i]), DecodeChannelName(list[i]));
    } else {
      ExpectSameChannel(back[i], list[i], true);
    }
  }
}

TEST(ListExport, ChannelsSharingTheirIdsStayApartAndRepeatsStayRepeats) {
  // Hand-made channels often carry no ids at all: two of them on one frequency, and a third on
  // another frequency, and one channel twice.
  std::vector<ChannelRecord> list;
  list.push_back(MakeChannel("First", 11000));
  list.push_back(MakeChannel("Second", 11000));
  list.push_back(MakeChannel("Other place", 11100));
  list.push_back(list[0]);
  const Enigma2Files files = MakeEnigma2Files(list, {});
  const std::vector<ChannelRecord> back = ImportEnigma2(files);
  ASSERT_EQ(back.size(), list.size() + 1);  // the bouquet's title row comes first
  EXPECT_EQ(DecodeChannelName(back[0]), "Pelorus");
  for (size_t i = 0; i < list.size(); ++i) {
    SCOPED_TRACE(i);
    // The type left at 0 is written as television (a 0 would read as data).
    ExpectSameChannel(back[i + 1], list[i], false);
    EXPECT_EQ(back[i + 1].serviceType, 1);
  }
  // The repeated channel is one service named twice in the bouquet.
  size_t services = 0;
  for (size_t at = files.lamedb.find(":0\nFirst\n"); at != std::string::npos;
       at = files.lamedb.find(":0\nFirst\n", at + 1)) {
    ++services;
  }
  EXPECT_EQ(services, 1u);
}

TEST(ListExport, VdrLinesAsTheFormatHasThem) {
  DiseqcPorts ports;
  ASSERT_TRUE(ParseDiseqcPorts("13.0E=2", ports));
  const VdrFile file = MakeVdrChannels(SampleList(), ports);
  EXPECT_EQ(file.channels, 4);
  EXPECT_EQ(file.text,
            ":Astra\n"
            "Das Erste:11836:HC34M2S0:S19.2E:27500:512=2:640:104:0:28106:1:1101:0\n"
            "\xC2\x86ZDF\xC2\x87 Caf\xC3\xA9:11954:VC78I0M2S0:S19.2E:27500:512+8191=2:640:0:0:"
            "28006:1:1079:0\n"
            ":Hotbird\n"
            "Radio| Uno. Due:11766:HC12I1M2S0:S13.0E:29900:0+288:289:0:0:3524:318:300:0\n"
            "Rai 3:11766:HC23M2S0:S13.0E:29900:512=2:640:0:0:3525:318:300:0\n");
}

TEST(ListExport, VdrExportThenImportGivesTheListBack) {
  std::vector<ChannelRecord> list = SampleList();
  // A name that begins with '@' is a group, not a channel number; an empty name is a channel.
  list.push_back(Marker("@home"));
  list.push_back(MakeChannel("", 12000));
  DiseqcPorts ports;
  ASSERT_TRUE(ParseDiseqcPorts("19.2E=1,13.0E=2", ports));
  const VdrFile file = MakeVdrChannels(list, ports);
  const VdrChannels parsed = ParseVdrChannels(BytesOf(file.text));
  EXPECT_TRUE(parsed.badLines.empty());
  ForeignList foreign;
  AddVdrChannels(parsed, foreign.AddFile("channels.conf"), foreign);
  ImportOptions options;
  options.diseqc = ports;
  const std::vector<ChannelRecord> back = BuildImport(foreign, options).records;
  ASSERT_EQ(back.size(), list.size());
  for (size_t i = 0; i < list.size(); ++i) {
    SCOPED_TRACE(i);
    ASSERT_EQ(back[i].IsMarker(), list[i].IsMarker());
    if (list[i].IsMarker()) {
      EXPECT_EQ(DecodeChannelName(back[i]), DecodeChannelName(list[i]));
      continue;
    }
    ChannelRecord expected = list[i];
    // ',' and ';' would start the short name and the provider in this format.
    if (i == 4) EncodeChannelName(expected, "Radio: Uno. Due");
    ExpectSameChannel(back[i], expected, list[i].serviceType != 0);
  }
}

}  // namespace
}  // namespace pelorus
