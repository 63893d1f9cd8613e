#include "common/dvb_time.h"

namespace pelorus {
namespace {

constexpr std::time_t kUnixEpochMjd = 40587;
constexpr std::time_t kSecondsPerDay = 86400;

int DigitPair(uint32_t byte) { return static_cast<int>((byte >> 4) * 10 + (byte & 0x0F)); }

}  // namespace

void MjdToDate(uint16_t mjd, int& year, int& month, int& day) {
  const int yearPrime = static_cast<int>((mjd - 15078.2) / 365.25);
  const int monthPrime =
      static_cast<int>((mjd - 14956.1 - static_cast<int>(yearPrime * 365.25)) / 30.6001);
  day = mjd - 14956 - static_cast<int>(yearPrime * 365.25) - static_cast<int>(monthPrime * 30.6001);
  const int k = (monthPrime == 14 || monthPrime == 15) ? 1 : 0;
  year = yearPrime + k + 1900;
  month = monthPrime - 1 - k * 12;
}

Duration BcdTime(uint32_t value) {
  return Duration{DigitPair((value >> 16) & 0xFF), DigitPair((value >> 8) & 0xFF),
                  DigitPair(value & 0xFF)};
}

bool IsBcdTimeOfDay(uint32_t value) {
  if (value > 0xFFFFFF) return false;
  for (int shift = 0; shift < 24; shift += 4) {
    if (((value >> shift) & 0x0F) > 9) return false;
  }
  const Duration time = BcdTime(value);
  return time.hours < 24 && time.minutes < 60 && time.seconds < 60;
}

std::tm ToTm(const GuideTime& time) {
  std::tm parts{};
  parts.tm_year = time.year - 1900;
  parts.tm_mon = time.month - 1;
  parts.tm_mday = time.day;
  parts.tm_hour = time.hour;
  parts.tm_min = time.minute;
  parts.tm_sec = time.second;
  return parts;
}

std::time_t ToEpoch(const GuideTime& time) {
  std::tm parts = ToTm(time);
  return timegm(&parts);
}

GuideTime ToGuideTime(BroadcastTime time) {
  GuideTime shown;
  MjdToDate(time.mjd, shown.year, shown.month, shown.day);
  const Duration clock = BcdTime(time.bcd);
  shown.hour = clock.hours;
  shown.minute = clock.minutes;
  shown.second = clock.seconds;
  return shown;
}

std::time_t DurationSeconds(const Duration& duration) {
  return std::time_t{duration.hours} * 3600 + duration.minutes * 60 + duration.seconds;
}

std::time_t BroadcastSeconds(BroadcastTime time) {
  return (std::time_t{time.mjd} - kUnixEpochMjd) * kSecondsPerDay +
         DurationSeconds(BcdTime(time.bcd));
}

std::optional<std::time_t> StrictBroadcastSeconds(BroadcastTime time) {
  if (!IsBcdTimeOfDay(time.bcd)) return std::nullopt;
  return BroadcastSeconds(time);
}

}  // namespace pelorus
