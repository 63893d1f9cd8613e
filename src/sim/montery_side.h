#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "sim_state.h"

namespace sim {

// Cuts what a Montery 140 hears into commands: each ends with a carriage return. A complete
// command comes back as its log line: `montery #71 "HOTSAT V MPE",99` for the two commands the
// device knows ("#70 ", "#71 "), `montery unknown ...` for anything else, with bytes outside
// printable ASCII shown as \xNN. A line longer than the device's buffer is dropped whole.
class MonteryListener {
 public:
  static constexpr size_t kMaxLine = 256;

  std::optional<std::string> Push(uint8_t byte);

 private:
  std::string line_;
  bool overlong_ = false;
};

// Creates a second pseudo-terminal, links it at --montery-link and logs every command the
// editor sends a Montery 140 on it, from a thread of its own.
bool StartMonterySide(SimState& state, std::vector<std::jthread>& threads);

}  // namespace sim
