// PIDs typed on a command line are read as they are shown, and only whole.
#include "channels/pid_format.h"

#include <gtest/gtest.h>

namespace pelorus {
namespace {

TEST(ParsePidTextTest, HexadecimalAsShownWithOrWithoutItsPrefix) {
  EXPECT_EQ(ParsePidText("1000", PidMode::kHexadecimal), 0x1000);
  EXPECT_EQ(ParsePidText("0x1000", PidMode::kHexadecimal), 0x1000);
  EXPECT_EQ(ParsePidText("0X1ffF", PidMode::kHexadecimal), 0x1FFF);
  EXPECT_EQ(ParsePidText("0000", PidMode::kHexadecimal), 0);
  EXPECT_EQ(ParsePidText("0", PidMode::kHexadecimal), 0);
  for (const char* bad : {"2000", "0x2000", "12x", "0x", "x10", " 100", "100 ", "+100", "-1", "",
                          "0x0x10", "10000000000000000000"}) {
    EXPECT_FALSE(ParsePidText(bad, PidMode::kHexadecimal).has_value()) << bad;
  }
}

TEST(ParsePidTextTest, DecimalTakesNoHexadecimal) {
  EXPECT_EQ(ParsePidText("8191", PidMode::kDecimal), 8191);
  EXPECT_EQ(ParsePidText("0", PidMode::kDecimal), 0);
  for (const char* bad : {"8192", "0x10", "1F", "-1", "", " 1"}) {
    EXPECT_FALSE(ParsePidText(bad, PidMode::kDecimal).has_value()) << bad;
  }
}

}  // namespace
}  // namespace pelorus
