#pragma once

#include <optional>
#include <string_view>
#include <vector>

namespace pelorus {

// The LNB types of the scanner. The value is the type's id, which scan files store and
// calibration file names carry.
enum class LnbType {
  kUniversal = 1044,
  kFss = 1045,
  kDbs = 1046,
  kCBand = 1047,
  kQuad = 1048,
  kAsiaPacific = 1056,
  kTriple = 1057,
  kLBand = 1058,
};

// The polarity modes; the value is the id scan files store.
enum class PolarityMode {
  kHorizontal = 1053,
  kVertical = 1054,
  kBoth = 1055,
  kBothWithPause = 1059,
};

inline constexpr int kHorizontalCode = 14;
inline constexpr int kVerticalCode = 18;

struct LnbInfo {
  LnbType type;
  const char* caption;  // the radio button's text
  const char* cliName;  // the console's --lnb word
  int minMhz;           // the allowed RF range
  int maxMhz;
};

const std::vector<LnbInfo>& LnbTypes();
// The type with that id or console word; no value for anything else.
std::optional<LnbInfo> FindLnb(int id);
std::optional<LnbInfo> FindLnb(std::string_view cliName);
std::optional<PolarityMode> FindPolarityMode(int id);

bool IncludesHorizontal(PolarityMode mode);
bool IncludesVertical(PolarityMode mode);

// One sweep of the tuner: the IF range (running downwards for the C band), the oscillator sent
// to the receiver and the high-band flag.
struct SweepSegment {
  int ifStart;
  int ifEnd;
  int oscillator;
  int highBand;
  bool Descending() const { return ifEnd < ifStart; }
  int Span() const { return Descending() ? ifStart - ifEnd : ifEnd - ifStart; }
};

// The segments that cover start..end RF MHz, in the order they are swept.
std::vector<SweepSegment> SweepSegments(LnbType type, int startMhz, int endMhz);

// Where the receiver tunes to search for a lock at `mhz`.
struct LockTuning {
  int intermediate;
  int oscillator;
  int highBand;
};
LockTuning TuneForLock(LnbType type, int mhz);

// The RF frequency of a lock the receiver reports at `lockIf` with that oscillator.
int LockFrequency(LnbType type, int oscillator, int lockIf);

// True when start..end lies within the type's allowed range and start <= end.
bool RangeAllowed(LnbType type, int startMhz, int endMhz);

}  // namespace pelorus
