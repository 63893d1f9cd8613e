#include "channels/field_check.h"

#include <gtest/gtest.h>

#include "channels/number_scan.h"
#include "support/records.h"

namespace pelorus {
namespace {

TEST(FieldCheck, WholeNumbersPassAndAreReadAsTheScanReadsThem) {
  struct Case {
    const char* text;
    bool hexadecimal;
    bool whole;
  };
  const Case cases[] = {
      {"12", false, true},   {" 12 ", false, true}, {"-5", false, true}, {"+7", false, true},
      {"12x", false, false}, {"x12", false, false}, {"", false, false},  {"  ", false, false},
      {"1 2", false, false}, {"1F", false, false},  {"1F", true, true},  {"0x1ff", true, true},
      {"0X1FF", true, true}, {"ZZZZ", true, false}, {"0x", true, false}, {"1FG", true, false},
      {"-0x10", true, true}, {"0x 1", true, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsWholeNumber(c.text, c.hexadecimal), c.whole) << c.text;
    if (!c.whole) continue;
    // What passes, the field's own reading takes whole.
    int32_t value = 0;
    EXPECT_TRUE(c.hexadecimal ? ScanHex(c.text, value) : ScanDecimal(c.text, value)) << c.text;
  }
}

TEST(FieldCheck, NamesTheUnreadableFieldsOfTheChannelDialogInItsOrder) {
  const ChannelRecord record = testing::MakeChannel("Channel", 11778);
  ChannelDialogFields fields = ShowChannelFields(record, PidMode::kHexadecimal);
  EXPECT_TRUE(UnreadableChannelFields(fields, PidMode::kHexadecimal).empty());
  EXPECT_TRUE(
      UnreadableChannelFields(ShowChannelFields(record, PidMode::kDecimal), PidMode::kDecimal)
          .empty());
  fields.frequency = "12x";
  fields.videoPid = "ZZZZ";
  fields.scrambling = "";
  EXPECT_EQ(UnreadableChannelFields(fields, PidMode::kHexadecimal),
            (std::vector<std::string>{"frequency", "videoPid", "scrambling"}));
  // In decimal mode a hexadecimal PID is no number either.
  fields = ShowChannelFields(record, PidMode::kHexadecimal);
  EXPECT_FALSE(UnreadableChannelFields(fields, PidMode::kDecimal).empty());
}

}  // namespace
}  // namespace pelorus
