#include "scanner/scan_data.h"

#include <algorithm>

#include "common/byte_reader.h"
#include "common/strfmt.h"
#include "scanner/messages.h"
#include "scanner/reply_text.h"

namespace pelorus {
namespace {

// The lines of a text file through one reader; CR and LF both end a line, empty lines are
// skipped. Lines longer than any the files hold are cut.
std::vector<std::string> TextLines(std::span<const uint8_t> bytes) {
  constexpr size_t kLongestLine = 256;
  std::vector<std::string> lines;
  ByteReader reader(bytes);
  std::string line;
  while (reader.Remaining() > 0) {
    const uint8_t byte = reader.U8();
    if (byte == '\r' || byte == '\n') {
      if (!line.empty()) lines.push_back(std::move(line));
      line.clear();
    } else if (line.size() < kLongestLine) {
      line.push_back(static_cast<char>(byte));
    }
  }
  if (!line.empty()) lines.push_back(std::move(line));
  return lines;
}

struct ParsedFile {
  ScanSettings settings;
  std::vector<ScanPoint> points;
  bool truncated = false;
};

// The header and every point line. False when the header is not a scan file's.
bool ParseFile(std::span<const uint8_t> bytes, size_t pointLimit, ParsedFile& parsed) {
  const std::vector<std::string> lines = TextLines(bytes);
  if (lines.size() < 4) return false;
  int header[4] = {};
  for (size_t i = 0; i < 4; ++i) {
    const std::vector<int32_t> value = ParseIntegerList(lines[i], 1);
    if (value.size() != 1) return false;
    header[i] = value[0];
  }
  const auto mode = FindPolarityMode(header[2]);
  const auto lnb = FindLnb(header[3]);
  if (!mode || !lnb) return false;
  parsed.settings = {header[0], header[1], lnb->type, *mode};
  // Only a range the type can have, as the dialog and the console take: anything else would
  // make the plot divide by nothing or the sums overflow.
  if (!RangeAllowed(lnb->type, header[0], header[1])) return false;
  for (size_t i = 4; i < lines.size(); ++i) {
    const auto point = ParseSweepLine(lines[i]);
    if (!point) break;
    if (parsed.points.size() >= pointLimit) {
      parsed.truncated = true;
      break;
    }
    parsed.points.push_back(*point);
  }
  return true;
}

void AppendCapped(std::vector<ScanPoint>& into, const std::vector<ScanPoint>& run,
                  bool& truncated) {
  const size_t room = kMaxPointsPerPolarity - std::min(kMaxPointsPerPolarity, into.size());
  if (run.size() > room) truncated = true;
  into.insert(into.end(), run.begin(),
              run.begin() + static_cast<std::ptrdiff_t>(std::min(room, run.size())));
}

}  // namespace

int32_t Calibrated(const CalibrationTable& table, int highBand, ScanPoint point) {
  const std::vector<ScanPoint>& half = highBand ? table.high : table.low;
  for (const ScanPoint& entry : half) {
    if (entry.frequency == point.frequency) {
      const int64_t level = int64_t{point.level} - entry.level;
      return static_cast<int32_t>(std::clamp<int64_t>(level, 0, INT32_MAX));
    }
  }
  return point.level;
}

std::string ScanFileHeader(const ScanSettings& settings) {
  return Format("%d\r\n%d\r\n%d\r\n%d\r\n", settings.startMhz, settings.endMhz,
                static_cast<int>(settings.mode), static_cast<int>(settings.lnb));
}

std::vector<std::string> ScanPointLines(const ScanData& data) {
  std::vector<std::string> lines;
  lines.reserve(data.horizontal.size() + data.vertical.size());
  for (const auto* points : {&data.horizontal, &data.vertical}) {
    for (const ScanPoint& point : *points)
      lines.push_back(Format("%d,%d\r\n", point.frequency, point.level));
  }
  return lines;
}

std::string ScanFileText(const ScanData& data) {
  std::string text = ScanFileHeader(data.settings);
  for (const std::string& line : ScanPointLines(data)) text += line;
  return text;
}

std::vector<std::vector<ScanPoint>> SplitRuns(std::span<const ScanPoint> points,
                                              const std::vector<SweepSegment>& segments) {
  std::vector<std::vector<ScanPoint>> runs;
  if (segments.empty()) return runs;
  const auto contains = [](const SweepSegment& segment, int32_t f) {
    return f >= std::min(segment.ifStart, segment.ifEnd) &&
           f <= std::max(segment.ifStart, segment.ifEnd);
  };
  for (size_t i = 0; i < points.size(); ++i) {
    bool restart = i == 0;
    if (!restart) {
      const SweepSegment& current = segments[(runs.size() - 1) % segments.size()];
      const SweepSegment& next = segments[runs.size() % segments.size()];
      const int32_t f = points[i].frequency;
      const bool backwards =
          current.Descending() ? f > points[i - 1].frequency : f < points[i - 1].frequency;
      // The next plane's first segment may start above where this one ended.
      const bool jumped = !contains(current, f) && contains(next, f);
      // A run that holds a point for every MHz of its segment is complete: with a segment of
      // one frequency the next plane starts at that same frequency.
      const bool full = runs.back().size() > static_cast<size_t>(current.Span());
      restart = backwards || jumped || full;
    }
    if (restart) runs.emplace_back();
    runs.back().push_back(points[i]);
  }
  return runs;
}

ScanFileStatus ParseScanFile(std::span<const uint8_t> bytes, ScanData& data) {
  ParsedFile parsed;
  if (!ParseFile(bytes, 2 * kMaxPointsPerPolarity + 1, parsed)) return ScanFileStatus::kMalformed;
  data = ScanData{};
  data.settings = parsed.settings;
  const bool horizontal = IncludesHorizontal(parsed.settings.mode);
  const bool vertical = IncludesVertical(parsed.settings.mode);
  const auto segments =
      SweepSegments(parsed.settings.lnb, parsed.settings.startMhz, parsed.settings.endMhz);
  const auto runs = SplitRuns(parsed.points, segments);
  bool truncated = parsed.truncated;
  for (size_t i = 0; i < runs.size(); ++i) {
    // With both planes, the first sweep's runs are horizontal and the rest vertical.
    const bool toHorizontal = horizontal && (!vertical || i < segments.size());
    AppendCapped(toHorizontal ? data.horizontal : data.vertical, runs[i], truncated);
  }
  return truncated ? ScanFileStatus::kTruncated : ScanFileStatus::kOk;
}

ScanFileStatus ParseCalibrationFile(std::span<const uint8_t> bytes, CalibrationTable& table) {
  ParsedFile parsed;
  if (!ParseFile(bytes, 2 * kMaxPointsPerPolarity + 1, parsed)) return ScanFileStatus::kMalformed;
  table = CalibrationTable{};
  const auto segments =
      SweepSegments(parsed.settings.lnb, parsed.settings.startMhz, parsed.settings.endMhz);
  const auto runs = SplitRuns(parsed.points, segments);
  bool truncated = parsed.truncated;
  // Only the first sweep's runs are the profile; a run beyond them is not one of its halves.
  for (size_t i = 0; i < runs.size() && i < segments.size(); ++i) {
    AppendCapped(segments[i].highBand ? table.high : table.low, runs[i], truncated);
  }
  if (runs.size() > segments.size()) truncated = true;
  return truncated ? ScanFileStatus::kTruncated : ScanFileStatus::kOk;
}

std::string CalibrationFilePath(const std::string& folder, LnbType type) {
  std::string path = folder;
  if (!path.empty() && path.back() != '/') path += '/';
  return path + Format(msg::scanner::kCalibrationFileName, static_cast<int>(type));
}

}  // namespace pelorus
