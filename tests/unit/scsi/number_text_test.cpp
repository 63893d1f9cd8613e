#include "scsi/number_text.h"

#include <gtest/gtest.h>

namespace pelorus {
namespace {

TEST(NumberTextTest, PrefixesChooseHexadecimalInAnyCase) {
  EXPECT_EQ(ParseNumberText("$FF"), 255u);
  EXPECT_EQ(ParseNumberText("0xff"), 255u);
  EXPECT_EQ(ParseNumberText("0XFF"), 255u);
  EXPECT_EQ(ParseNumberText("$d0000"), 0xD0000u);
  EXPECT_EQ(ParseNumberText("0x10038600"), 0x10038600u);
}

TEST(NumberTextTest, WithoutPrefixTheTextIsDecimal) {
  EXPECT_EQ(ParseNumberText("1234"), 1234u);
  EXPECT_EQ(ParseNumberText("  65536 "), 65536u);
  EXPECT_EQ(ParseNumberText("-1"), 0xFFFFFFFFu);
  // Text that is not wholly a number is no number, rather than the digits it begins with.
  for (const char* bad : {"ff", "12ab", "", "  ", "0x", "$", "abc", "1 2", "0x1g", "--1"}) {
    EXPECT_FALSE(ParseNumberText(bad).has_value()) << bad;
  }
}

TEST(NumberTextTest, NumbersBeyondThirtyTwoBitsAreNotTakenModulo) {
  EXPECT_EQ(ParseNumberText("0xFFFFFFFF"), 0xFFFFFFFFu);
  EXPECT_FALSE(ParseNumberText("0x100000000"));
  EXPECT_FALSE(ParseNumberText("4294967296"));
  EXPECT_EQ(ParseNumberText("4294967295"), 0xFFFFFFFFu);
}

TEST(NumberTextTest, RangeValidity) {
  EXPECT_TRUE(ParseRangeFields("0", "1").Valid());
  EXPECT_TRUE(ParseRangeFields("0x7fffffff", "$10").Valid());
  EXPECT_FALSE(ParseRangeFields("0", "0").Valid());
  EXPECT_FALSE(ParseRangeFields("0x80000000", "16").Valid());  // negative as a signed number
  EXPECT_FALSE(ParseRangeFields("-1", "16").Valid());
  EXPECT_FALSE(ParseRangeFields("0", "0xffffffff").Valid());
  EXPECT_FALSE(ParseRangeFields("0x1FFFFFFFF", "16").Valid());
}

TEST(NumberTextTest, FieldsShowTheRangeOnlyWhenItIsValid) {
  const MemoryRange valid{0xD0000, 0x40};
  EXPECT_EQ(RangeFieldText(valid, valid.address), "0xd0000");
  EXPECT_EQ(RangeFieldText(valid, valid.length), "0x40");
  const MemoryRange empty{0x1000, 0};
  EXPECT_EQ(RangeFieldText(empty, empty.address), "");
}

}  // namespace
}  // namespace pelorus
