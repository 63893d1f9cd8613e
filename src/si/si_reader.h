#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "scsi/scsi_transport.h"
#include "scsi/stream_primitives.h"
#include "si/si_tables.h"

namespace pelorus {

// Reads the tables of the tuned multiplex through the section capture. Each gives up after the
// capture's time-out, so a PID that carries nothing ends in no value instead of a wait.
std::optional<NitInfo> ReadNit(ScsiTransport& transport, CaptureLimits limits = {});
std::optional<PatInfo> ReadPat(ScsiTransport& transport, CaptureLimits limits = {});
std::optional<PmtInfo> ReadPmt(ScsiTransport& transport, const PatProgram& program,
                               CaptureLimits limits = {});

// The manual tune: the FEC choices in the order of their index, as the dialog captions them.
inline constexpr std::array<const char*, 6> kTuneFecCaptions = {"1/1", "1/2", "2/3",
                                                                "3/4", "5/6", "7/8"};
// The index of a caption; no value for anything else.
std::optional<int> TuneFecIndex(std::string_view caption);

// A number typed into the tune dialog, read as a decimal integer the way the C library reads
// it (leading digits; nothing gives 0), held within int.
int TypedNumber(std::string_view text);

// The 16 data bytes of the tune command (0x17): the first five digits of the frequency in MHz
// and of ten times the symbol-rate number, the FEC index and the polarisation as digits.
std::vector<uint8_t> TuneCommandData(int frequencyMhz, int symbolRate, int fecIndex, bool vertical);
// Sends it and gives the receiver half a second to lock; the status is not examined.
void SendTuneCommand(ScsiTransport& transport, int frequencyMhz, int symbolRate, int fecIndex,
                     bool vertical);

}  // namespace pelorus
