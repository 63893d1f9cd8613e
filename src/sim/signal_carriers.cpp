// The band the stand-in receiver's tuner sees: a synthetic spectrum built from its channel
// table, so a sweep shows carriers where the list says they are.
#include "signal_carriers.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace sim {
namespace {

constexpr size_t kRecordSize = 64;

uint16_t BigEndian16(const uint8_t* bytes) {
  return static_cast<uint16_t>((bytes[0] << 8) | bytes[1]);
}

// A repeatable pseudo-random value in -1..1 for a frequency and a pass, so that two sweeps
// differ a little, as a real tuner's readings do, but a test can still rely on the shape.
double Noise(int ifMhz, uint32_t pass) {
  uint32_t x = static_cast<uint32_t>(ifMhz) * 2654435761u ^ (pass + 1) * 40503u;
  x ^= x >> 13;
  x *= 0x5bd1e995u;
  x ^= x >> 15;
  return static_cast<double>(x % 2001) / 1000.0 - 1.0;
}

}  // namespace

std::vector<Carrier> CarriersOf(std::span<const uint8_t> table) {
  std::vector<Carrier> carriers;
  for (size_t offset = 0; offset + kRecordSize <= table.size(); offset += kRecordSize) {
    const uint8_t* record = table.data() + offset;
    if (record[0] != 'D' || record[1] != 'V' || record[2] != 'S' || record[3] != 'O') continue;
    Carrier carrier{BigEndian16(record + 8), BigEndian16(record + 10), record[12],
                    (record[14] & 1) != 0};
    if (carrier.rfMhz == 0) continue;
    if (carrier.symbolRateKsps < 1000) carrier.symbolRateKsps = 27500;
    const bool known = std::any_of(carriers.begin(), carriers.end(), [&](const Carrier& c) {
      return c.rfMhz == carrier.rfMhz && c.vertical == carrier.vertical;
    });
    if (!known) carriers.push_back(carrier);
  }
  return carriers;
}

int Spectrum::Level(int rfMhz, int ifMhz, bool vertical, uint32_t pass) const {
  // The LNB and cable lose more at the top of the IF band; a slow ripple rides on it.
  double level =
      5200.0 - (ifMhz - 950) * 1.1 + 180.0 * std::sin(ifMhz / 37.0) + 60.0 * Noise(ifMhz, pass);
  if (!coveredFeed_) {
    for (const Carrier& carrier : carriers_) {
      if (carrier.vertical != vertical) continue;
      // A QPSK carrier occupies about 1.35 times its symbol rate, with soft shoulders.
      const double halfWidth = carrier.symbolRateKsps * 1.35 / 2000.0;
      const double distance = std::abs(rfMhz - carrier.rfMhz);
      const double height = 2600.0 + (carrier.symbolRateKsps % 7) * 150.0;
      if (distance <= halfWidth) {
        level += height * (1.0 - 0.15 * distance / halfWidth);
      } else if (distance <= halfWidth + 3.0) {
        level += height * 0.85 * (1.0 - (distance - halfWidth) / 3.0);
      }
    }
  }
  return static_cast<int>(std::max(0.0, level));
}

std::optional<Carrier> Spectrum::LockAt(int rfMhz, int widthMhz, bool vertical) const {
  if (coveredFeed_) return std::nullopt;
  std::optional<Carrier> best;
  for (const Carrier& carrier : carriers_) {
    const double reach = widthMhz + CaptureRangeMhz(carrier.symbolRateKsps);
    if (carrier.vertical != vertical || std::abs(carrier.rfMhz - rfMhz) > reach) continue;
    if (!best || std::abs(carrier.rfMhz - rfMhz) < std::abs(best->rfMhz - rfMhz)) best = carrier;
  }
  return best;
}

}  // namespace sim
