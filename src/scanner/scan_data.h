#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "scanner/lnb.h"

namespace pelorus {

// The widest range at one point per MHz is 2052 points (Universal, both oscillators); the
// tables hold twice that, and anything beyond is cut, never written past them.
inline constexpr size_t kMaxPointsPerPolarity = 4096;

struct ScanPoint {
  int32_t frequency;  // IF MHz, as the receiver reports it
  int32_t level;
  bool operator==(const ScanPoint&) const = default;
};

struct ScanSettings {
  int startMhz = 10700;
  int endMhz = 12750;
  LnbType lnb = LnbType::kUniversal;
  PolarityMode mode = PolarityMode::kBoth;
};

// What a sweep measured, or a scan file held.
struct ScanData {
  ScanSettings settings;
  std::vector<ScanPoint> horizontal;
  std::vector<ScanPoint> vertical;
  // Points of one trace, for plotting.
  size_t PlotCount() const { return std::max(horizontal.size(), vertical.size()); }
};

// The calibration profile of one LNB type: the low-band half serves segments swept with the
// lower oscillator (and single-oscillator types), the high-band half the upper oscillator.
struct CalibrationTable {
  std::vector<ScanPoint> low;
  std::vector<ScanPoint> high;
  bool Empty() const { return low.empty() && high.empty(); }
};

// Subtracts the calibration level measured at the same frequency, never going below 0.
int32_t Calibrated(const CalibrationTable& table, int highBand, ScanPoint point);

// The scan file's text: four header lines, then the horizontal and the vertical points,
// every line ended by CR LF.
std::string ScanFileHeader(const ScanSettings& settings);
std::string ScanFileText(const ScanData& data);
// The point lines alone, horizontal first, each with its CR LF.
std::vector<std::string> ScanPointLines(const ScanData& data);

// Splits the points of a sweep file into the runs of its segments: a run ends where the
// frequencies step back against the segment's direction, or leave its segment for the next
// one's. Run i belongs to segment i modulo the segment count.
std::vector<std::vector<ScanPoint>> SplitRuns(std::span<const ScanPoint> points,
                                              const std::vector<SweepSegment>& segments);

enum class ScanFileStatus { kOk, kMalformed, kTruncated };

// Reads a scan file. The header decides the range, type and mode; the points are taken from
// their own lines (so a file with a point measured twice loads right), the horizontal block
// first, each block as many runs as the range has segments. kTruncated: more points than the
// tables hold were dropped.
ScanFileStatus ParseScanFile(std::span<const uint8_t> bytes, ScanData& data);

// Reads a calibration file (a horizontal scan file). Its runs fill the halves by the
// oscillator of the segment they were swept with.
ScanFileStatus ParseCalibrationFile(std::span<const uint8_t> bytes, CalibrationTable& table);

// "cal%05d.scc" in `folder`.
std::string CalibrationFilePath(const std::string& folder, LnbType type);

}  // namespace pelorus
