#pragma once

#include <optional>

#include "scsi_commands.h"
#include "scsi_memory.h"
#include "stream_server.h"

namespace sim {

// The stream part of the SCSI command set: stream set-up and stop (3D, 3E), stream and slot
// reads (3C 06, 3C ss), the busy word (3B 05) and the receiver commands tune (0x17) and probe
// (0x3F). It also keeps the current-service block and the probe result in receiver memory.
class ScsiStreamCommands {
 public:
  ScsiStreamCommands(SimState& state, ScsiMemory& memory, StreamServer& streams);

  // The reply when the request is one of these commands; none for every other command.
  std::optional<ScsiReply> Handle(const ScsiRequest& request);
  // Lays the probe result over a memory read that covers it.
  void OverlayRead(uint32_t address, std::vector<uint8_t>& data);

 private:
  void WriteCurrentService();

  SimState& state_;
  ScsiMemory& memory_;
  StreamServer& streams_;
};

}  // namespace sim
