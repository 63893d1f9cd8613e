#include "scsi/receiver_commands.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "scripted_transport.h"

namespace pelorus {
namespace {

using testing::BlockHex;

TEST(ReceiverCommandsTest, EveryBlockOfTheTableByteForByte) {
  EXPECT_EQ(BlockHex(InquiryBlock()), "120000002400");
  EXPECT_EQ(BlockHex(GetChannelCountBlock()), "3c010000000000000400");
  EXPECT_EQ(BlockHex(ReadMemoryBlock(0x000D0000, 0x10000)),
            "3c00000d0000010000"
            "00");
  EXPECT_EQ(BlockHex(ReadMemoryBlock(0x10038600, 0x40)), "3c001003860000004000");
  EXPECT_EQ(BlockHex(WriteMemoryBlock(0x000E0000, 64)), "3b04000e000000004000");
  EXPECT_EQ(BlockHex(StartFirmwareBlock()), "010100000000");
  EXPECT_EQ(BlockHex(SpeedTestWriteBlock(0x10000)), "3b000000000001000000");
  EXPECT_EQ(BlockHex(SetupStreamBlock(false, 6)), "3d000000000000000600");
  EXPECT_EQ(BlockHex(SetupStreamBlock(true, 18)), "3e000000000000001200");
  EXPECT_EQ(BlockHex(StopStreamBlock(false)), "3d000000000000000000");
  EXPECT_EQ(BlockHex(StopStreamBlock(true)), "3e000000000000000000");
  EXPECT_EQ(BlockHex(ReadStreamBlock(32768)), "3c060000000000800000");
  EXPECT_EQ(BlockHex(ReadSlotBlock(0, 188)), "3c00000000000000bc00");
  EXPECT_EQ(BlockHex(ReadSlotBlock(2, 6016)), "3c020000000000178000");
  EXPECT_EQ(BlockHex(ReadPictureGeometryBlock()), "3c050000000000000400");
  EXPECT_EQ(BlockHex(SetBusyWordBlock()), "3b050100ffea00000200");
  EXPECT_EQ(BlockHex(ReceiverCommandBlock(8)), "3b300000000000000800");
}

TEST(ReceiverCommandsTest, WriteBlockKeepsByteTwoZeroForTwentyFourBitAddresses) {
  // Only 24 address bits exist in the write form; a stray high byte must not leak into byte 2.
  EXPECT_EQ(BlockHex(WriteMemoryBlock(0x01020304, 2)),
            "3b04000203040000"
            "0200");
}

TEST(ReceiverCommandsTest, DataLayouts) {
  const std::vector<StreamFilter> slots = {{0x0200, 6016, 6}, {0x1FFF, 188, 6}};
  EXPECT_EQ(BlockHex(StreamFilterData(slots)), "0200178000061fff00bc0006");
  EXPECT_EQ(BlockHex(BusyWordData(false)), "ffff");
  EXPECT_EQ(BlockHex(BusyWordData(true)), "0000");
}

std::vector<uint8_t> Inquiry(const std::string& identification) {
  std::vector<uint8_t> data(36, ' ');
  std::memcpy(data.data() + 8, identification.data(), std::min<size_t>(identification.size(), 28));
  return data;
}

TEST(ReceiverCommandsTest, IdentificationMatchesBothFirmwareFormsExactly) {
  EXPECT_TRUE(IsReceiverInquiry(Inquiry("Tessera ")));
  EXPECT_TRUE(IsReceiverInquiry(Inquiry("TesseraX anything")));
  EXPECT_TRUE(IsReceiverInquiry(Inquiry("OVERFLOW VANTA SCSI")));
  EXPECT_TRUE(IsReceiverInquiry(Inquiry("OVERFLOW VANTA SCSI 2")));
  // Case matters, and the older form needs all 19 bytes.
  EXPECT_FALSE(IsReceiverInquiry(Inquiry("tessera ")));
  EXPECT_FALSE(IsReceiverInquiry(Inquiry("TESSERA ")));
  EXPECT_FALSE(IsReceiverInquiry(Inquiry("overflow vanta scsi")));
  EXPECT_FALSE(IsReceiverInquiry(Inquiry("OVERFLOW VANTA SCS")));
  EXPECT_FALSE(IsReceiverInquiry(Inquiry("OVERFLOW")));
  EXPECT_FALSE(IsReceiverInquiry(Inquiry(" Tessera")));
}

TEST(ReceiverCommandsTest, IdentificationOfAShortAnswerIsJudgedOnWhatCame) {
  std::vector<uint8_t> data = Inquiry("OVERFLOW VANTA SCSI");
  EXPECT_TRUE(IsReceiverInquiry(std::span(data).first(27)));
  EXPECT_FALSE(IsReceiverInquiry(std::span(data).first(26)));
  std::vector<uint8_t> current = Inquiry("Tessera");
  EXPECT_TRUE(IsReceiverInquiry(std::span(current).first(15)));
  EXPECT_FALSE(IsReceiverInquiry(std::span(current).first(14)));
  EXPECT_FALSE(IsReceiverInquiry({}));
}

TEST(ReceiverCommandsTest, ChannelCountIsFourBytesBigEndian) {
  const std::vector<uint8_t> answer = {0x00, 0x01, 0x00, 0x01};
  EXPECT_EQ(ParseChannelCount(answer), 65537u);
  EXPECT_FALSE(ParseChannelCount(std::span(answer).first(3)));
}

TEST(ReceiverCommandsTest, GeometryCountsInTwoHundredFiftyFives) {
  const std::vector<uint8_t> pal = {0x02, 0xD0, 0x02, 0x40};
  const auto geometry = ParsePictureGeometry(pal);
  ASSERT_TRUE(geometry);
  EXPECT_EQ(geometry->width, 720);
  EXPECT_EQ(geometry->height, 575);
  const std::vector<uint8_t> zeros = {0, 0, 0, 0};
  EXPECT_EQ(ParsePictureGeometry(zeros)->width, 2);
  EXPECT_EQ(ParsePictureGeometry(zeros)->height, 1);
  const std::vector<uint8_t> ones = {1, 0, 1, 0};
  EXPECT_EQ(ParsePictureGeometry(ones)->width, 257);
  EXPECT_EQ(ParsePictureGeometry(ones)->height, 256);
  EXPECT_FALSE(ParsePictureGeometry(std::span(pal).first(2)));
}

}  // namespace
}  // namespace pelorus
