#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "common/dvb_time.h"
#include "si/section.h"

namespace pelorus {

// Time and date table (PID 0x0014, table 0x70, short form without CRC): UTC now.
struct Tdt {
  BroadcastTime utc;

  // The time, when it is one: no value for non-BCD digits or hours, minutes or seconds out of
  // range (a garbled table must never set a clock).
  std::optional<std::time_t> Utc() const { return StrictBroadcastSeconds(utc); }
  // No value for another table, or a section too short to hold the time.
  static std::optional<Tdt> Parse(const Section& section);
};

// One region's entry of a local time offset descriptor (tag 0x58).
struct LocalTimeOffset {
  std::string country;  // ISO 3166 code, three letters
  uint8_t region = 0;
  int offsetMinutes = 0;  // signed: local time = UTC + offset
  BroadcastTime timeOfChange;
  int nextOffsetMinutes = 0;
};

// Time offset table (PID 0x0014, table 0x73, short form with CRC): UTC now and the local time
// offsets of the regions it names.
struct Tot {
  BroadcastTime utc;
  std::vector<LocalTimeOffset> offsets;

  std::optional<std::time_t> Utc() const { return StrictBroadcastSeconds(utc); }
  static std::optional<Tot> Parse(const Section& section);
};

}  // namespace pelorus
