#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "scsi_faults.h"
#include "scsi_memory.h"
#include "sim_state.h"
#include "stream_requests.h"

namespace sim {

class ScsiStreamCommands;

// One request as it came off the socket.
struct ScsiRequest {
  uint8_t adapter = 0;
  uint8_t target = 0;
  std::vector<uint8_t> cdb;
  uint8_t direction = 0;  // 0 none, 1 in, 2 out
  uint32_t length = 0;
  std::vector<uint8_t> data;  // what came with an out request
  ConnectionId connection = kNoConnection;
};

// What to do with a request: answer it, say nothing, or hang up.
struct ScsiReply {
  enum class Action { kAnswer, kSilence, kHangUp };
  Action action = Action::kAnswer;
  uint8_t status = 4;
  std::vector<uint8_t> data;
};

// The receiver's side of the command set: decodes a block and carries it out.
class ScsiCommands {
 public:
  ScsiCommands(SimState& state, ScsiMemory& memory, FaultCounter& faults);
  ~ScsiCommands();
  ScsiReply Handle(const ScsiRequest& request);
  // The connection is gone: whatever stream it set up belongs to nobody now.
  void ConnectionClosed(ConnectionId connection);

 private:
  ScsiReply Inquiry(const ScsiRequest& request) const;
  ScsiReply Carry(const ScsiRequest& request);

  SimState& state_;
  ScsiMemory& memory_;
  FaultCounter& faults_;
  std::unique_ptr<ScsiStreamCommands> streams_;  // none when the multiplex could not start
};

}  // namespace sim
