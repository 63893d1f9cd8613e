#include "channels/channel_line.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "channels/channel_name.h"
#include "support/records.h"

namespace pelorus {
namespace {

// The channel every editor of these lines is checked with.
ChannelRecord Test1() {
  ChannelRecord record{};
  record.tag = kChannelTag;
  EncodeChannelName(record, "TEST 1");
  record.frequency = 11766;
  record.symbolRate = 27500;
  record.fecCode = 3;
  record.videoPid = 0x200;
  record.audioPid = 0x28A;
  record.pmtPid = 0x102;
  record.pcrPid = 0x200;
  record.textPid = 0x22A;
  record.serviceType = 1;
  record.tsId = 0x12C;
  record.serviceId = 0xDC3;
  record.networkId = 0x13E;
  return record;
}

const std::string kTest1Line =
    "TEST 1                   11766 27500 2/3  0 H 0200 028A 0102 0200 022A 0000 0000 PAL  N 0v "
    " 0 Auto 01 012C 0DC3 013E 0 0 0000 00 00 00 00\r\n";

std::string WithoutLineEnd(const std::string& line) { return line.substr(0, line.size() - 2); }

bool SameRecord(const ChannelRecord& a, const ChannelRecord& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(ChannelLineTest, Test1IsWrittenByteForByte) {
  const std::string line = FormatChannelLine(Test1());
  EXPECT_EQ(line, kTest1Line);
  EXPECT_EQ(line.size(), 139u);
}

TEST(ChannelLineTest, Test1ReadsBackWithBlankPaddedName) {
  ChannelRecord read{};
  ASSERT_TRUE(ParseChannelLine(WithoutLineEnd(kTest1Line), read));
  ChannelRecord expected = Test1();
  EncodeChannelName(expected, "TEST 1                  ");
  EXPECT_TRUE(SameRecord(read, expected));
  EXPECT_EQ(DecodeChannelName(read), "TEST 1");
  // Written again, the padded name gives the same line.
  EXPECT_EQ(FormatChannelLine(read), kTest1Line);
}

TEST(ChannelLineTest, EveryFieldSurvivesTheRoundTrip) {
  ChannelRecord record{};
  record.tag = kChannelTag;
  EncodeChannelName(record, "[Emph] 24 characters lon");
  record.frequency = 65535;
  record.symbolRate = 1;
  record.fecCode = 7;
  record.acqBandwidth = 99;
  record.polarity = 1;
  record.lnbSelect = 3 | (2 << 2);
  record.videoPid = 0x1FFF;
  record.audioPid = 0x0ABC;
  record.pmtPid = 0x1FFF;
  record.pcrPid = 0x0001;
  record.scrambling = 0xBEEF;
  record.pmc = 0xFFFF;
  record.modeFlags = 3 | 0x10 | (2 << 6);
  record.serviceType = 0xB2;
  record.textPid = 0x1234;
  record.tsId = 0xFFFE;
  record.serviceId = 0x8001;
  record.autoFlags = 3;
  record.reserved1 = 0xA5;
  record.lockCode = 0x5A;
  record.reserved2 = 0x01;
  record.reserved3 = 0x80;
  record.reserved4 = 0xFF;
  record.networkId = 0x4321;
  const std::string line = FormatChannelLine(record);
  EXPECT_EQ(line.size(), 139u);
  ChannelRecord read{};
  ASSERT_TRUE(ParseChannelLine(WithoutLineEnd(line), read));
  EXPECT_TRUE(SameRecord(read, record)) << line;
}

TEST(ChannelLineTest, ColumnTextsOfEveryEnumeratedValue) {
  ChannelRecord record = Test1();
  const struct {
    uint8_t code;
    const char* text;
  } fecs[] = {{0, "AUT"}, {1, "1/1"}, {2, "1/2"}, {4, "3/4"}, {6, "5/6"}, {7, "7/8"}, {5, "?5 "}};
  for (const auto& fec : fecs) {
    record.fecCode = fec.code;
    EXPECT_EQ(FormatChannelLine(record).substr(37, 3), fec.text);
  }
  const char* audio[] = {"N", "V", "L", "R"};
  for (int mode = 0; mode < 4; ++mode) {
    record.modeFlags = static_cast<uint8_t>(mode << 6);
    EXPECT_EQ(FormatChannelLine(record).substr(86, 1), audio[mode]);
  }
  const char* inversion[] = {"Auto", "Off ", "On  ", "?3  "};
  for (int value = 0; value < 4; ++value) {
    record.lnbSelect = static_cast<uint8_t>(2 | (value << 2));
    const std::string line = FormatChannelLine(record);
    EXPECT_EQ(line.substr(92, 6), std::string("2 ") + inversion[value]);
    EXPECT_EQ(line.size(), 139u);
    ChannelRecord read{};
    ASSERT_TRUE(ParseChannelLine(WithoutLineEnd(line), read));
    EXPECT_EQ(read.lnbSelect, record.lnbSelect);
  }
  record.modeFlags = 1;  // only value 3 is NTSC
  EXPECT_EQ(FormatChannelLine(record).substr(81, 4), "PAL ");
  record.modeFlags = 0x13;
  EXPECT_EQ(FormatChannelLine(record).substr(81, 10), "NTSC N 12v");
  record.polarity = 2;  // any value but 0 is vertical
  EXPECT_EQ(FormatChannelLine(record).substr(44, 1), "V");
}

// The line as the two printf formats build it, the way every editor of these files writes it.
std::string PrintfLine(const ChannelRecord& r) {
  static const char* const kFec[] = {"AUT", "1/1", "1/2", "2/3", "3/4", nullptr, "5/6", "7/8"};
  static const char* const kAudio[] = {"N", "V", "L", "R"};
  static const char* const kInversion[] = {"Auto", "Off", "On", "?3"};
  char fec[8];
  if (r.fecCode < 8 && kFec[r.fecCode] != nullptr) {
    std::snprintf(fec, sizeof fec, "%s", kFec[r.fecCode]);
  } else {
    std::snprintf(fec, sizeof fec, "?%d", r.fecCode);
  }
  char pids[6][8];
  const uint16_t values[6] = {r.videoPid, r.audioPid, r.pmtPid, r.pcrPid, r.textPid, r.pmc};
  for (int i = 0; i < 6; ++i) std::snprintf(pids[i], sizeof pids[i], "%04X", values[i]);
  char lnb[4];
  std::snprintf(lnb, sizeof lnb, "%d", r.lnbSelect & 3);
  std::string name = DecodeChannelName(r);
  char line[400];
  int n = std::snprintf(
      line, sizeof line,
      "%-24s %5d %5d %-3s %2d %1s %-4s %-4s %-4s %-4s %-4s %-4s %04X %-4s %-1s %-3s %-1s %-4s "
      "%02X %04X %04X %04X",
      name.c_str(), r.frequency, r.symbolRate, fec, r.acqBandwidth, r.polarity == 0 ? "H" : "V",
      pids[0], pids[1], pids[2], pids[3], pids[4], pids[5], r.scrambling,
      (r.modeFlags & 3) == 3 ? "NTSC" : "PAL", kAudio[(r.modeFlags >> 6) & 3],
      (r.modeFlags & 0x10) != 0 ? "12v" : "0v", lnb, kInversion[(r.lnbSelect >> 2) & 3],
      r.serviceType, r.tsId, r.serviceId, r.networkId);
  n += std::snprintf(line + n, sizeof line - static_cast<size_t>(n),
                     " %1d %1d %04X %02X %02X %02X %02X\r\n", r.autoFlags & 1,
                     (r.autoFlags >> 1) & 1, r.reserved1, r.lockCode, r.reserved2, r.reserved3,
                     r.reserved4);
  return std::string(line, static_cast<size_t>(n));
}

TEST(ChannelLineTest, RandomRecordsAreWrittenAsTheTwoFormatsWriteThem) {
  std::mt19937 random(137);
  for (int i = 0; i < 20000; ++i) {
    ChannelRecord record{};
    auto* bytes = reinterpret_cast<uint8_t*>(&record);
    for (size_t b = 0; b < sizeof record; ++b) bytes[b] = static_cast<uint8_t>(random());
    for (uint8_t& c : record.name) {
      if (c == '\r' || c == '\n') c = '_';  // written as blanks; checked on their own
    }
    if (i % 3 == 0) record.fecCode = static_cast<uint8_t>(random() % 9);
    if (i % 4 == 0) record.acqBandwidth = static_cast<uint8_t>(random() % 100);
    ASSERT_EQ(FormatChannelLine(record), PrintfLine(record)) << i;
  }
}

TEST(ChannelLineTest, FecFiveIsWrittenAsQuestionMarkAndReadAsAuto) {
  ChannelRecord record = Test1();
  record.fecCode = 5;
  ChannelRecord read{};
  ASSERT_TRUE(ParseChannelLine(WithoutLineEnd(FormatChannelLine(record)), read));
  EXPECT_EQ(read.fecCode, 0);
}

TEST(ChannelLineTest, WideBandwidthAndFecColumnsStillReadBack) {
  ChannelRecord record = Test1();
  record.acqBandwidth = 200;
  record.fecCode = 150;
  record.reserved4 = 0x77;
  const std::string line = FormatChannelLine(record);
  EXPECT_EQ(line.size(), 141u);
  ChannelRecord read{};
  ASSERT_TRUE(ParseChannelLine(WithoutLineEnd(line), read));
  EXPECT_EQ(read.acqBandwidth, 200);
  EXPECT_EQ(read.fecCode, 0);  // "?150" has no text of its own
  EXPECT_EQ(read.serviceId, 0xDC3);
  EXPECT_EQ(read.networkId, 0x13E);
  EXPECT_EQ(read.reserved4, 0x77);
}

TEST(ChannelLineTest, ShortLinesAndPmtAboveThirteenBitsAreRejected) {
  const std::string line = WithoutLineEnd(kTest1Line);
  ChannelRecord read{};
  EXPECT_TRUE(ParseChannelLine(line.substr(0, 127), read));
  EXPECT_EQ(read.lockCode, 0);
  EXPECT_FALSE(ParseChannelLine(line.substr(0, 126), read));
  EXPECT_FALSE(ParseChannelLine(std::string(), read));

  std::string pmt = line;
  pmt.replace(56, 4, "2000");
  EXPECT_FALSE(ParseChannelLine(pmt, read));
  pmt.replace(56, 4, "1FFF");
  ASSERT_TRUE(ParseChannelLine(pmt, read));
  EXPECT_EQ(read.pmtPid, 0x1FFF);
  pmt.replace(56, 4, "-001");  // a sign reads as a huge value, not as a small PID
  EXPECT_FALSE(ParseChannelLine(pmt, read));
}

TEST(ChannelLineTest, ColumnsAreScannedLikeTheLineWasTyped) {
  std::string line = WithoutLineEnd(kTest1Line);
  line.replace(25, 5, "  012");  // leading zeros and blanks
  line.replace(46, 4, "1f0G");   // lower case and the longest valid prefix
  line.replace(41, 2, "7x");     // digits stop at the first non-digit
  line.replace(31, 5, "70000");  // a field keeps the low bits of a larger number
  line.replace(86, 1, "X");      // unknown words give 0
  ChannelRecord read{};
  ASSERT_TRUE(ParseChannelLine(line, read));
  EXPECT_EQ(read.frequency, 12);
  EXPECT_EQ(read.videoPid, 0x1F0);
  EXPECT_EQ(read.acqBandwidth, 7);
  EXPECT_EQ(read.symbolRate, 70000 & 0xFFFF);
  EXPECT_EQ(read.modeFlags, 0);
}

TEST(ChannelLineTest, LongLinesAreReadInFullAndNothingPastTheEnd) {
  std::string line = WithoutLineEnd(kTest1Line) + std::string(300, 'Z');
  ChannelRecord read{};
  ASSERT_TRUE(ParseChannelLine(line, read));
  EXPECT_EQ(read.serviceId, 0xDC3);
  // A line that ends inside a number: the parser must stop at the span's end, not at a zero.
  std::string buffer = WithoutLineEnd(kTest1Line).substr(0, 129) + "FF";
  ASSERT_TRUE(ParseChannelLine(std::span(buffer.data(), 130), read));
  EXPECT_EQ(read.reserved2, 0x0F);
}

TEST(ChannelLineTest, LineBreaksInANameAreWrittenAsBlanks) {
  ChannelRecord record = Test1();
  EncodeChannelName(record, "AB\r\nCD");
  const std::string line = FormatChannelLine(record);
  EXPECT_EQ(line.size(), 139u);
  EXPECT_EQ(line.find_first_of("\r\n"), 137u);
  ChannelRecord read{};
  ASSERT_TRUE(ParseChannelLine(WithoutLineEnd(line), read));
  EXPECT_EQ(DecodeChannelName(read), "AB  CD");
}

TEST(ChannelLineTest, LnbDigitIsTheWholeByteBeforeInversionIsAdded) {
  std::string line = WithoutLineEnd(kTest1Line);
  line.replace(92, 6, "7 On  ");
  ChannelRecord read{};
  ASSERT_TRUE(ParseChannelLine(line, read));
  EXPECT_EQ(read.lnbSelect, 15);
}

}  // namespace
}  // namespace pelorus
