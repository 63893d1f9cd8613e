#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "receiver/channel_record.h"
#include "scanner/lnb.h"
#include "scanner/scan_data.h"

namespace pelorus {

// Up to `maxCount` comma-separated decimal integers from the start of `text`, read as "%d,%d,..."
// reads them: leading blanks allowed, the list ends at the first thing that is not one. A number
// beyond 32 bits ends the list too.
std::vector<int32_t> ParseIntegerList(std::span<const uint8_t> text, size_t maxCount);
std::vector<int32_t> ParseIntegerList(std::string_view text, size_t maxCount);

// One line of a sweep reply or a scan file, "%d,%d": frequency and level.
std::optional<ScanPoint> ParseSweepLine(std::string_view line);

// What the receiver says when it locked.
struct LockReply {
  int32_t lockIf = 0;
  int32_t wholeMsps = 0;
  int32_t fraction = 0;  // in 1/65535 MS/s
  int32_t fecCode = 0;
  int32_t signal = 0;
  int32_t inversion = 0;
};

// No value for an empty line and for a line that does not start with the five numbers a lock
// reports; an inversion code that is missing counts as 0, anything after the sixth is ignored.
std::optional<LockReply> ParseLockReply(std::string_view line);

// Symbol rate in kS/s, truncated.
int SymbolRateKsps(const LockReply& reply);
std::string FecText(int fecCode);
std::string InversionText(int inversion);

// One searched frequency's result, as the results window lists it.
struct LockResult {
  int searchedMhz = 0;
  bool locked = false;
  int lockMhz = 0;
  int symbolRateKsps = 0;
  int fecCode = 0;
  int signal = 0;
  int inversion = 0;
  std::string Line() const;
};
LockResult LockResultFor(LnbType type, int searchedMhz, int oscillator,
                         const std::optional<LockReply>& reply);

// The channel a lock adds to the list: tagged, named "Auto-search", no PIDs.
ChannelRecord AutoSearchRecord(const LockResult& result, bool vertical);

}  // namespace pelorus
