#include "si/system_clock.h"

#include <cerrno>
#include <cstring>

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

TdtClockSync::Result TdtClockSync::OnSection(std::span<const uint8_t> bytes, SystemClock& clock,
                                             std::string& error) {
  const std::optional<Section> section = Section::Parse(bytes);
  std::optional<Tdt> tdt;
  if (section && section->length >= 1 && section->length <= kMaxTdtLength) {
    tdt = Tdt::Parse(*section);
  }
  return OnTdt(tdt ? &*tdt : nullptr, clock, error);
}

TdtClockSync::Result TdtClockSync::OnTdt(const Tdt* tdt, SystemClock& clock, std::string& error) {
  --countdown_;
  if (countdown_ >= 1) return Result::kWaiting;
  countdown_ = kEvery;
  if (tdt == nullptr) return Result::kNotATdt;
  const std::optional<std::time_t> utc = tdt->Utc();
  if (!utc) return Result::kGarbled;
  lastTime_ = *utc;
  return clock.SetUtc(lastTime_, error) ? Result::kSet : Result::kRefused;
}

}  // namespace pelorus
