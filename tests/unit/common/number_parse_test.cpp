#include "common/number_parse.h"

#include <gtest/gtest.h>

namespace pelorus {
namespace {

TEST(ParseNumber, TakesOnlyTextThatIsWhollyANumberInRange) {
  EXPECT_EQ(ParseNumber("27500", 0, 65535), 27500);
  EXPECT_EQ(ParseNumber("-5", -10, 10), -5);
  EXPECT_EQ(ParseNumber("+5", -10, 10), 5);
  for (const char* bad : {"", "abc", "12abc", " 12", "12 ", "0x", "1.5", "-", "+", "--1", "1e3"}) {
    EXPECT_FALSE(ParseNumber(bad, -1000000, 1000000).has_value()) << bad;
  }
  EXPECT_FALSE(ParseNumber("65536", 0, 65535).has_value());
  EXPECT_FALSE(ParseNumber("-1", 0, 65535).has_value());
  EXPECT_FALSE(ParseNumber("99999999999999999999999", 0, INT64_MAX).has_value());
  EXPECT_EQ(ParseNumber("10000000000", 0, INT64_MAX), 10000000000);
}

TEST(ParseNumber, PrefixedTextIsHexadecimalAndThePlainFormsStayDecimal) {
  EXPECT_EQ(ParseNumber("0x1FF", 0, 8191, NumberBase::kPrefixed), 0x1FF);
  EXPECT_EQ(ParseNumber("0X1ff", 0, 8191, NumberBase::kPrefixed), 0x1FF);
  EXPECT_EQ(ParseNumber("$200", 0, 8191, NumberBase::kPrefixed), 0x200);
  EXPECT_EQ(ParseNumber("512", 0, 8191, NumberBase::kPrefixed), 512);
  EXPECT_EQ(ParseNumber("0200", 0, 8191, NumberBase::kHex), 0x200);
  for (const char* bad : {"0x", "$", "ff", "0x-1", "0x2000", "0x1g", "-0x1"}) {
    EXPECT_FALSE(ParseNumber(bad, 0, 8191, NumberBase::kPrefixed).has_value()) << bad;
  }
  EXPECT_FALSE(ParseNumber("-1", -5, 8191, NumberBase::kHex).has_value());
  EXPECT_FALSE(ParseNumber("0x10", 0, 8191, NumberBase::kHex).has_value());
}

TEST(ParseNumber, DigitsBeyondSixtyFourBitsNeverWrapRoundToASmallNumber) {
  // 16^17 is 0 modulo 2^64, and 18446744073709551620 is 2^64 + 4.
  EXPECT_FALSE(ParseNumber("100000000000000000", 0, 8191, NumberBase::kHex).has_value());
  EXPECT_FALSE(ParseNumber("0x100000000000000000", 0, 8191, NumberBase::kPrefixed).has_value());
  EXPECT_FALSE(ParseNumber("18446744073709551620", 0, 8191).has_value());
  EXPECT_FALSE(ParseNumber("-18446744073709551620", -8191, 0).has_value());
  EXPECT_FALSE(ParseNumber("100000000000000000000", 0, INT64_MAX).has_value());
  // The largest numbers that are still read.
  EXPECT_EQ(ParseNumber("4000000000000000", 0, INT64_MAX, NumberBase::kHex), int64_t{1} << 62);
  EXPECT_EQ(ParseNumber("4611686018427387904", 0, INT64_MAX), int64_t{1} << 62);
  EXPECT_FALSE(ParseNumber("4611686018427387905", 0, INT64_MAX).has_value());
}

TEST(ParseDecimal, ReadsAFractionAndRefusesEverythingElse) {
  EXPECT_DOUBLE_EQ(*ParseDecimal("2.5", 0, 10), 2.5);
  EXPECT_DOUBLE_EQ(*ParseDecimal("3", 0, 10), 3.0);
  EXPECT_DOUBLE_EQ(*ParseDecimal(".5", 0, 10), 0.5);
  EXPECT_DOUBLE_EQ(*ParseDecimal("-0.25", -1, 1), -0.25);
  for (const char* bad : {"", ".", "1.", "1.2.3", "a", "1,5", "nan", "inf", "1e2", " 1"}) {
    EXPECT_FALSE(ParseDecimal(bad, -100, 100).has_value()) << bad;
  }
  EXPECT_FALSE(ParseDecimal("10.5", 0, 10).has_value());
}

}  // namespace
}  // namespace pelorus
