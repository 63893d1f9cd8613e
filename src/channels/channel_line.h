#pragma once

#include <span>
#include <string>

#include "receiver/channel_record.h"

namespace pelorus {

// The fixed-width text line of one channel: 137 characters and CR LF when every value has its
// usual width. Text files and the clipboard both carry channels in this form, so two editors and
// a plain text editor can exchange them.
inline constexpr size_t kChannelLineMinLength = 127;

// The line of a record, CR LF included. All PIDs are hexadecimal whatever the PID option says.
std::string FormatChannelLine(const ChannelRecord& record);

// Reads a line given without its line end, of any length. Returns false when the line is
// rejected (shorter than 127 characters, or a PMT PID above 0x1FFF); otherwise `record` holds the
// channel, tagged "DVSO". Wrong contents in a column still give a record, as in every editor that
// reads these lines.
bool ParseChannelLine(std::span<const char> line, ChannelRecord& record);

}  // namespace pelorus
