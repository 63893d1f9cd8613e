// The file check on arbitrary bytes taken as 188-byte steps. The counts must add up, and counting
// the same bytes in two pieces split at a packet boundary must give the same report as one piece.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "streams/ts_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Long inputs only repeat what short ones explore; keep each run quick.
  if (size > 64 * 188) return 0;
  const std::span<const uint8_t> bytes(data, size);
  pelorus::TsStatistics whole;
  const size_t taken = whole.Feed(bytes);
  if (taken % 188 != 0 || taken > size || size - taken >= 188) std::abort();

  uint64_t sum = 0;
  for (uint16_t pid = 0; pid < pelorus::ts::kPidCount; ++pid) {
    sum += whole.PidPackets(pid);
    if (whole.PidContinuityErrors(pid) > whole.PidPackets(pid)) std::abort();
  }
  if (sum != whole.Packets() || whole.BadSync() > sum || whole.TsErrors() > sum) std::abort();
  if (whole.PidContinuityErrors(pelorus::ts::kNullPid) != 0) std::abort();

  const size_t split = size == 0 ? 0 : (data[0] % (size / 188 + 1)) * 188;
  pelorus::TsStatistics pieces;
  pieces.Feed(bytes.first(split));
  pieces.Feed(bytes.subspan(split));
  const std::string report = whole.Report();
  if (pieces.Report() != report) std::abort();
  if (report.rfind("Packet statistics for ", 0) != 0) std::abort();
  return 0;
}
