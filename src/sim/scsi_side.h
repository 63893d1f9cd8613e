#pragma once

#include <thread>
#include <vector>

#include "sim_state.h"

namespace sim {

// Listens on the Unix socket of --scsi-socket and answers the receiver's SCSI command set on
// it, one thread per connection, from the memory model shared with the serial side.
bool StartScsiSide(SimState& state, std::vector<std::jthread>& threads);

}  // namespace sim
