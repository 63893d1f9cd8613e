#include "scanner/lnb.h"

#include <algorithm>

namespace pelorus {
namespace {

constexpr int kCBandOscillator = 5150;

// The three types with two oscillators share one rule with their own numbers.
struct DualBand {
  int lowOscillator;
  int highOscillator;
  int split;
  int highStartBelowSplit;  // where the high segment starts when the range spans the split
};

std::optional<DualBand> DualOf(LnbType type) {
  switch (type) {
    case LnbType::kUniversal:
      return DualBand{9750, 10600, 11700, 1100};
    case LnbType::kQuad:
      return DualBand{9750, 10750, 11750, 11750 - 10750};
    case LnbType::kTriple:
      return DualBand{10000, 10750, 11750, 11750 - 10750};
    default:
      return std::nullopt;
  }
}

int SingleOscillator(LnbType type) {
  switch (type) {
    case LnbType::kFss:
      return 10750;
    case LnbType::kDbs:
      return 11250;
    case LnbType::kAsiaPacific:
      return 11300;
    case LnbType::kCBand:
      return kCBandOscillator;
    default:
      return 0;
  }
}

}  // namespace

const std::vector<LnbInfo>& LnbTypes() {
  static const std::vector<LnbInfo> types = {
      {LnbType::kUniversal, "Universale (9.750 / 10.600)", "universal", 10700, 12750},
      {LnbType::kFss, "Banda US FSS  (10.750)", "fss", 11700, 12200},
      {LnbType::kDbs, "Banda US DBS  (11.250)", "dbs", 12200, 12700},
      {LnbType::kCBand, "Banda C (5.150)", "c", 3700, 4200},
      {LnbType::kQuad, "Banda Quadra (9.750 / 10.750)", "quad", 10700, 12750},
      {LnbType::kAsiaPacific, "Banda Asia Pacifico DBS(11.300)", "asia", 12250, 12750},
      {LnbType::kTriple, "Banda Tripla (10.000 / 10.750)", "triple", 10950, 12750},
      {LnbType::kLBand, "L Banda (950-2150 MHz)", "l", 950, 2150},
  };
  return types;
}

std::optional<LnbInfo> FindLnb(int id) {
  for (const LnbInfo& info : LnbTypes())
    if (static_cast<int>(info.type) == id) return info;
  return std::nullopt;
}

std::optional<LnbInfo> FindLnb(std::string_view cliName) {
  for (const LnbInfo& info : LnbTypes())
    if (cliName == info.cliName) return info;
  return std::nullopt;
}

std::optional<PolarityMode> FindPolarityMode(int id) {
  for (PolarityMode mode : {PolarityMode::kHorizontal, PolarityMode::kVertical, PolarityMode::kBoth,
                            PolarityMode::kBothWithPause}) {
    if (static_cast<int>(mode) == id) return mode;
  }
  return std::nullopt;
}

bool IncludesHorizontal(PolarityMode mode) { return mode != PolarityMode::kVertical; }
bool IncludesVertical(PolarityMode mode) { return mode != PolarityMode::kHorizontal; }

std::vector<SweepSegment> SweepSegments(LnbType type, int startMhz, int endMhz) {
  std::vector<SweepSegment> segments;
  if (const auto dual = DualOf(type)) {
    if (startMhz < dual->split) {
      segments.push_back({startMhz - dual->lowOscillator,
                          std::min(endMhz, dual->split) - dual->lowOscillator, dual->lowOscillator,
                          0});
    }
    // The split itself belongs to the low segment when the range spans it; a range that starts
    // at the split still needs the high one.
    if (endMhz > dual->split || startMhz >= dual->split) {
      const int from =
          startMhz >= dual->split ? startMhz - dual->highOscillator : dual->highStartBelowSplit;
      segments.push_back({from, endMhz - dual->highOscillator, dual->highOscillator, 1});
    }
    return segments;
  }
  if (type == LnbType::kCBand) {
    segments.push_back(
        {kCBandOscillator - startMhz, kCBandOscillator - endMhz, kCBandOscillator, 0});
  } else if (type == LnbType::kLBand) {
    segments.push_back({startMhz, endMhz, 0, 0});
  } else {
    const int oscillator = SingleOscillator(type);
    segments.push_back({startMhz - oscillator, endMhz - oscillator, oscillator, 0});
  }
  return segments;
}

LockTuning TuneForLock(LnbType type, int mhz) {
  if (const auto dual = DualOf(type)) {
    if (mhz >= dual->split) return {mhz - dual->highOscillator, dual->highOscillator, 1};
    return {mhz - dual->lowOscillator, dual->lowOscillator, 0};
  }
  if (type == LnbType::kCBand) return {kCBandOscillator - mhz, kCBandOscillator, 0};
  if (type == LnbType::kLBand) return {mhz, 0, 0};
  const int oscillator = SingleOscillator(type);
  return {mhz - oscillator, oscillator, 0};
}

int LockFrequency(LnbType type, int oscillator, int lockIf) {
  return type == LnbType::kCBand ? kCBandOscillator - lockIf : oscillator + lockIf;
}

bool RangeAllowed(LnbType type, int startMhz, int endMhz) {
  const auto info = FindLnb(static_cast<int>(type));
  return info && startMhz >= info->minMhz && endMhz <= info->maxMhz && startMhz <= endMhz;
}

}  // namespace pelorus
