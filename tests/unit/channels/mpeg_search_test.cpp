// Lines of MPEG Search Project lists: which are accepted, what they give, and the satellite
// markers.
#include "channels/mpeg_search.h"

#include <gtest/gtest.h>

#include <cstring>

namespace pelorus {
namespace {

constexpr char kInfoKanal[] = "SatA,KU,11778,V,Info Kanal (PCR=256),x,27500,3/4,255,x,x,256,";

MpegSearchOptions Ports(uint8_t ku, uint8_t dbs = 3, uint8_t c = 1) {
  MpegSearchOptions options;
  options.diseqcC = c;
  options.diseqcKu = ku;
  options.diseqcKuDbs = dbs;
  return options;
}

std::string NameOf(const ChannelRecord& record) {
  const char* text = reinterpret_cast<const char*>(record.name.data());
  return std::string(text, strnlen(text, record.name.size()));
}

std::string Line(const std::string& satellite, const std::string& band, int frequency,
                 const std::string& name, char delimiter = ',') {
  const std::string d(1, delimiter);
  return satellite + d + band + d + std::to_string(frequency) + d + "H" + d + name + d + "x" + d +
         "22000" + d + "5/6" + d + "0" + d + "x" + d + "x" + d + "0" + d;
}

TEST(MpegSearchLine, ReadsEveryFieldOfAKuLine) {
  ChannelRecord record;
  ASSERT_TRUE(ParseMpegSearchLine(kInfoKanal, Ports(2), record));
  EXPECT_TRUE(record.HasTag());
  EXPECT_EQ(record.frequency, 11778);
  EXPECT_EQ(record.polarity, 1);
  EXPECT_EQ(NameOf(record), "Info Kanal ");
  EXPECT_EQ(record.pcrPid, 256);
  EXPECT_EQ(record.symbolRate, 27500);
  EXPECT_EQ(record.acqBandwidth, 31);
  EXPECT_EQ(record.fecCode, 4);
  EXPECT_EQ(record.videoPid, 255);
  EXPECT_EQ(record.audioPid, 256);
  EXPECT_EQ(record.lnbSelect, 2);
  EXPECT_EQ(record.modeFlags, 3);
  EXPECT_EQ(record.serviceId, 0);
  EXPECT_EQ(record.pmtPid, 0);
  EXPECT_EQ(record.textPid, 0);
  EXPECT_EQ(record.tsId, 0);
}

TEST(MpegSearchLine, NeedsTwelveDelimiters) {
  std::string line = kInfoKanal;
  line.pop_back();
  ChannelRecord record{};
  record.frequency = 1;
  EXPECT_FALSE(ParseMpegSearchLine(line, Ports(2), record));
  EXPECT_EQ(record.frequency, 1);  // a rejected line leaves the record alone
  EXPECT_FALSE(ParseMpegSearchLine("", Ports(2), record));
  EXPECT_TRUE(ParseMpegSearchLine(",,,,,,,,,,,,", Ports(2), record));
  EXPECT_EQ(record.videoPid, kNoPid);
  EXPECT_EQ(record.acqBandwidth, 4);
  EXPECT_TRUE(ParseMpegSearchLine(std::string(kInfoKanal) + "more,fields", Ports(2), record));
}

TEST(MpegSearchLine, HighKuFrequenciesTakeTheDbsPort) {
  ChannelRecord record;
  ASSERT_TRUE(ParseMpegSearchLine(Line("S", "KU", 12207, "A"), Ports(2, 3), record));
  EXPECT_EQ(record.lnbSelect, 3);
  ASSERT_TRUE(ParseMpegSearchLine(Line("S", "KU", 12199, "A"), Ports(2, 3), record));
  EXPECT_EQ(record.lnbSelect, 2);
  ASSERT_TRUE(ParseMpegSearchLine(Line("S", "C", 3900, "A"), Ports(2, 3, 1), record));
  EXPECT_EQ(record.lnbSelect, 1);
}

TEST(MpegSearchLine, VideoPidZeroMeansNoneAndBecomesThePcr) {
  ChannelRecord record;
  ASSERT_TRUE(ParseMpegSearchLine(Line("S", "KU", 11000, "Radio"), Ports(0), record));
  EXPECT_EQ(record.videoPid, kNoPid);
  EXPECT_EQ(record.pcrPid, kNoPid);
  EXPECT_EQ(record.audioPid, kNoPid);
  EXPECT_EQ(record.fecCode, 6);
  EXPECT_EQ(record.polarity, 0);
}

TEST(MpegSearchLine, BandFilterAndSpelling) {
  ChannelRecord record;
  MpegSearchOptions options = Ports(2);
  options.band = MpegBand::kAll;
  ASSERT_TRUE(ParseMpegSearchLine(Line("S", "Ku", 11000, "A"), options, record));
  EXPECT_EQ(record.lnbSelect, 2);  // anything but "C" is Ku for the port
  options.band = MpegBand::kKu;
  EXPECT_FALSE(ParseMpegSearchLine(Line("S", "Ku", 11000, "A"), options, record));
  EXPECT_TRUE(ParseMpegSearchLine(Line("S", "KU", 11000, "A"), options, record));
  EXPECT_FALSE(ParseMpegSearchLine(Line("S", "C", 3900, "A"), options, record));
  options.band = MpegBand::kC;
  EXPECT_TRUE(ParseMpegSearchLine(Line("S", "C", 3900, "A"), options, record));
  EXPECT_FALSE(ParseMpegSearchLine(Line("S", "KU", 11000, "A"), options, record));
}

TEST(MpegSearchLine, NamesAreCutAndKeepTheirBrackets) {
  ChannelRecord record;
  ASSERT_TRUE(ParseMpegSearchLine(
      Line("S", "KU", 11000, "[A] name that is far longer than the field (PCR=4097)"), Ports(0),
      record));
  EXPECT_EQ(NameOf(record), "[A] name that is far lon");
  EXPECT_EQ(record.name[0], '[');
  EXPECT_EQ(record.pcrPid, 4097);
}

TEST(MpegSearchLine, OtherDelimitersAndOptions) {
  Options options;
  options.mpegProjectDataFormat = 2;
  options.mpegProjectPasteMode = 2;
  options.mpegProjectAddMarkers = 0;
  options.mpegProjectDiseqcKuDbs = 1;
  const MpegSearchOptions paste = MpegSearchOptionsFrom(options);
  EXPECT_EQ(paste.delimiter, '~');
  EXPECT_EQ(paste.band, MpegBand::kKu);
  EXPECT_FALSE(paste.addMarkers);
  EXPECT_EQ(MpegDelimiterOf(1), '^');
  EXPECT_EQ(MpegDelimiterOf(7), ',');
  ChannelRecord record;
  EXPECT_TRUE(ParseMpegSearchLine(Line("S,1", "KU", 12500, "A,B", '~'), paste, record));
  EXPECT_EQ(NameOf(record), "A,B");
  EXPECT_EQ(record.lnbSelect, 1);
  EXPECT_FALSE(ParseMpegSearchLine(Line("S", "KU", 12500, "A"), paste, record));
}

TEST(MpegSearchLine, HeaderLines) {
  EXPECT_TRUE(IsMpegSearchHeaderLine("Source: the site"));
  EXPECT_TRUE(IsMpegSearchHeaderLine("Last Updated,today"));
  EXPECT_TRUE(IsMpegSearchHeaderLine("x,Footprint,y"));
  EXPECT_FALSE(IsMpegSearchHeaderLine("source footprint updated"));
}

TEST(SatelliteMarker, LongNamesAreCutSoTheClosingDashesFit) {
  const ChannelRecord marker = MakeSatelliteMarker("Hot Bird 13E");
  EXPECT_TRUE(marker.HasTag());
  EXPECT_EQ(marker.frequency, 0);
  EXPECT_EQ(marker.modeFlags, 3);
  EXPECT_EQ(NameOf(marker), "-- Hot Bird 13E --");
  EXPECT_EQ(NameOf(MakeSatelliteMarker("Eighteen chars 18")), "-- Eighteen chars 18 --");
  EXPECT_EQ(NameOf(MakeSatelliteMarker("A satellite name of forty characters....")),
            "-- A satellite name o --");
  EXPECT_EQ(NameOf(MakeSatelliteMarker("")), "--  --");
}

TEST(SatelliteMarker, OneMarkerEachTimeTheSatelliteChanges) {
  MpegSearchOptions options = Ports(0);
  options.band = MpegBand::kC;
  MpegSearchPaste paste(options);
  std::vector<ChannelRecord> records;
  for (const char* name : {"a1", "a2", "a3"}) paste.AddLine(Line("SatA", "C", 3900, name), records);
  paste.AddLine(Line("SatB", "KU", 11000, "rejected"), records);  // marker, no channel
  for (const char* name : {"b1", "b2"}) paste.AddLine(Line("SatB", "C", 3900, name), records);
  paste.AddLine("no delimiter at all", records);
  const std::vector<std::string> expected = {"-- SatA --", "a1", "a2", "a3",
                                             "-- SatB --", "b1", "b2"};
  ASSERT_EQ(records.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(NameOf(records[i]), expected[i]);

  // Names that agree in all a marker can show still differ, so each gets its marker.
  MpegSearchPaste longNames(Ports(0));
  records.clear();
  longNames.AddLine(Line("A satellite with a long name 1", "KU", 11000, "x"), records);
  longNames.AddLine(Line("A satellite with a long name 2", "KU", 11000, "y"), records);
  EXPECT_EQ(records.size(), 4u);

  options.addMarkers = false;
  MpegSearchPaste noMarkers(options);
  records.clear();
  noMarkers.AddLine(Line("SatA", "C", 3900, "a1"), records);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(NameOf(records[0]), "a1");
}

}  // namespace
}  // namespace pelorus
