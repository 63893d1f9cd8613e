#include "scanner/plot_model.h"

#include <algorithm>
#include <cmath>

namespace pelorus {

PlotLayout LayoutFor(int width, int height) {
  PlotLayout layout;
  layout.width = width;
  layout.height = height;
  layout.left = width / 10;
  layout.top = height / 10;
  layout.bottom = height - height / 10;
  layout.right = width;
  return layout;
}

LevelRange NormaliseLevels(ScanData& data) {
  int32_t floor = 65535;
  for (const auto* trace : {&data.horizontal, &data.vertical})
    for (const ScanPoint& point : *trace)
      if (point.level > 0 && point.level < floor) floor = point.level;
  // A trace with no level above 0 is already at its floor.
  if (floor == 65535) floor = 0;
  LevelRange range{INT32_MAX, INT32_MIN};
  for (auto* trace : {&data.horizontal, &data.vertical}) {
    for (ScanPoint& point : *trace) {
      point.level = static_cast<int32_t>(
          std::clamp<int64_t>(int64_t{point.level} - floor, INT32_MIN, INT32_MAX));
      range.minimum = std::min(range.minimum, point.level);
      range.maximum = std::max(range.maximum, point.level);
    }
  }
  if (range.minimum > range.maximum) range = {};
  return range;
}

namespace {

std::vector<Vertex> BuildTrace(const std::vector<ScanPoint>& points, size_t plotCount,
                               const PlotLayout& layout, int32_t maximumLevel) {
  std::vector<Vertex> vertices;
  const int columns = std::max(1, layout.PlotWidth());
  const double perColumn = static_cast<double>(plotCount) / columns;
  const double scale =
      static_cast<double>(std::max<int32_t>(1, maximumLevel)) / std::max(1, layout.PlotHeight());
  const auto vertexY = [&layout, scale](double level) {
    const double y = layout.bottom - level / scale - 1;
    return static_cast<int>(
        std::clamp(y, static_cast<double>(layout.top - 1), static_cast<double>(layout.bottom - 1)));
  };
  vertices.reserve(std::min<size_t>(points.size(), static_cast<size_t>(columns)));
  if (perColumn <= 1.0) {
    for (size_t i = 0; i < points.size(); ++i)
      vertices.push_back({layout.left + static_cast<int>(i) + 1, vertexY(points[i].level)});
    return vertices;
  }
  // Column k takes the points from floor(k * perColumn) up to floor((k + 1) * perColumn).
  size_t next = 0;
  for (int k = 0; k < columns && next < points.size(); ++k) {
    const size_t end = std::min(points.size(), static_cast<size_t>((k + 1) * perColumn));
    if (end <= next) continue;
    double sum = 0;
    for (size_t i = next; i < end; ++i) sum += points[i].level;
    vertices.push_back({layout.left + k + 1, vertexY(sum / static_cast<double>(end - next))});
    next = end;
  }
  return vertices;
}

}  // namespace

PlotTraces BuildTraces(const ScanData& data, const PlotLayout& layout, int32_t maximumLevel) {
  PlotTraces traces;
  const size_t count = data.PlotCount();
  if (IncludesHorizontal(data.settings.mode))
    traces.horizontal = BuildTrace(data.horizontal, count, layout, maximumLevel);
  if (IncludesVertical(data.settings.mode))
    traces.vertical = BuildTrace(data.vertical, count, layout, maximumLevel);
  traces.lastX = layout.left + 1;
  for (const auto* trace : {&traces.horizontal, &traces.vertical})
    if (!trace->empty()) traces.lastX = std::max(traces.lastX, trace->back().x);
  return traces;
}

int FrequencyAtX(int x, const ScanSettings& settings, int left, int lastX) {
  if (lastX <= left) return settings.startMhz;
  const int64_t span = int64_t{settings.endMhz} - settings.startMhz;
  return static_cast<int>(settings.startMhz + (int64_t{x} - left) * span / (int64_t{lastX} - left));
}

int XAtFrequency(int mhz, const ScanSettings& settings, int left, int lastX) {
  if (settings.endMhz <= settings.startMhz) return left;
  const int64_t span = int64_t{settings.endMhz} - settings.startMhz;
  return static_cast<int>(left +
                          (int64_t{mhz} - settings.startMhz) * (int64_t{lastX} - left) / span);
}

}  // namespace pelorus

namespace pelorus {

std::vector<ChannelMarker> MarkersFromRows(const std::vector<ChannelRecord>& records,
                                           const std::vector<int>& rows,
                                           const ScanSettings& settings) {
  std::vector<ChannelMarker> markers;
  for (const int row : rows) {
    if (row < 0 || static_cast<size_t>(row) >= records.size()) continue;
    const ChannelRecord& record = records[static_cast<size_t>(row)];
    if (record.frequency < settings.startMhz || record.frequency > settings.endMhz) continue;
    const ChannelMarker marker{record.frequency, record.polarity != 0};
    if (std::find(markers.begin(), markers.end(), marker) == markers.end())
      markers.push_back(marker);
  }
  return markers;
}

}  // namespace pelorus
