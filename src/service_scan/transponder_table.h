#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "service_scan/transponder.h"

namespace pelorus {

// What a transponder table holds: the DVB-S transponders in file order, and how many entries
// were left out — DVB-S2 ones (the receiver demodulates DVB-S only), ones of other delivery
// systems, and ones that could not be read (their line numbers).
struct TransponderTable {
  std::vector<SearchTransponder> transponders;
  int dvbS2 = 0;
  int otherSystems = 0;
  std::vector<int> badLines;
};

// Reads a transponder table in either of its forms:
// - blocks of "KEY = VALUE" lines, each block opened by a "[NAME]" line (usually [CHANNEL]),
//   with DELIVERY_SYSTEM (DVBS, DVBS2, ...; DVBS when absent), FREQUENCY in kHz, POLARIZATION
//   (HORIZONTAL, VERTICAL, LEFT, RIGHT), SYMBOL_RATE in symbols/s and INNER_FEC ("3/4", AUTO);
// - one line per transponder, "S freq pol rate [fec ...]" ("S1" the same, "S2" second
//   generation, other letters other delivery systems), the frequency in kHz (in MHz when below
//   100000) and the rate in symbols/s (in kS/s when below 100000).
// Lines starting with '#' are comments in both. Left and right circular polarisation go out as
// horizontal and vertical.
TransponderTable ParseTransponderTable(std::span<const uint8_t> bytes);

// The orbital position a table's file name ends in: "Astra-19.2E" and "S19.2E" give 192,
// "Thor-0.8W" gives -8.
std::optional<int> TablePosition(std::string_view fileName);

// Where the installed tables live; PELORUS_SCAN_TABLES names another folder.
inline constexpr char kScanTablesFolder[] = "/usr/share/dvb/dvb-s";
std::string ScanTablesFolder();
// The table files of a folder, by name; none when the folder is not there.
std::vector<std::string> TableNames(const std::string& folder);

// The file a --transponders word means: a file that exists; else the table of `folder` with that
// name (case ignored), else the one whose name holds it, else the one at that orbital position
// ("19.2E"). No value when nothing fits.
std::optional<std::string> FindTransponderTable(const std::string& nameOrPath,
                                                const std::string& folder);

}  // namespace pelorus
