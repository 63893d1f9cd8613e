#pragma once

#include <clocale>
#include <cstdlib>
#include <ctime>
#include <string>

namespace pelorus::testing {

// The guide tests' "now": 1993-10-13 (MJD 0xC079) at 12:00 UTC.
inline constexpr std::time_t kNoon = 750513600;

// Keeps the guide's texts independent of the machine: the C locale and UTC, restored after.
class FixedZone {
 public:
  FixedZone() {
    const char* zone = std::getenv("TZ");
    if (zone != nullptr) saved_ = zone;
    had_ = zone != nullptr;
    setenv("TZ", "UTC", 1);
    tzset();
    std::setlocale(LC_TIME, "C");
  }
  ~FixedZone() {
    if (had_) {
      setenv("TZ", saved_.c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }
  FixedZone(const FixedZone&) = delete;
  FixedZone& operator=(const FixedZone&) = delete;

 private:
  std::string saved_;
  bool had_ = false;
};

}  // namespace pelorus::testing
