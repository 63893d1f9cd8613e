#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "receiver/channel_record.h"
#include "service_scan/transponder.h"

namespace pelorus {

// A carrier the band scanner's lock search locked on, in its own terms.
struct LockedCarrier {
  int frequencyMhz = 0;
  int symbolRateKs = 0;
  int lockFecCode = 0;  // the lock search's code: 2 1/2 ... 7 7/8
  bool vertical = false;
};
std::vector<SearchTransponder> TranspondersFromLocks(std::span<const LockedCarrier> carriers);

// The locked carriers of a lock search's result lines, as its results window lists them and the
// console prints them: "Scanning horizontal plane" and "Scanning vertical plane" say which plane
// the lines after them searched (horizontal before either), and each "F MHz - lock at L MHz R
// FEC (S) INVERSION" line is a carrier at L MHz. Other lines are passed over.
struct LockSearchText {
  std::vector<LockedCarrier> carriers;
  int noLock = 0;
};
LockSearchText ParseLockSearchText(std::span<const uint8_t> bytes);

// The tuning of the list's rows `rows` (title rows left out).
std::vector<SearchTransponder> TranspondersFromRows(std::span<const ChannelRecord> records,
                                                    std::span<const int> rows);

}  // namespace pelorus
