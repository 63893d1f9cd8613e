#include "pseudo_terminal.h"

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace sim {

std::optional<LinkedTerminal> OpenLinkedTerminal(const std::string& link, const char* option) {
  LinkedTerminal terminal;
  terminal.master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (terminal.master < 0 || ::grantpt(terminal.master) != 0 || ::unlockpt(terminal.master) != 0) {
    std::perror("pelorus-receiver-sim: pseudo-terminal");
    if (terminal.master >= 0) ::close(terminal.master);
    return std::nullopt;
  }
  terminal.device = ::ptsname(terminal.master);
  terminal.keeper = ::open(terminal.device.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (terminal.keeper < 0) {
    std::perror("pelorus-receiver-sim: pseudo-terminal");
    ::close(terminal.master);
    return std::nullopt;
  }
  termios tio{};
  ::tcgetattr(terminal.keeper, &tio);
  ::cfmakeraw(&tio);
  ::tcsetattr(terminal.keeper, TCSANOW, &tio);
  ::fcntl(terminal.master, F_SETFL, ::fcntl(terminal.master, F_GETFL) | O_NONBLOCK);

  std::error_code ignored;
  if (std::filesystem::is_symlink(link, ignored)) std::filesystem::remove(link, ignored);
  if (::symlink(terminal.device.c_str(), link.c_str()) != 0) {
    const std::string what = std::string("pelorus-receiver-sim: ") + option;
    std::perror(what.c_str());
    ::close(terminal.keeper);
    ::close(terminal.master);
    return std::nullopt;
  }
  return terminal;
}

}  // namespace sim
