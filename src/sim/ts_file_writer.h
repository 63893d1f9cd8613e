#pragma once

#include <string>

#include "es_assets.h"
#include "sim_state.h"

namespace sim {

// --write-ts FILE --seconds S: the tuned transport stream's first S seconds at the configured
// rate, null packets included, written as fast as the disk takes them. False (with a message
// on stderr) when the file cannot be written.
bool WriteTransportStreamFile(const SimOptions& options, const StreamAssets& assets);

}  // namespace sim
