#pragma once

#include <cstdint>
#include <ctime>
#include <optional>

namespace pelorus {

// Times as the broadcast tables carry them: a 16-bit Modified Julian Date and a 24-bit BCD
// hhmmss (start times, the TDT and TOT), or a BCD hhmmss alone (durations).

// A calendar date and UTC time of day.
struct GuideTime {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
};
struct Duration {
  int hours = 0;
  int minutes = 0;
  int seconds = 0;
};

// The 40-bit field: MJD then BCD time.
struct BroadcastTime {
  uint16_t mjd = 0;
  uint32_t bcd = 0;
};

// Modified Julian Date to year, month, day (the broadcast standard's Annex C formula).
void MjdToDate(uint16_t mjd, int& year, int& month, int& day);
// A 24-bit BCD hhmmss, read digit pair by digit pair as decimal numbers, whatever the nibbles.
Duration BcdTime(uint32_t value);
// True when every nibble of the 24-bit value is a decimal digit and it names a time of day:
// hours 0-23, minutes and seconds 0-59.
bool IsBcdTimeOfDay(uint32_t value);
// The date and time as the C library's broken-down time (day of week and year left 0).
std::tm ToTm(const GuideTime& time);
// Seconds since the epoch of a UTC date and time.
std::time_t ToEpoch(const GuideTime& time);

// The date and time as the guide shows them, read leniently (BcdTime's digits).
GuideTime ToGuideTime(BroadcastTime time);
// Seconds since the epoch straight from the day number (the Unix epoch is MJD 40587), read
// leniently as the guide does.
std::time_t BroadcastSeconds(BroadcastTime time);
// The same, only for a time that is a real time of day: no value for non-BCD digits or a field
// out of range (what must never set a clock).
std::optional<std::time_t> StrictBroadcastSeconds(BroadcastTime time);
// Seconds of a BCD hhmmss duration, read leniently.
std::time_t DurationSeconds(const Duration& duration);

}  // namespace pelorus
