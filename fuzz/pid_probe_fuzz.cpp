// The PID finder's probe result and the monitor's packet dump: bytes 0-1 give the block's start
// PID (beyond the PID space too), the rest is what the receiver answered.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "si/pid_tools.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const int startPid = (data[0] << 8) | data[1];
  const std::span<const uint8_t> result(data + 2, size - 2);
  for (const auto mode : {pelorus::PidMode::kDecimal, pelorus::PidMode::kHexadecimal}) {
    const auto lines = pelorus::ScanProbeResult(result, startPid, mode);
    if (lines.size() > static_cast<size_t>(pelorus::ProbeBlockCount(startPid))) std::abort();
  }
  if (pelorus::ProbeBlock(startPid).size() % 2 != 0) std::abort();
  if (pelorus::PacketDumpRows(result).size() != 12) std::abort();
  return 0;
}
