#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "scsi/scsi_transport.h"
#include "scsi/stream_primitives.h"
#include "si/nit.h"
#include "si/psi_tables.h"
#include "si/sdt.h"

namespace pelorus {

// Reads the tables of the tuned multiplex, every section of each: the NIT and the SDT of this
// multiplex (the other networks' and multiplexes' tables and the BAT on the same PIDs are passed
// over), the PAT, and one programme's PMT. Each gives up after the capture's time-out, so a PID
// that carries nothing ends in no value instead of a wait; a table whose last sections never
// came by then is what came of it. A lost or silent receiver ends a read at once, with
// `*failure` (when given) saying why.
std::optional<Nit> ReadNit(ScsiTransport& transport, CaptureLimits limits = {},
                           LinkFailure* failure = nullptr);
std::optional<Sdt> ReadSdt(ScsiTransport& transport, CaptureLimits limits = {},
                           LinkFailure* failure = nullptr);
std::optional<Pat> ReadPat(ScsiTransport& transport, CaptureLimits limits = {},
                           LinkFailure* failure = nullptr);
std::optional<Pmt> ReadPmt(ScsiTransport& transport, const PatProgram& program,
                           CaptureLimits limits = {}, LinkFailure* failure = nullptr);

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
// The numbers the tune command can carry: five digits each (the symbol rate's are ten times
// the number's first five).
inline constexpr int kMinTuneNumber = 1;
inline constexpr int kMaxTuneNumber = 99999;
// Sends it and gives the receiver half a second to lock. False when the receiver refused it or
// could not be reached, with `*failure` (when given) saying why.
bool SendTuneCommand(ScsiTransport& transport, int frequencyMhz, int symbolRate, int fecIndex,
                     bool vertical, LinkFailure* failure = nullptr);

}  // namespace pelorus
