#include "montery_side.h"

#include <cstdio>
#include <filesystem>

#include "pseudo_terminal.h"
#include "serial_line.h"

namespace sim {

std::optional<std::string> MonteryListener::Push(uint8_t byte) {
  if (byte != '\r') {
    if (line_.size() >= kMaxLine) {
      overlong_ = true;
    } else {
      line_.push_back(static_cast<char>(byte));
    }
    return std::nullopt;
  }
  const std::string line = std::move(line_);
  line_.clear();
  if (overlong_) {
    overlong_ = false;
    return "montery overlong command dropped";
  }
  std::string shown;
  for (const char c : line) {
    const auto byteValue = static_cast<uint8_t>(c);
    if (byteValue >= 0x20 && byteValue < 0x7F) {
      shown.push_back(c);
    } else {
      char escaped[5];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byteValue);
      shown += escaped;
    }
  }
  const bool known = line.starts_with("#70 ") || line.starts_with("#71 ");
  return (known ? "montery " : "montery unknown ") + shown;
}

bool StartMonterySide(SimState& state, std::vector<std::jthread>& threads) {
  const auto terminal = OpenLinkedTerminal(state.options.monteryLink, "--montery-link");
  if (!terminal) return false;
  state.Log("montery " + terminal->device);
  threads.emplace_back(
      [&state, master = terminal->master, keeper = terminal->keeper](std::stop_token stop) {
        SerialLine line(master, keeper, false);
        MonteryListener listener;
        while (!stop.stop_requested() && line.Connected()) {
          const auto byte = line.ReadByte(std::chrono::milliseconds(200), stop);
          if (!byte) continue;
          if (auto command = listener.Push(*byte)) state.Log(*command);
        }
        std::error_code ignored;
        std::filesystem::remove(state.options.monteryLink, ignored);
      });
  return true;
}

}  // namespace sim
