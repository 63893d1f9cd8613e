// Scan files and calibration files as they come from disk.
#include <cstddef>
#include <cstdint>
#include <span>

#include "scanner/plot_model.h"
#include "scanner/scan_data.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> bytes(data, size);
  pelorus::ScanData scan;
  if (pelorus::ParseScanFile(bytes, scan) != pelorus::ScanFileStatus::kMalformed) {
    if (scan.horizontal.size() > pelorus::kMaxPointsPerPolarity ||
        scan.vertical.size() > pelorus::kMaxPointsPerPolarity) {
      __builtin_trap();
    }
    // The plot must take whatever a file held.
    const pelorus::LevelRange levels = pelorus::NormaliseLevels(scan);
    const auto traces = pelorus::BuildTraces(scan, pelorus::LayoutFor(640, 480), levels.maximum);
    for (const auto& vertex : traces.horizontal)
      if (vertex.x > 640 || vertex.y >= 480) __builtin_trap();
    (void)pelorus::FrequencyAtX(300, scan.settings, 64, traces.lastX);
  }
  pelorus::CalibrationTable table;
  if (pelorus::ParseCalibrationFile(bytes, table) != pelorus::ScanFileStatus::kMalformed) {
    if (table.low.size() > pelorus::kMaxPointsPerPolarity ||
        table.high.size() > pelorus::kMaxPointsPerPolarity) {
      __builtin_trap();
    }
  }
  return 0;
}
