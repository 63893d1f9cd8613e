// The IF conversions of every LNB type: what each sweep and lock search sends the receiver.
#include "scanner/lnb.h"

#include <gtest/gtest.h>

namespace pelorus {
namespace {

struct SegmentCase {
  LnbType type;
  int start, end;
  std::vector<SweepSegment> expected;
};

bool Same(const SweepSegment& a, const SweepSegment& b) {
  return a.ifStart == b.ifStart && a.ifEnd == b.ifEnd && a.oscillator == b.oscillator &&
         a.highBand == b.highBand;
}

TEST(LnbSegments, EveryTypeSplitsAndConvertsItsRange) {
  const std::vector<SegmentCase> cases = {
      // The examples: Universal spans the split, Quad lies above it, C band runs downwards.
      {LnbType::kUniversal, 11000, 12000, {{1250, 1950, 9750, 0}, {1100, 1400, 10600, 1}}},
      {LnbType::kQuad, 11800, 12500, {{1050, 1750, 10750, 1}}},
      {LnbType::kCBand, 3700, 4200, {{1450, 950, 5150, 0}}},
      {LnbType::kUniversal, 10700, 12750, {{950, 1950, 9750, 0}, {1100, 2150, 10600, 1}}},
      {LnbType::kUniversal, 10700, 11700, {{950, 1950, 9750, 0}}},
      {LnbType::kUniversal, 11701, 12750, {{1101, 2150, 10600, 1}}},
      // A range that starts on the split still gets swept (the high oscillator covers it).
      {LnbType::kUniversal, 11700, 11700, {{1100, 1100, 10600, 1}}},
      {LnbType::kQuad, 10700, 12750, {{950, 2000, 9750, 0}, {1000, 2000, 10750, 1}}},
      {LnbType::kTriple, 10950, 12750, {{950, 1750, 10000, 0}, {1000, 2000, 10750, 1}}},
      {LnbType::kTriple, 11000, 11750, {{1000, 1750, 10000, 0}}},
      {LnbType::kFss, 11700, 12200, {{950, 1450, 10750, 0}}},
      {LnbType::kDbs, 12200, 12700, {{950, 1450, 11250, 0}}},
      {LnbType::kAsiaPacific, 12250, 12750, {{950, 1450, 11300, 0}}},
      {LnbType::kLBand, 950, 2150, {{950, 2150, 0, 0}}},
  };
  for (const SegmentCase& c : cases) {
    const auto segments = SweepSegments(c.type, c.start, c.end);
    ASSERT_EQ(segments.size(), c.expected.size()) << static_cast<int>(c.type) << " " << c.start;
    for (size_t i = 0; i < segments.size(); ++i) {
      EXPECT_TRUE(Same(segments[i], c.expected[i]))
          << static_cast<int>(c.type) << " " << c.start << ".." << c.end << " segment " << i << ": "
          << segments[i].ifStart << ".." << segments[i].ifEnd << " osc " << segments[i].oscillator
          << " flag " << segments[i].highBand;
    }
  }
  EXPECT_EQ(SweepSegments(LnbType::kCBand, 3700, 4200)[0].Span(), 500);
}

TEST(LnbSegments, LockSearchTuningAndLockFrequencyAreInverse) {
  struct LockCase {
    LnbType type;
    int mhz;
    LockTuning expected;
  };
  const std::vector<LockCase> cases = {
      {LnbType::kUniversal, 11699, {1949, 9750, 0}},
      {LnbType::kUniversal, 11700, {1100, 10600, 1}},
      {LnbType::kQuad, 11749, {1999, 9750, 0}},
      {LnbType::kQuad, 11750, {1000, 10750, 1}},
      {LnbType::kTriple, 11749, {1749, 10000, 0}},
      {LnbType::kTriple, 11750, {1000, 10750, 1}},
      {LnbType::kFss, 12000, {1250, 10750, 0}},
      {LnbType::kDbs, 12300, {1050, 11250, 0}},
      {LnbType::kAsiaPacific, 12500, {1200, 11300, 0}},
      {LnbType::kCBand, 3800, {1350, 5150, 0}},
      {LnbType::kLBand, 1500, {1500, 0, 0}},
  };
  for (const LockCase& c : cases) {
    const LockTuning tuning = TuneForLock(c.type, c.mhz);
    EXPECT_EQ(tuning.intermediate, c.expected.intermediate) << static_cast<int>(c.type);
    EXPECT_EQ(tuning.oscillator, c.expected.oscillator) << static_cast<int>(c.type);
    EXPECT_EQ(tuning.highBand, c.expected.highBand) << static_cast<int>(c.type);
    EXPECT_EQ(LockFrequency(c.type, tuning.oscillator, tuning.intermediate), c.mhz);
  }
  EXPECT_EQ(LockFrequency(LnbType::kUniversal, 10600, 1234), 11834);
}

TEST(LnbSegments, RangeCheckUsesEachTypesLimits) {
  EXPECT_TRUE(RangeAllowed(LnbType::kUniversal, 10700, 12750));
  EXPECT_FALSE(RangeAllowed(LnbType::kUniversal, 10699, 12750));
  EXPECT_FALSE(RangeAllowed(LnbType::kUniversal, 10700, 12751));
  EXPECT_FALSE(RangeAllowed(LnbType::kUniversal, 12000, 11000));
  EXPECT_TRUE(RangeAllowed(LnbType::kCBand, 3700, 3700));
  EXPECT_FALSE(RangeAllowed(LnbType::kCBand, 950, 2150));
  EXPECT_TRUE(RangeAllowed(LnbType::kLBand, 950, 2150));
  EXPECT_FALSE(RangeAllowed(static_cast<LnbType>(1049), 10700, 12750));
  EXPECT_EQ(FindLnb("triple")->type, LnbType::kTriple);
  EXPECT_FALSE(FindLnb("ku").has_value());
  EXPECT_FALSE(FindPolarityMode(1056).has_value());
}

}  // namespace
}  // namespace pelorus
