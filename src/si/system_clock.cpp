#include "si/system_clock.h"

#include <cerrno>
#include <cstring>

#include "common/byte_reader.h"
#include "common/ts_numbers.h"
#include "si/guide.h"

namespace pelorus {
namespace {

constexpr int kMaxTdtLength = 1024;

}  // namespace

std::time_t RealSystemClock::NowUtc() const { return std::time(nullptr); }

bool RealSystemClock::SetUtc(std::time_t utc, std::string& error) {
  timespec time{};
  time.tv_sec = utc;
  if (clock_settime(CLOCK_REALTIME, &time) != 0) {
    error = std::strerror(errno);
    return false;
  }
  return true;
}

TdtClockSync::Result TdtClockSync::OnSection(std::span<const uint8_t> section, SystemClock& clock,
                                             std::string& error) {
  --countdown_;
  if (countdown_ >= 1) return Result::kWaiting;
  countdown_ = kEvery;
  ByteReader reader(section);
  const uint8_t tableId = reader.U8();
  const int length = reader.U16() & 0x0FFF;
  const uint16_t mjd = reader.U16();
  const uint32_t bcd = reader.U24();
  if (!reader.Ok() || tableId != ts::table::kTdt || length < 1 || length > kMaxTdtLength) {
    return Result::kNotATdt;
  }
  GuideTime utc;
  MjdToDate(mjd, utc.year, utc.month, utc.day);
  const Duration time = BcdTime(bcd);
  utc.hour = time.hours;
  utc.minute = time.minutes;
  utc.second = time.seconds;
  lastTime_ = ToEpoch(utc);
  return clock.SetUtc(lastTime_, error) ? Result::kSet : Result::kRefused;
}

}  // namespace pelorus
