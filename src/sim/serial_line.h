#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <stop_token>
#include <string>
#include <string_view>

namespace sim {

// The receiver's end of the serial line: the master side of the pseudo-terminal.
class SerialLine {
 public:
  // Takes ownership of both descriptors. `slaveKeeper` is the simulator's own handle on the
  // terminal: it keeps the line up between the editor's opens and tells the editor's speed.
  SerialLine(int master, int slaveKeeper, bool throttle);
  ~SerialLine();
  SerialLine(const SerialLine&) = delete;
  SerialLine& operator=(const SerialLine&) = delete;

  // One byte, or nothing when `timeout` passed, a stop was requested or the line is gone.
  std::optional<uint8_t> ReadByte(std::chrono::milliseconds timeout, std::stop_token stop);
  // Exactly bytes.size() bytes, each within `timeout` of the one before; returns how many came.
  size_t ReadExact(std::span<uint8_t> bytes, std::chrono::milliseconds timeout,
                   std::stop_token stop);
  void Send(std::span<const uint8_t> bytes, std::stop_token stop);
  void Send(std::string_view text, std::stop_token stop);

  // Pulls the plug: the editor's end sees a hang-up and nothing more is exchanged.
  void Disconnect();
  bool Connected() const { return master_ >= 0; }

 private:
  int BitsPerSecond() const;

  int master_;
  int slaveKeeper_;
  bool throttle_;
  std::deque<uint8_t> pending_;
};

}  // namespace sim
