#include "common/byte_reader.h"

#include <gtest/gtest.h>

#include <vector>

#include "common/byte_writer.h"

namespace pelorus {
namespace {

TEST(ByteReaderTest, ReadsBigAndLittleEndianNumbersInOrder) {
  const std::vector<uint8_t> bytes = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE,
                                      0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07};
  ByteReader reader(bytes);
  EXPECT_EQ(reader.U8(), 0x12);
  EXPECT_EQ(reader.U16(), 0x3456);
  EXPECT_EQ(reader.U24(), 0x789ABCu);
  EXPECT_EQ(reader.U16Le(), 0x01DE);
  EXPECT_EQ(reader.U32(), 0x02030405u);
  EXPECT_EQ(reader.Remaining(), 2u);
  EXPECT_TRUE(reader.Ok());
}

TEST(ByteReaderTest, ErrorSticksAfterAReadPastTheEnd) {
  const std::vector<uint8_t> bytes = {1, 2, 3};
  ByteReader reader(bytes);
  EXPECT_EQ(reader.U16(), 0x0102);
  EXPECT_EQ(reader.U32(), 0u);  // only one byte left
  EXPECT_FALSE(reader.Ok());
  // The byte that was left is not handed out after the error either.
  EXPECT_EQ(reader.U8(), 0);
  EXPECT_TRUE(reader.Bytes(1).empty());
  EXPECT_FALSE(reader.Ok());
}

TEST(ByteReaderTest, BytesAndSkipStayInsideTheSpan) {
  const std::vector<uint8_t> bytes = {1, 2, 3, 4};
  ByteReader reader(bytes);
  reader.Skip(1);
  const auto middle = reader.Bytes(2);
  ASSERT_EQ(middle.size(), 2u);
  EXPECT_EQ(middle[0], 2);
  EXPECT_EQ(middle[1], 3);
  reader.Skip(2);
  EXPECT_FALSE(reader.Ok());
  EXPECT_EQ(reader.Position(), 3u);
}

TEST(ByteReaderTest, BitsCountFromTheMostSignificantBit) {
  // 0xB00D: section_syntax 1, zero 0, reserved 11, section_length 0x00D.
  EXPECT_EQ(ByteReader::Bits(0xB00D, 16, 0, 1), 1u);
  EXPECT_EQ(ByteReader::Bits(0xB00D, 16, 1, 1), 0u);
  EXPECT_EQ(ByteReader::Bits(0xB00D, 16, 4, 12), 0x00Du);
  EXPECT_EQ(ByteReader::Bits(0xFFFFFFFF, 32, 0, 32), 0xFFFFFFFFu);
}

TEST(ByteWriterTest, WritesEveryWidthBigEndianUnlessToldOtherwise) {
  ByteWriter writer;
  writer.U8(0x1FF).U16(0x1234).U24(0x56789A).U32(0xBCDEF012).U16Le(0x3456).U32Le(0x789ABCDE);
  const std::vector<uint8_t> expected = {0xFF, 0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE,
                                         0xF0, 0x12, 0x56, 0x34, 0xDE, 0xBC, 0x9A, 0x78};
  EXPECT_EQ(writer.View(), expected);
}

}  // namespace
}  // namespace pelorus
