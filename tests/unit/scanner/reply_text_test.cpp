// The signal subroutine's reply lines and the channel a lock adds.
#include "scanner/reply_text.h"

#include <gtest/gtest.h>

#include <cstring>

#include "support/records.h"

namespace pelorus {
namespace {

TEST(LockReply, TheDescribedReplyGivesItsResultLine) {
  const auto reply = ParseLockReply("1234,27,32767,4,55,1");
  ASSERT_TRUE(reply.has_value());
  const LockResult result = LockResultFor(LnbType::kUniversal, 11830, 10600, reply);
  EXPECT_EQ(result.lockMhz, 11834);
  EXPECT_EQ(result.symbolRateKsps, 27499);
  EXPECT_EQ(result.Line(), "11830 MHz - lock at 11834 MHz 27499 3/4 (55) Inversion off");
  EXPECT_EQ(LockResultFor(LnbType::kUniversal, 11830, 10600, std::nullopt).Line(),
            "11830 MHz - no lock");
  // C band: the lock IF counts down from the oscillator.
  EXPECT_EQ(LockResultFor(LnbType::kCBand, 3800, 5150, ParseLockReply("1350,5,0,2,10,2")).Line(),
            "3800 MHz - lock at 3800 MHz 5000 1/2 (10) Inversion om");
}

TEST(LockReply, ShortLongAndBrokenReplies) {
  // A missing inversion code counts as 0; anything after the sixth number is ignored.
  auto reply = ParseLockReply("1000,22,0,7,30");
  ASSERT_TRUE(reply.has_value());
  EXPECT_EQ(reply->inversion, 0);
  EXPECT_EQ(InversionText(reply->inversion), "Auto Inversion");
  reply = ParseLockReply("1000,22,0,3,30,2,99,junk");
  ASSERT_TRUE(reply.has_value());
  EXPECT_EQ(reply->inversion, 2);
  // Not a lock: nothing, too few numbers, text, a number beyond 32 bits.
  EXPECT_FALSE(ParseLockReply("").has_value());
  EXPECT_FALSE(ParseLockReply("1000,22,0,3").has_value());
  EXPECT_FALSE(ParseLockReply("no lock").has_value());
  EXPECT_FALSE(ParseLockReply("99999999999,1,2,3,4").has_value());
  EXPECT_EQ(FecText(8), "? 8");
  EXPECT_EQ(FecText(-3), "?-3");
  EXPECT_EQ(FecText(6), "5/6");
}

TEST(LockReply, SweepLinesParseLikeTheirFormat) {
  EXPECT_EQ(ParseSweepLine("1250,3400"), (ScanPoint{1250, 3400}));
  EXPECT_EQ(ParseSweepLine(" 950, -12"), (ScanPoint{950, -12}));
  EXPECT_EQ(ParseSweepLine("2147483647,-2147483648"), (ScanPoint{INT32_MAX, INT32_MIN}));
  EXPECT_FALSE(ParseSweepLine(".").has_value());
  EXPECT_FALSE(ParseSweepLine("1250").has_value());
  EXPECT_FALSE(ParseSweepLine("1250;3400").has_value());
  EXPECT_FALSE(ParseSweepLine("2147483648,1").has_value());
}

TEST(LockReply, AutoAddedRecordByteForByte) {
  const LockResult result =
      LockResultFor(LnbType::kUniversal, 11830, 10600, ParseLockReply("1234,27,32767,4,55,1"));
  const std::vector<uint8_t> bytes = testing::FileBytes({AutoSearchRecord(result, true)});
  std::vector<uint8_t> expected(64, 0);
  std::memcpy(expected.data(), "DVSO", 4);
  const auto put16 = [&expected](size_t at, uint16_t value) {
    expected[at] = static_cast<uint8_t>(value >> 8);
    expected[at + 1] = static_cast<uint8_t>(value);
  };
  put16(6, 0x1FFF);   // PMT PID
  put16(8, 11834);    // frequency
  put16(10, 27499);   // symbol rate
  expected[12] = 4;   // FEC
  expected[13] = 27;  // acquisition bandwidth: (27499 + 500) / 1000
  expected[14] = 1;   // vertical
  put16(16, 0x1FFF);  // video
  put16(18, 0x1FFF);  // audio
  put16(20, 0x1FFF);  // PCR
  put16(28, 0x1FFF);  // teletext
  std::memcpy(expected.data() + 32, "Auto-search          ", 21);
  EXPECT_EQ(bytes, expected);
  EXPECT_EQ(AutoSearchRecord(result, false).polarity, 0);
  // Values beyond the record's fields saturate instead of wrapping.
  const ChannelRecord wild = AutoSearchRecord(
      LockResultFor(LnbType::kUniversal, 11830, 10600, ParseLockReply("99999,70,0,300,1,1")),
      false);
  EXPECT_EQ(wild.frequency, 65535);
  EXPECT_EQ(wild.symbolRate, 65535);
  EXPECT_EQ(wild.fecCode, 255);
  EXPECT_EQ(wild.acqBandwidth, 66);
}

}  // namespace
}  // namespace pelorus
