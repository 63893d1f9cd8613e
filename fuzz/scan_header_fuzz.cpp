// The four header lines of a scan file: whatever they say, the loader takes only a range the
// LNB type can have, and everything computed from an accepted header stays within bounds.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "scanner/lnb.h"
#include "scanner/plot_model.h"
#include "scanner/scan_data.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> bytes(data, size);
  pelorus::ScanData scan;
  if (pelorus::ParseScanFile(bytes, scan) == pelorus::ScanFileStatus::kMalformed) return 0;
  const pelorus::ScanSettings& settings = scan.settings;
  if (!pelorus::RangeAllowed(settings.lnb, settings.startMhz, settings.endMhz)) __builtin_trap();
  // The header written back reads the same.
  const std::string header = pelorus::ScanFileHeader(settings);
  pelorus::ScanData again;
  const auto* text = reinterpret_cast<const uint8_t*>(header.data());
  if (pelorus::ParseScanFile(std::span(text, header.size()), again) ==
          pelorus::ScanFileStatus::kMalformed ||
      again.settings.startMhz != settings.startMhz || again.settings.endMhz != settings.endMhz ||
      again.settings.lnb != settings.lnb || again.settings.mode != settings.mode) {
    __builtin_trap();
  }
  // What the sweep, the lock search and the plot compute from it.
  for (const pelorus::SweepSegment& segment :
       pelorus::SweepSegments(settings.lnb, settings.startMhz, settings.endMhz)) {
    if (segment.Span() < 0 || segment.Span() > 4096) __builtin_trap();
  }
  for (int mhz : {settings.startMhz, settings.endMhz}) {
    const pelorus::LockTuning tuning = pelorus::TuneForLock(settings.lnb, mhz);
    (void)pelorus::LockFrequency(settings.lnb, tuning.oscillator, tuning.intermediate);
    const int x = pelorus::XAtFrequency(mhz, settings, 64, 700);
    if (x < 64 || x > 700) __builtin_trap();
  }
  const int mhz = pelorus::FrequencyAtX(700, settings, 64, 700);
  if (mhz != settings.endMhz) __builtin_trap();
  return 0;
}
