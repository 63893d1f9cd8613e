// The analysis of a recording on arbitrary bytes: byte 0 picks the block size the file is fed
// in, the rest is the file. The result may not depend on the cutting, every byte is either in a
// packet or counted as skipped, and the texts of the listing and the PID list can be built.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "si/ts_file_analysis.h"
#include "si/ts_file_listing.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const size_t block = 1 + size_t{data[0]} * 7;
  const std::span<const uint8_t> file(data + 1, size - 1);
  const pelorus::TsFileAnalysis cut = pelorus::AnalyseTsBytes(file, block);
  const pelorus::TsFileAnalysis whole = pelorus::AnalyseTsBytes(file);
  if (cut.packets != whole.packets || cut.skippedBytes != whole.skippedBytes ||
      cut.packetSize != whole.packetSize || cut.pids.size() != whole.pids.size()) {
    std::abort();
  }
  // Plain packets account for every byte; an M2TS time stamp found cut is in neither count.
  const uint64_t accounted = whole.packets * whole.packetSize + whole.skippedBytes;
  if (whole.packetSize != 192 ? accounted != file.size() : accounted > file.size() + 4) {
    std::abort();
  }
  uint64_t counted = 0;
  for (const auto& [pid, usage] : whole.pids) counted += usage.packets;
  if (counted != whole.packets) std::abort();
  (void)pelorus::ListSi(whole);
  (void)pelorus::DescribePids(whole);
  return 0;
}
