#pragma once

#include <cstdint>
#include <ctime>
#include <vector>

#include "multiplex_layout.h"
#include "section_writer.h"

namespace sim {

// The PSI/SI sections of one transport stream, each complete with its CRC-32. `now` is the
// simulator's clock (UTC seconds); `clockStart` is when it started (the schedule's anchor).

// Program tables (psi_tables.cpp).
Section BuildPat(int transponder);
Section BuildPmt(int transponder, int service);
// Whether the transport stream carries a scrambled service, and so a CAT.
bool HasConditionalAccess(int transponder);
Section BuildCat(int transponder);
// The NIT of a network: actual (0x40) on its own transport streams, other (0x41) elsewhere.
Section BuildNit(int network, bool actual);
// SDT actual, in SdtSplit's sections.
std::vector<Section> BuildSdt(int transponder);

// Event tables (si_tables.cpp).
// EIT actual present/following: section 0 the running event, section 1 the next one.
std::vector<Section> BuildEitPresentFollowing(int transponder, int service, int64_t clockStart,
                                              int64_t now);
// EIT actual schedule (table 0x50): one section per 3-hour segment from the clock start's
// midnight to the last event; segments without events are empty sections.
std::vector<Section> BuildEitSchedule(int transponder, int service, int64_t clockStart);
Section BuildTdt(int64_t now);

// Private sections (ca_sections.cpp).
// The ECM of the scrambled service at `now`: table 0x80 and 0x81 by turns, one crypto period
// (10 s) each.
Section BuildEcm(int64_t now);
// EMM number `n` (table 0x82) for one of a few imaginary subscribers.
Section BuildEmm(uint32_t n);
// Data section number `n` of the data service (user-private table 0x90).
Section BuildDataSection(int transponder, uint32_t n);

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
