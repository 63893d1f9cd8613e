#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "common/editor_state.h"
#include "serial/serial_link.h"

namespace pelorus {

// The highest channel the receiver's selection commands can name.
inline constexpr int kMaxSelectableChannel = 9999;

// The receiver command that switches to channel `channel` (1..9999): 16 01 01, the number as
// four ASCII digits ("%.4u"), 00.
std::vector<uint8_t> SelectChannelCommand(int channel);
// The same over the serial port: "Z%04d".
std::string SelectChannelSerialText(int channel);

// Command 40062 "&Controllo Canali": switches the receiver to the channel of the first selected
// row, over SCSI when the scan found the receiver there, else over the serial port. A missing
// answer is not reported. A row beyond 9999 is refused with a message. True when the command
// was sent.
bool SelectChannelOnReceiver(EditorState& state, SerialLink& link, std::span<const int> selection);

}  // namespace pelorus
