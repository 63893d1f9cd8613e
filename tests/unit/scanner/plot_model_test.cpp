// The plot's geometry: layout, normalisation, traces and the x <-> frequency mapping.
#include "scanner/plot_model.h"

#include <gtest/gtest.h>

#include "scanner/signal_session.h"
#include "support/records.h"

namespace pelorus {
namespace {

ScanData Flat(size_t count, int32_t level, PolarityMode mode = PolarityMode::kHorizontal) {
  ScanData data;
  data.settings = {950, 950 + static_cast<int>(count) - 1, LnbType::kLBand, mode};
  for (size_t i = 0; i < count; ++i) data.horizontal.push_back({950 + static_cast<int>(i), level});
  return data;
}

TEST(PlotModel, NormalisationShiftsBothTracesByTheirFloor) {
  ScanData data = Flat(3, 0, PolarityMode::kBoth);
  data.horizontal = {{950, 0}, {951, 700}, {952, 400}};
  data.vertical = {{950, 300}, {951, 70000}, {952, 1000}};
  const LevelRange range = NormaliseLevels(data);
  EXPECT_EQ(data.horizontal[1].level, 400);
  EXPECT_EQ(data.vertical[0].level, 0);
  EXPECT_EQ(range.minimum, -300);
  EXPECT_EQ(range.maximum, 69700);
  // Nothing above 0: nothing to shift.
  ScanData zeros = Flat(4, 0);
  EXPECT_EQ(NormaliseLevels(zeros).maximum, 0);
  EXPECT_EQ(zeros.horizontal[0].level, 0);
}

TEST(PlotModel, TracesFillThePlotAndScaleToTheMaximum) {
  const PlotLayout layout = LayoutFor(1000, 500);
  EXPECT_EQ(layout.left, 100);
  EXPECT_EQ(layout.top, 50);
  EXPECT_EQ(layout.bottom, 450);
  EXPECT_EQ(layout.PlotWidth(), 900);

  // Fewer points than columns: one pixel per point, and the data ends early.
  ScanData few = Flat(300, 200);
  few.horizontal[10].level = 400;
  PlotTraces traces = BuildTraces(few, layout, 400);
  ASSERT_EQ(traces.horizontal.size(), 300u);
  EXPECT_EQ(traces.horizontal[0], (Vertex{101, 249}));
  EXPECT_EQ(traces.horizontal[10].y, 50 - 1 + 0);  // the maximum reaches the top
  EXPECT_EQ(traces.lastX, 400);
  EXPECT_TRUE(traces.vertical.empty());

  // More points than columns: every column gets one vertex, to the right edge.
  ScanData many = Flat(2052, 100);
  traces = BuildTraces(many, layout, 100);
  EXPECT_EQ(traces.horizontal.size(), 900u);
  EXPECT_EQ(traces.lastX, 1000);
  for (const Vertex& v : traces.horizontal) ASSERT_EQ(v.y, 49);

  // Levels below the floor stay on the plot; a zero maximum does not divide by zero.
  ScanData low = Flat(10, -50);
  traces = BuildTraces(low, layout, 0);
  for (const Vertex& v : traces.horizontal) EXPECT_EQ(v.y, 449);
}

TEST(PlotModel, FrequencyAndXMapOntoEachOther) {
  ScanSettings settings{10700, 12750, LnbType::kUniversal, PolarityMode::kBoth};
  EXPECT_EQ(FrequencyAtX(100, settings, 100, 1000), 10700);
  EXPECT_EQ(FrequencyAtX(1000, settings, 100, 1000), 12750);
  EXPECT_EQ(FrequencyAtX(550, settings, 100, 1000), 11725);
  EXPECT_EQ(FrequencyAtX(101, settings, 100, 1000), 10702);  // 2050 / 900 truncated
  for (int mhz : {10700, 11000, 11725, 12750}) {
    const int x = XAtFrequency(mhz, settings, 100, 1000);
    EXPECT_LE(std::abs(FrequencyAtX(x, settings, 100, 1000) - mhz), 3) << mhz;
  }
  EXPECT_EQ(FrequencyAtX(500, settings, 100, 100), 10700);  // no data yet
}

TEST(PlotModel, RangesAndMarkers) {
  std::vector<FrequencyRange> ranges;
  EXPECT_TRUE(AddSelectedRange(ranges, 11500, 11200));
  EXPECT_EQ(ranges.back(), (FrequencyRange{11200, 11500}));
  EXPECT_FALSE(AddSelectedRange(ranges, 11500, 11900));  // an end inside (inclusive)
  EXPECT_FALSE(AddSelectedRange(ranges, 11000, 11200));
  EXPECT_TRUE(AddSelectedRange(ranges, 11000, 11199));
  EXPECT_EQ(ranges.size(), 2u);

  std::vector<ChannelRecord> records = {
      testing::MakeChannel("a", 11000), testing::MakeChannel("b", 11000),
      testing::MakeChannel("c", 11000), testing::MakeChannel("d", 13000)};
  records[2].polarity = 1;
  const ScanSettings settings{10700, 12750, LnbType::kUniversal, PolarityMode::kBoth};
  EXPECT_EQ(MarkersFromRows(records, {0, 1, 2, 3, 7, -1}, settings),
            (std::vector<ChannelMarker>{{11000, false}, {11000, true}}));
}

}  // namespace
}  // namespace pelorus
