#pragma once

#include <optional>
#include <string>

namespace sim {

// A raw pseudo-terminal whose device name is linked at a path of the user's choice: the master
// side (non-blocking) for the simulator, and a handle on the slave side that keeps the line up
// between the editor's opens.
struct LinkedTerminal {
  int master = -1;
  int keeper = -1;
  std::string device;
};

// Creates the terminal and the symlink at `link` (an old symlink there is replaced). Prints why
// it failed, naming `option`, and returns nothing on failure.
std::optional<LinkedTerminal> OpenLinkedTerminal(const std::string& link, const char* option);

}  // namespace sim
