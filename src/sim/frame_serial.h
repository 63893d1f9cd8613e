#pragma once

#include <cstdint>

#include "serial_context.h"

namespace sim {

// The frame grabber's serial commands: "1" pauses the video, "2" resumes it, "K" tells the
// picture size, "Q" and eight hexadecimal digits sends 64 KiB of memory from that address.
// False when `command` is none of them.
bool HandleFrameCommand(SerialContext& context, uint8_t command);

}  // namespace sim
