// Scan files and calibration files: written and read back, halves, calibration, limits.
#include "scanner/scan_data.h"

#include <gtest/gtest.h>

#include <string>

#include "support/temp_dir.h"

namespace pelorus {
namespace {

// The points a sweep of `segments` gives at one per MHz, levels from `level`.
std::vector<ScanPoint> Sweep(const std::vector<SweepSegment>& segments, int levelBase) {
  std::vector<ScanPoint> points;
  for (const SweepSegment& s : segments) {
    const int step = s.Descending() ? -1 : 1;
    for (int f = s.ifStart;; f += step) {
      points.push_back({f, levelBase + f % 97});
      if (f == s.ifEnd) break;
    }
  }
  return points;
}

TEST(ScanFile, WritesTheDescribedTextAndReadsItBack) {
  ScanData data;
  data.settings = {11690, 11702, LnbType::kUniversal, PolarityMode::kBoth};
  const auto segments = SweepSegments(LnbType::kUniversal, 11690, 11702);
  data.horizontal = Sweep(segments, 100);
  data.vertical = Sweep(segments, 300);
  // 11700 belongs to both segments: measured twice, so each plane has 14 points, not 13.
  ASSERT_EQ(data.horizontal.size(), 14u);
  const std::string text = ScanFileText(data);
  EXPECT_TRUE(text.starts_with("11690\r\n11702\r\n1055\r\n1044\r\n1940,"));
  EXPECT_NE(text.find("\r\n1100,"), std::string::npos);

  ScanData loaded;
  ASSERT_EQ(ParseScanFile(testing::BytesOf(text), loaded), ScanFileStatus::kOk);
  EXPECT_EQ(loaded.settings.startMhz, 11690);
  EXPECT_EQ(loaded.settings.mode, PolarityMode::kBoth);
  EXPECT_EQ(loaded.horizontal, data.horizontal);
  EXPECT_EQ(loaded.vertical, data.vertical);
  EXPECT_EQ(ScanFileText(loaded), text);
}

TEST(ScanFile, DownwardRunsSinglePlanesAndBadFiles) {
  // C band runs downwards in both planes; the vertical block starts where the IF rises again.
  ScanData data;
  data.settings = {3700, 3720, LnbType::kCBand, PolarityMode::kBothWithPause};
  const auto segments = SweepSegments(LnbType::kCBand, 3700, 3720);
  data.horizontal = Sweep(segments, 10);
  data.vertical = Sweep(segments, 20);
  ScanData loaded;
  ASSERT_EQ(ParseScanFile(testing::BytesOf(ScanFileText(data)), loaded), ScanFileStatus::kOk);
  EXPECT_EQ(loaded.horizontal, data.horizontal);
  EXPECT_EQ(loaded.vertical, data.vertical);

  // Vertical only: every point is vertical, LF-only line ends are read as well.
  ASSERT_EQ(ParseScanFile(testing::BytesOf("950\n952\n1054\n1058\n950,5\n951,6\n952,7\n"), loaded),
            ScanFileStatus::kOk);
  EXPECT_TRUE(loaded.horizontal.empty());
  EXPECT_EQ(loaded.vertical.size(), 3u);

  EXPECT_EQ(ParseScanFile(testing::BytesOf(""), loaded), ScanFileStatus::kMalformed);
  EXPECT_EQ(ParseScanFile(testing::BytesOf("1\r\n2\r\n3\r\n"), loaded), ScanFileStatus::kMalformed);
  EXPECT_EQ(ParseScanFile(testing::BytesOf("950\r\n960\r\n1055\r\n9999\r\n"), loaded),
            ScanFileStatus::kMalformed);
  EXPECT_EQ(ParseScanFile(testing::BytesOf("960\r\n950\r\n1055\r\n1058\r\n"), loaded),
            ScanFileStatus::kMalformed);
}

TEST(ScanFile, TheHeaderMustHoldARangeOfItsLnbType) {
  ScanData loaded;
  const auto header = [](const std::string& start, const std::string& end, const char* lnb) {
    return start + "\r\n" + end + "\r\n1053\r\n" + lnb + "\r\n";
  };
  EXPECT_EQ(ParseScanFile(testing::BytesOf(header("10700", "12750", "1044")), loaded),
            ScanFileStatus::kOk);
  EXPECT_EQ(ParseScanFile(testing::BytesOf(header("3700", "4200", "1047")), loaded),
            ScanFileStatus::kOk);
  // The extremes of 32 bits, a range of another type, and one beyond the type's ends.
  for (const std::string& bad :
       {header("-2147483648", "2147483647", "1044"), header("3700", "4200", "1044"),
        header("10699", "12750", "1044"), header("10700", "12751", "1044"),
        header("0", "0", "1058"), header("2150", "2151", "1058")}) {
    EXPECT_EQ(ParseScanFile(testing::BytesOf(bad), loaded), ScanFileStatus::kMalformed) << bad;
    CalibrationTable table;
    EXPECT_EQ(ParseCalibrationFile(testing::BytesOf(bad), table), ScanFileStatus::kMalformed)
        << bad;
  }
}

TEST(ScanFile, AOneFrequencyScanOfBothPlanesHasOnePointInEach) {
  ScanData data;
  data.settings = {1000, 1000, LnbType::kLBand, PolarityMode::kBoth};
  data.horizontal = {{1000, 5}};
  data.vertical = {{1000, 7}};
  ScanData loaded;
  ASSERT_EQ(ParseScanFile(testing::BytesOf(ScanFileText(data)), loaded), ScanFileStatus::kOk);
  EXPECT_EQ(loaded.horizontal, data.horizontal);
  EXPECT_EQ(loaded.vertical, data.vertical);
  // The split of a Universal LNB alone is swept with the upper oscillator only.
  data.settings = {11700, 11700, LnbType::kUniversal, PolarityMode::kBothWithPause};
  data.horizontal = {{1100, 2}};
  data.vertical = {{1100, 4}};
  ASSERT_EQ(ParseScanFile(testing::BytesOf(ScanFileText(data)), loaded), ScanFileStatus::kOk);
  EXPECT_EQ(loaded.horizontal, data.horizontal);
  EXPECT_EQ(loaded.vertical, data.vertical);
}

TEST(ScanFile, MorePointsThanTheTablesHoldAreCut) {
  std::string text = "950\r\n2150\r\n1053\r\n1058\r\n";
  for (int i = 0; i < 5000; ++i) text += std::to_string(950 + i) + ",1\r\n";
  ScanData loaded;
  ASSERT_EQ(ParseScanFile(testing::BytesOf(text), loaded), ScanFileStatus::kTruncated);
  EXPECT_EQ(loaded.horizontal.size(), kMaxPointsPerPolarity);
  EXPECT_EQ(loaded.horizontal.back().frequency, 950 + static_cast<int>(kMaxPointsPerPolarity) - 1);
}

TEST(Calibration, TwoRunsFillTheHalvesAndAreSubtracted) {
  ScanData calibration;
  calibration.settings = {10700, 12750, LnbType::kUniversal, PolarityMode::kHorizontal};
  calibration.horizontal = Sweep(SweepSegments(LnbType::kUniversal, 10700, 12750), 1000);
  CalibrationTable table;
  ASSERT_EQ(ParseCalibrationFile(testing::BytesOf(ScanFileText(calibration)), table),
            ScanFileStatus::kOk);
  ASSERT_EQ(table.low.size(), 1001u);
  ASSERT_EQ(table.high.size(), 1051u);
  EXPECT_EQ(table.low.front(), (ScanPoint{950, 1000 + 950 % 97}));
  EXPECT_EQ(table.high.front(), (ScanPoint{1100, 1000 + 1100 % 97}));

  // IF 1200 is in both halves with the same level here; give the high half its own.
  table.high[100].level = 1500;
  EXPECT_EQ(Calibrated(table, 0, {1200, 5000}), 5000 - (1000 + 1200 % 97));
  EXPECT_EQ(Calibrated(table, 1, {1200, 5000}), 3500);
  EXPECT_EQ(Calibrated(table, 1, {1200, 1000}), 0);   // never below 0
  EXPECT_EQ(Calibrated(table, 1, {3000, 777}), 777);  // not calibrated there
  EXPECT_EQ(Calibrated(CalibrationTable{}, 0, {950, 5}), 5);

  // A calibration of only the upper part of a dual band is the high half's.
  calibration.settings = {11800, 12000, LnbType::kUniversal, PolarityMode::kHorizontal};
  calibration.horizontal = Sweep(SweepSegments(LnbType::kUniversal, 11800, 12000), 0);
  ASSERT_EQ(ParseCalibrationFile(testing::BytesOf(ScanFileText(calibration)), table),
            ScanFileStatus::kOk);
  EXPECT_TRUE(table.low.empty());
  EXPECT_EQ(table.high.size(), 201u);

  // C band's one downward run is one half, not a drop at every point.
  calibration.settings = {3700, 4200, LnbType::kCBand, PolarityMode::kHorizontal};
  calibration.horizontal = Sweep(SweepSegments(LnbType::kCBand, 3700, 4200), 0);
  ASSERT_EQ(ParseCalibrationFile(testing::BytesOf(ScanFileText(calibration)), table),
            ScanFileStatus::kOk);
  EXPECT_EQ(table.low.size(), 501u);
  EXPECT_TRUE(table.high.empty());
  EXPECT_EQ(CalibrationFilePath("/data/pelorus", LnbType::kUniversal),
            "/data/pelorus/cal01044.scc");
}

}  // namespace
}  // namespace pelorus
