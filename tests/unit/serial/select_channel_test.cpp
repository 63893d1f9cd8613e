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
  // Only four digits fit: the receiver's own form keeps the last four.
  EXPECT_EQ(SelectChannelCommand(12345),
            (std::vector<uint8_t>{0x16, 0x01, 0x01, '2', '3', '4', '5', 0x00}));
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
