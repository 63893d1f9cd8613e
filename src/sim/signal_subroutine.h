#pragma once

#include "serial_context.h"

namespace sim {

// The signal subroutine ("SBR:signal"): answers sweeps and lock searches from the synthetic
// spectrum of the channel table until the end command, or until a new "CBEG" shows that the
// editor has moved on.
void RunSignalSubroutine(SerialContext& context);

}  // namespace sim
