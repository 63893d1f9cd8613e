#pragma once

#include <string>

namespace pelorus {

// The folder of the running program.
std::string ProgramFolder();

// Where the files that ship with the program (the receiver subroutines, the simulator's
// streams) are found: `share/pelorus` beside an installed program's `bin`, else the program's
// own folder, where the build puts them.
std::string ShippedDataFolder();

}  // namespace pelorus
