#pragma once

#include <ctime>
#include <span>
#include <string>

#include "si/time_tables.h"

namespace pelorus {

// The machine's clock, behind a seam: the desktop sets the real one, tests use a fake and never
// touch the machine's time.
class SystemClock {
 public:
  virtual ~SystemClock() = default;
  virtual std::time_t NowUtc() const = 0;
  // Sets the clock to `utc`. False with the reason in `error` when the system refuses.
  virtual bool SetUtc(std::time_t utc, std::string& error) = 0;
};

// clock_settime on CLOCK_REALTIME; refused without the privilege to set the time.
class RealSystemClock : public SystemClock {
 public:
  std::time_t NowUtc() const override;
  bool SetUtc(std::time_t utc, std::string& error) override;
};

// Sets the clock from the time-and-date table: from the first TDT after it is (re)started and
// then from every 60th TDT section. It keeps what the TDT type parsed; a TDT whose time is not
// a time of day (digits that are not BCD, hour 25, minute 60) never sets the clock.
class TdtClockSync {
 public:
  static constexpr int kEvery = 60;

  enum class Result { kWaiting, kNotATdt, kGarbled, kSet, kRefused };
  // One section from the TDT PID, counted whatever its table; the TDT only when its
  // section_length is 1 to 1024. `error` holds the system's reason when refused.
  Result OnSection(std::span<const uint8_t> section, SystemClock& clock, std::string& error);
  // The same with the section already read: `tdt` is null for a section that is not a TDT.
  Result OnTdt(const Tdt* tdt, SystemClock& clock, std::string& error);
  // Unchecking the option restarts the count, so that checking it again syncs at once.
  void Restart() { countdown_ = 0; }
  // The time of the last section that set (or tried to set) the clock.
  std::time_t LastTime() const { return lastTime_; }

 private:
  int countdown_ = 0;
  std::time_t lastTime_ = 0;
};

}  // namespace pelorus
