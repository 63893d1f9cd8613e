#pragma once

#include <cstdint>
#include <ctime>
#include <vector>

#include "multiplex_layout.h"

namespace sim {

// The PSI/SI sections of one transport stream, each complete with its CRC-32. `now` is the
// simulator's clock (UTC seconds); `clockStart` is when it started (the schedule's anchor).
using Section = std::vector<uint8_t>;

Section BuildPat(int transponder);
Section BuildPmt(int transponder, int service);
std::vector<Section> BuildNit();
Section BuildSdt(int transponder);
// EIT actual present/following: section 0 the running event, section 1 the next one.
std::vector<Section> BuildEitPresentFollowing(int transponder, int service, int64_t clockStart,
                                              int64_t now);
// EIT actual schedule (table 0x50): one section per 3-hour segment that holds events.
std::vector<Section> BuildEitSchedule(int transponder, int service, int64_t clockStart);
Section BuildTdt(int64_t now);

// A scheduled event, for the tables above and for the tests.
struct ScheduledEvent {
  uint16_t eventId;
  int64_t start;  // UTC seconds
  int durationSeconds;
  const EventLayout* layout;
};
std::vector<ScheduledEvent> Schedule(int64_t clockStart);
// Modified Julian Date and BCD time of a UTC time, as the SI tables write it (5 bytes).
void PutUtcTime(std::vector<uint8_t>& out, int64_t utcSeconds);

}  // namespace sim
