// Switching the receiver to a channel of the list: the bytes each link carries.
#include "serial/select_channel.h"

#include <gtest/gtest.h>

#include "support/fake_ui.h"

namespace pelorus {
namespace {

TEST(SelectChannel, CommandBytesForBothLinks) {
  EXPECT_EQ(SelectChannelSerialText(5), "Z0005");
  EXPECT_EQ(SelectChannelSerialText(1234), "Z1234");
  EXPECT_EQ(SelectChannelCommand(5),
            (std::vector<uint8_t>{0x16, 0x01, 0x01, '0', '0', '0', '5', 0x00}));
  EXPECT_EQ(SelectChannelCommand(9999),
            (std::vector<uint8_t>{0x16, 0x01, 0x01, '9', '9', '9', '9', 0x00}));
}

TEST(SelectChannel, ARowBeyondFourDigitsIsRefusedNotSentAsAnother) {
  testing::FakeUi ui;
  SerialLink link(ui);
  EditorState state;
  // A port that would answer nothing: the refusal comes before any attempt to open it.
  state.links.serialPort = "/nonexistent/port";
  const std::vector<int> rows = {9999, 12344};
  EXPECT_FALSE(SelectChannelOnReceiver(state, link, rows));
  EXPECT_EQ(ui.calls, (std::vector<std::string>{
                          "busy", "idle",
                          "message stop: Row 10000 cannot be selected on the Mediamaster: it "
                          "selects channels 1 to 9999"}));
  EXPECT_FALSE(link.IsOpen());
}

TEST(SelectChannel, NoSelectedRowDoesNothing) {
  testing::FakeUi ui;
  SerialLink link(ui);
  EditorState state;
  EXPECT_FALSE(SelectChannelOnReceiver(state, link, {}));
  EXPECT_EQ(ui.calls, (std::vector<std::string>{"busy", "idle"}));
  EXPECT_FALSE(link.IsOpen());
}

}  // namespace
}  // namespace pelorus
