#pragma once

#include <cstdint>
#include <vector>

#include "receiver/channel_record.h"
#include "scanner/scan_data.h"

namespace pelorus {

// Where the plot sits in a window of width x height: a tenth of the width left of it for the
// level labels, a tenth of the height above and below it.
struct PlotLayout {
  int width = 0;
  int height = 0;
  int left = 0;
  int top = 0;
  int bottom = 0;
  int right = 0;
  int PlotWidth() const { return right - left; }
  int PlotHeight() const { return bottom - top; }
};
PlotLayout LayoutFor(int width, int height);

struct LevelRange {
  int32_t minimum = 0;
  int32_t maximum = 0;
};

// Shifts both traces down by their smallest level above 0 and below 65535 (nothing when there
// is none) and returns the levels' range for the axis labels.
LevelRange NormaliseLevels(ScanData& data);

struct Vertex {
  int x;
  int y;
  bool operator==(const Vertex&) const = default;
};

// The two polylines for one layout, built once per data change or resize.
struct PlotTraces {
  std::vector<Vertex> horizontal;
  std::vector<Vertex> vertical;
  int lastX = 0;  // the right end of the data
};

// One vertex per pixel column while there are more points than columns (each the mean of its
// columns' points), else one per point; y scaled so the maximum level reaches the top.
PlotTraces BuildTraces(const ScanData& data, const PlotLayout& layout, int32_t maximumLevel);

// x <-> RF frequency over the plotted data (left .. lastX maps to start .. end).
int FrequencyAtX(int x, const ScanSettings& settings, int left, int lastX);
int XAtFrequency(int mhz, const ScanSettings& settings, int left, int lastX);

}  // namespace pelorus

namespace pelorus {

// A channel of the list drawn on the plot: green for horizontal, red for vertical.
struct ChannelMarker {
  int mhz;
  bool vertical;
  bool operator==(const ChannelMarker&) const = default;
};

// The markers of the selected rows whose frequency lies within the scanned range, each
// (frequency, plane) once. Rows outside the list are ignored.
std::vector<ChannelMarker> MarkersFromRows(const std::vector<ChannelRecord>& records,
                                           const std::vector<int>& rows,
                                           const ScanSettings& settings);

}  // namespace pelorus
