#include "channels/channel_rows.h"

#include <gtest/gtest.h>

#include <string>

#include "channels/channel_name.h"
#include "support/records.h"

namespace pelorus {
namespace {

using testing::MakeChannel;

TEST(ChannelRows, CellTextsOfATelevisionChannel) {
  ChannelRecord record = MakeChannel("RAI 1", 11766, 27500);
  record.fecCode = 3;
  record.acqBandwidth = 36;
  record.polarity = 1;
  record.modeFlags = 0x13;  // NTSC and 12 V
  record.lnbSelect = 0x0E;  // port 2 (shown as 3) with inversion bits set
  const ChannelRow row = BuildChannelRow(record, 4, PidMode::kHexadecimal);
  const std::array<std::string, 12> expected = {"5", "RAI 1", "11766", "27500", "2/3", "36",
                                                "V", "0200",  "0280",  "NTSC",  "12v", "3"};
  std::array<std::string, 12> shown;
  for (size_t c = 0; c < shown.size(); ++c) shown[c] = row.cells[c];
  EXPECT_EQ(shown, expected);
  EXPECT_EQ(row.icon, RowIcon::kTelevision);
  EXPECT_FALSE(row.marker);
}

TEST(ChannelRows, TheWidestRowFitsItsBlockAndCellsStayApart) {
  // Every field at its longest: a ten-digit row number, 24 name characters, five-digit PIDs.
  ChannelRecord record = MakeChannel("ABCDEFGHIJKLMNOPQRSTUVWX", 65535, 65535);
  record.fecCode = 255;
  record.acqBandwidth = 255;
  record.videoPid = 65535;
  record.audioPid = 65534;
  record.modeFlags = 0x13;
  const ChannelRow row = BuildChannelRow(record, 2147483646, PidMode::kDecimal);
  const std::array<std::string, 12> expected = {"2147483647", "ABCDEFGHIJKLMNOPQRSTUVWX",
                                                "65535",      "65535",
                                                "?255",       "255",
                                                "H",          "65535",
                                                "65534",      "NTSC",
                                                "12v",        "1"};
  for (size_t c = 0; c < expected.size(); ++c) EXPECT_EQ(row.cells[c], expected[c]) << c;
  // Emphasis codes and a name that ends early are decoded as the dialog shows them.
  ChannelRecord emphasis = MakeChannel("", 11000);
  emphasis.name = {};
  emphasis.name[0] = kEmphasisOn;
  emphasis.name[1] = 'A';
  emphasis.name[2] = kEmphasisOff;
  emphasis.name[3] = ' ';
  EXPECT_EQ(BuildChannelRow(emphasis, 0, PidMode::kHexadecimal).cells[1], "[A] ");
  EXPECT_EQ(DecodeChannelName(emphasis), "[A] ");
  // A cell past the last one appended is empty, as a marker's are.
  RowCells cells;
  cells.Append("one");
  EXPECT_EQ(cells[0], "one");
  EXPECT_EQ(cells[1], "");
  EXPECT_EQ(cells[11], "");
  EXPECT_EQ(cells[12], "");
}

TEST(ChannelRows, FecNamesAndUnnamedCodes) {
  EXPECT_EQ(FecText(0), "Auto");
  EXPECT_EQ(FecText(1), "1/1");
  EXPECT_EQ(FecText(2), "1/2");
  EXPECT_EQ(FecText(4), "3/4");
  EXPECT_EQ(FecText(6), "5/6");
  EXPECT_EQ(FecText(7), "7/8");
  EXPECT_EQ(FecText(5), "?5");
  EXPECT_EQ(FecText(9), "?9");
  EXPECT_EQ(FecText(200), "?200");
}

TEST(ChannelRows, VideoModeTwelveVoltAndDiseqcBits) {
  ChannelRecord record = MakeChannel("X", 12000);
  record.modeFlags = 0x01;
  EXPECT_EQ(BuildChannelRow(record, 0, PidMode::kHexadecimal).cells[9], "PAL");
  record.modeFlags = 0x03;
  EXPECT_EQ(BuildChannelRow(record, 0, PidMode::kHexadecimal).cells[9], "NTSC");
  record.modeFlags = 0xEC;  // audio and unnamed bits only
  EXPECT_EQ(BuildChannelRow(record, 0, PidMode::kHexadecimal).cells[9], "PAL");
  EXPECT_EQ(BuildChannelRow(record, 0, PidMode::kHexadecimal).cells[10], "0v");
  record.lnbSelect = 0x0F;
  EXPECT_EQ(BuildChannelRow(record, 0, PidMode::kHexadecimal).cells[11], "4");
  record.polarity = 0;
  EXPECT_EQ(BuildChannelRow(record, 0, PidMode::kHexadecimal).cells[6], "H");
}

TEST(ChannelRows, PidModes) {
  ChannelRecord record = MakeChannel("X", 12000);
  record.videoPid = 0x0200;
  record.audioPid = 0x1FFF;
  EXPECT_EQ(BuildChannelRow(record, 0, PidMode::kHexadecimal).cells[7], "0200");
  EXPECT_EQ(BuildChannelRow(record, 0, PidMode::kDecimal).cells[7], "512");
  EXPECT_EQ(BuildChannelRow(record, 0, PidMode::kHexadecimal).cells[8], "1FFF");
  EXPECT_EQ(BuildChannelRow(record, 0, PidMode::kDecimal).cells[8], "8191");
  record.videoPid = 0xFFFF;  // not masked: shown as the unsigned 16-bit number
  EXPECT_EQ(BuildChannelRow(record, 0, PidMode::kHexadecimal).cells[7], "FFFF");
  EXPECT_EQ(BuildChannelRow(record, 0, PidMode::kDecimal).cells[7], "65535");

  EXPECT_STREQ(PidFormatsFor(PidMode::kHexadecimal).display, "%04X");
  EXPECT_STREQ(PidFormatsFor(PidMode::kHexadecimal).input, "%X");
  EXPECT_STREQ(PidFormatsFor(PidMode::kHexadecimal).prefixed, "0x%04X");
  EXPECT_STREQ(PidFormatsFor(PidMode::kDecimal).display, "%d");
  EXPECT_STREQ(PidFormatsFor(PidMode::kDecimal).input, "%d");
  EXPECT_STREQ(PidFormatsFor(PidMode::kDecimal).prefixed, "%d");
  EXPECT_EQ(PidModeFromOption(0), PidMode::kHexadecimal);
  EXPECT_EQ(PidModeFromOption(7), PidMode::kDecimal);
}

TEST(ChannelRows, IconsAndMarkerRows) {
  ChannelRecord record = MakeChannel("Astra 19.2E", 0);
  record.videoPid = 0x0100;
  ChannelRow row = BuildChannelRow(record, 0, PidMode::kHexadecimal);
  EXPECT_EQ(row.icon, RowIcon::kMarker);
  EXPECT_TRUE(row.marker);
  EXPECT_EQ(row.cells[0], "1");
  EXPECT_EQ(row.cells[1], "Astra 19.2E");
  for (size_t c = 2; c < row.cells.size(); ++c) EXPECT_TRUE(row.cells[c].empty());

  record.frequency = 11000;
  record.videoPid = kNoPid;
  record.audioPid = 0x0101;
  EXPECT_EQ(ChooseRowIcon(record), RowIcon::kRadio);
  record.audioPid = kNoPid;
  EXPECT_EQ(ChooseRowIcon(record), RowIcon::kData);
  record.videoPid = 0x0200;
  EXPECT_EQ(ChooseRowIcon(record), RowIcon::kTelevision);
}

TEST(ChannelRows, ColumnsHeadersAlignmentsAndWidths) {
  const char* headers[] = {"No.", "Channel", "Frequency", "SR",    "FEC", "BW",
                           "Pol", "VPID",    "APID",      "Video", "12v", "DiSEqC"};
  const int widths[] = {48, 110, 65, 50, 35, 32, 32, 45, 45, 42, 36, 52};
  for (int c = 0; c < kChannelColumnCount; ++c) {
    EXPECT_STREQ(kChannelColumns[c].header, headers[c]);
    EXPECT_EQ(kChannelColumns[c].width, widths[c]);
  }
  EXPECT_EQ(kChannelColumns[6].alignment, CellAlignment::kCenter);
  EXPECT_EQ(kChannelColumns[11].alignment, CellAlignment::kCenter);
  EXPECT_EQ(kChannelColumns[1].alignment, CellAlignment::kLeft);
  EXPECT_EQ(kChannelColumns[0].alignment, CellAlignment::kRight);
}

// The name cell, read eight bytes at a time, against the plain rule: the text ends at the first
// zero byte, without one the trailing blanks go, and the emphasis codes show as brackets.
TEST(ChannelRows, NameCellEndsAtTheFirstZeroOrLosesItsTrailingBlanks) {
  auto expected = [](const ChannelRecord& record) {
    std::string text;
    for (const uint8_t byte : record.name) {
      if (byte == 0) return text;
      text += byte == kEmphasisOn ? '[' : byte == kEmphasisOff ? ']' : static_cast<char>(byte);
    }
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
  };
  for (size_t zeroAt = 0; zeroAt <= kChannelNameSize; ++zeroAt) {
    for (const uint8_t filler :
         {uint8_t{'A'}, uint8_t{' '}, uint8_t{0x01}, uint8_t{0x80}, kEmphasisOn, uint8_t{0xFF}}) {
      ChannelRecord record = MakeChannel("", 11766, 27500);
      record.name.fill(filler);
      record.name[0] = 'N';
      if (zeroAt < kChannelNameSize) record.name[zeroAt] = 0;
      // A zero byte after the first one and a blank before it must not move the end.
      if (zeroAt + 2 < kChannelNameSize) record.name[zeroAt + 2] = 0;
      if (zeroAt > 1) record.name[zeroAt - 1] = ' ';
      const ChannelRow row = BuildChannelRow(record, 0, PidMode::kHexadecimal);
      EXPECT_EQ(row.cells[1], expected(record)) << "zero at " << zeroAt << ", filler " << +filler;
      EXPECT_EQ(DecodeChannelName(record), expected(record));
    }
  }
}

}  // namespace
}  // namespace pelorus
