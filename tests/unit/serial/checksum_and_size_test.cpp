#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "serial/debug_echo.h"
#include "serial/serial_checksum.h"
#include "serial/settings_serial.h"
#include "serial/size_answer.h"
#include "support/temp_dir.h"

namespace pelorus {
namespace {

TEST(SerialChecksum, StartsAt0x55AndXorsEveryByte) {
  EXPECT_EQ(SerialChecksum({}), 0x55);
  std::vector<uint8_t> record(64, 0);
  record[0] = 0x12;
  record[63] = 0x40;
  EXPECT_EQ(SerialChecksum(record), 0x55 ^ 0x12 ^ 0x40);
  // Run over a block in pieces, as the settings read does record by record.
  const std::vector<uint8_t> block = testing::BytesOf("DVSO and more bytes of a channel");
  const uint8_t whole = SerialChecksum(block);
  const uint8_t first = SerialChecksum(std::span(block).first(7));
  EXPECT_EQ(SerialChecksum(std::span(block).subspan(7), first), whole);
}

TEST(Crc16Xmodem, MatchesTheStandardCheckValueAndChecksItself) {
  EXPECT_EQ(Crc16Xmodem(testing::BytesOf("123456789")), 0x31C3);
  EXPECT_EQ(Crc16Xmodem({}), 0);
  // The receiver runs the CRC over the data and the CRC bytes (high first) and expects 0.
  std::vector<uint8_t> block = testing::BytesOf("compressed firmware step");
  const uint16_t crc = Crc16Xmodem(block);
  block.push_back(static_cast<uint8_t>(crc >> 8));
  block.push_back(static_cast<uint8_t>(crc));
  EXPECT_EQ(Crc16Xmodem(block), 0);
}

TEST(Crc16Xmodem, EqualsTheAugmentedTableUpdate) {
  // register = table[register >> 8] ^ (register << 8) ^ byte over data and two zero bytes.
  uint16_t table[256];
  for (int i = 0; i < 256; ++i) {
    uint16_t crc = static_cast<uint16_t>(i << 8);
    for (int bit = 0; bit < 8; ++bit) {
      crc = static_cast<uint16_t>((crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1);
    }
    table[i] = crc;
  }
  std::vector<uint8_t> data;
  for (int i = 0; i < 3000; ++i) data.push_back(static_cast<uint8_t>(i * 7 + (i >> 3)));
  uint16_t reg = 0;
  std::vector<uint8_t> augmented = data;
  augmented.push_back(0);
  augmented.push_back(0);
  for (const uint8_t byte : augmented) {
    reg = static_cast<uint16_t>(table[reg >> 8] ^ static_cast<uint16_t>(reg << 8) ^ byte);
  }
  EXPECT_EQ(Crc16Xmodem(data), reg);
}

TEST(SizeAnswer, ParsesTheReceiversHexText) {
  EXPECT_EQ(ParseSizeAnswer(testing::BytesOf("00000040\r\n")), 0x40u);
  EXPECT_EQ(ParseSizeAnswer(testing::BytesOf("  0000a00\r\n")), 0xA00u);
  EXPECT_EQ(ParseSizeAnswer(testing::BytesOf("0x50      ")), 0x50u);
  EXPECT_EQ(ParseSizeAnswer(testing::BytesOf("00000050OK")),
            0x50u);  // stops at the first non-digit
  EXPECT_EQ(ParseSizeAnswer(testing::BytesOf("\r\nOK\r\n    ")), 0u);
  EXPECT_EQ(ParseSizeAnswer(testing::BytesOf("-40")), 0u);  // no sign: not a size
  EXPECT_EQ(ParseSizeAnswer({}), 0u);
}

TEST(SizeAnswer, HugeValuesStickAboveEveryLimit) {
  EXPECT_EQ(ParseSizeAnswer(testing::BytesOf("FFFFFFFFFF")), uint64_t{1} << 32);
  EXPECT_EQ(ParseSizeAnswer(testing::BytesOf("0000000000FFFFFFFFFFFFFFFFFFFFFFFFFFFFF")),
            uint64_t{1} << 32);
  EXPECT_GT(ParseSizeAnswer(testing::BytesOf("00400001\r\n")), kMaxSettingsBytes);
  EXPECT_EQ(ParseSizeAnswer(testing::BytesOf("00400000\r\n")), kMaxSettingsBytes);
}

TEST(SizeAnswer, RefusalNamesTheSizeEvenBeyondThirtyTwoBits) {
  EXPECT_EQ(SettingsTooLargeText(ParseSizeAnswer(testing::BytesOf("00500000\r\n"))),
            "Mediamaster reported 5242880 bytes of settings, more than the 4194304 bytes Pelorus "
            "can hold");
  // Not "0 bytes": a refused size must never read as smaller than the limit.
  EXPECT_EQ(SettingsTooLargeText(ParseSizeAnswer(testing::BytesOf("FFFFFFFFFF"))),
            "Mediamaster reported 4294967296 bytes of settings, more than the 4194304 bytes "
            "Pelorus can hold");
}

TEST(DebugEcho, ShowsPrintablesAndTheReturnAsThemselves) {
  EXPECT_EQ(DebugEchoText(0x7D), "<0x7d>");
  EXPECT_EQ(DebugEchoText(0x7C), "|");
  EXPECT_EQ(DebugEchoText(13), "\r");
  EXPECT_EQ(DebugEchoText(10), "<0x0a>");
  EXPECT_EQ(DebugEchoText(0), "<0x00>");
  EXPECT_EQ(DebugEchoText(32), " ");
  EXPECT_EQ(DebugEchoText(31), "<0x1f>");
  EXPECT_EQ(DebugEchoText(0xFF), "<0xff>");
  EXPECT_EQ(DebugEchoText('A'), "A");
}

}  // namespace
}  // namespace pelorus
