#pragma once

#include <thread>
#include <vector>

#include "sim_state.h"

namespace sim {

// Creates a pseudo-terminal, links its device name at --serial-link and answers the
// receiver's serial protocol on it from a thread of its own. With --log FILE, every channel
// table the editor writes is also stored, byte for byte, in FILE.table.
bool StartSerialSide(SimState& state, std::vector<std::jthread>& threads);

}  // namespace sim
