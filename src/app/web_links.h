#pragma once

#include <optional>
#include <string>

namespace pelorus {

// The web address a help-menu command opens: the update page ("build%d.html" on a mirror) or a
// mirror's home page. No value for any other command.
std::optional<std::string> WebLinkForCommand(int command, int build);

}  // namespace pelorus
