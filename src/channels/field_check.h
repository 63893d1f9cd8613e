#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "channels/channel_dialog_model.h"

namespace pelorus {

// Whether the whole text is one number as the field reads it ("%d", or "%X" with an optional
// "0x"): blanks around it are allowed, anything else is not. Text that passes is read exactly as
// before; text that fails would be read only in part ("12x" as 12) or not at all ("ZZZZ").
bool IsWholeNumber(std::string_view text, bool hexadecimal);

// The number fields of the channel dialog whose text the dialog cannot read whole, by the names
// of their controls, in the dialog's order. OK is refused while any is listed.
std::vector<std::string> UnreadableChannelFields(const ChannelDialogFields& fields, PidMode mode);

}  // namespace pelorus
