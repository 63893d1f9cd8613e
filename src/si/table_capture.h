#pragma once

#include <cstdint>
#include <functional>

#include "scsi/scsi_transport.h"
#include "scsi/stream_primitives.h"
#include "si/section.h"

namespace pelorus {

// Reads the sections of one PID of the tuned multiplex through slot 0, one packet at a time,
// with the per-PID section assembler, and hands every whole section with a right CRC to `take`
// until it returns true (it has what it wanted). Gives up as the section capture does: after
// the limits' time-out or stop request, or when the receiver keeps failing its reads. The
// stream is stopped on every way out. A lost or silent receiver ends it at once, with
// `*failure` (when given) saying why. True when `take` was satisfied.
bool CaptureSections(ScsiTransport& transport, uint16_t pid,
                     const std::function<bool(const Section& section)>& take,
                     const CaptureLimits& limits, LinkFailure* failure = nullptr);

}  // namespace pelorus
