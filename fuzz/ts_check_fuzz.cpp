// The file check on arbitrary bytes, with its re-synchronisation. Every byte must be accounted
// for exactly once (in a packet, skipped, or in the tail), the counts must add up, and feeding the
// same bytes cut anywhere into pieces must give the same report as one piece.
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
  whole.Feed(bytes);
  whole.Finish();
  if (whole.Packets() * 188 + whole.SkippedBytes() + whole.TailBytes() != size) std::abort();
  if (whole.TailBytes() >= 188) std::abort();
  if ((whole.SkippedBytes() > 0) != (whole.SyncLosses() > 0)) std::abort();

  uint64_t sum = 0;
  for (uint16_t pid = 0; pid < pelorus::ts::kPidCount; ++pid) {
    sum += whole.PidPackets(pid);
    if (whole.PidContinuityErrors(pid) > whole.PidPackets(pid)) std::abort();
  }
  if (sum != whole.Packets() || whole.BadSync() > sum || whole.TsErrors() > sum) std::abort();
  if (whole.PidContinuityErrors(pelorus::ts::kNullPid) != 0) std::abort();

  // Three pieces cut where the first bytes say, down to single bytes.
  const size_t first = size == 0 ? 0 : data[0] % (size + 1);
  const size_t second = size < 2 ? first : first + data[1] % (size - first + 1);
  pelorus::TsStatistics pieces;
  pieces.Feed(bytes.first(first));
  pieces.Feed(bytes.subspan(first, second - first));
  for (size_t at = second; at < size; ++at) {
    // The rest byte by byte when the input asks for it, else in one go.
    if (size > 2 && (data[2] & 1) != 0) {
      pieces.Feed(bytes.subspan(at, 1));
    } else {
      pieces.Feed(bytes.subspan(at));
      break;
    }
  }
  pieces.Finish();
  const std::string report = whole.Report();
  if (pieces.Report() != report) std::abort();
  if (report.rfind("Packet statistics for ", 0) != 0) std::abort();
  return 0;
}
