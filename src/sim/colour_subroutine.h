#pragma once

#include "serial_context.h"

namespace sim {

// The colour subroutine: "!" when it is ready, then one command: "W" and five 32-bit values
// (least significant byte first) set the colour table, "R" answers it as 40 hexadecimal
// characters.
void RunColourSubroutine(SerialContext& context);

}  // namespace sim
