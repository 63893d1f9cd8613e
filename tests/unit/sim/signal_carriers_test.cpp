// Where the stand-in receiver's lock search locks: within the sweep width plus the carrier's
// capture range, a quarter of its symbol rate, on the nearest carrier of the plane.
#include "sim/signal_carriers.h"

#include <gtest/gtest.h>

namespace pelorus {
namespace {

using sim::Carrier;
using sim::Spectrum;

TEST(SignalCarriersTest, ACarrierLocksWithinItsCaptureRangeEvenWithTheTunerParked) {
  const Spectrum spectrum({{11747, 27500, 4, false}, {12322, 6111, 4, true}}, false);
  EXPECT_DOUBLE_EQ(Spectrum::CaptureRangeMhz(27500), 6.875);
  // 27.5 MS/s: 6.875 MHz either side at width 0.
  for (int offset : {-6, -2, 0, 2, 6}) {
    const auto lock = spectrum.LockAt(11747 + offset, 0, false);
    ASSERT_TRUE(lock.has_value()) << offset;
    EXPECT_EQ(lock->rfMhz, 11747);
  }
  EXPECT_FALSE(spectrum.LockAt(11747 + 7, 0, false));
  EXPECT_FALSE(spectrum.LockAt(11747 - 7, 0, false));
  // The sweep width adds to it.
  EXPECT_TRUE(spectrum.LockAt(11747 + 7, 1, false));
  EXPECT_TRUE(spectrum.LockAt(11747 - 46, 40, false));
  EXPECT_FALSE(spectrum.LockAt(11747 - 47, 40, false));
  // 6.1 MS/s: only 1.5 MHz.
  EXPECT_TRUE(spectrum.LockAt(12323, 0, true));
  EXPECT_FALSE(spectrum.LockAt(12324, 0, true));
  EXPECT_TRUE(spectrum.LockAt(12324, 1, true));
  // The other plane does not lock, nor does a covered feed.
  EXPECT_FALSE(spectrum.LockAt(11747, 0, true));
  EXPECT_FALSE(Spectrum({{11747, 27500, 4, false}}, true).LockAt(11747, 40, false));
}

TEST(SignalCarriersTest, OfTwoCarriersInReachTheNearerLocks) {
  const Spectrum spectrum({{11720, 27500, 4, false}, {11740, 27500, 3, false}}, false);
  EXPECT_EQ(spectrum.LockAt(11731, 5, false)->rfMhz, 11740);
  EXPECT_EQ(spectrum.LockAt(11729, 5, false)->rfMhz, 11720);
  EXPECT_EQ(spectrum.LockAt(11740, 40, false)->fecCode, 3);
}

TEST(SignalCarriersTest, TheCarriersComeFromTheTaggedChannelsOfTheTable) {
  std::vector<uint8_t> table(4 * 64, 0);
  auto put = [&](size_t row, const char* tag, int mhz, int rate, bool vertical) {
    uint8_t* record = table.data() + row * 64;
    std::copy(tag, tag + 4, record);
    record[8] = static_cast<uint8_t>(mhz >> 8);
    record[9] = static_cast<uint8_t>(mhz);
    record[10] = static_cast<uint8_t>(rate >> 8);
    record[11] = static_cast<uint8_t>(rate);
    record[14] = vertical ? 1 : 0;
  };
  put(0, "DVSO", 0, 0, false);          // a marker row
  put(1, "DVSO", 11747, 27500, false);  // a channel
  put(2, "DVSO", 11747, 27500, false);  // another service of its transponder
  put(3, "XXXX", 12000, 27500, false);  // not a channel
  const auto carriers = sim::CarriersOf(table);
  ASSERT_EQ(carriers.size(), 1u);
  EXPECT_EQ(carriers[0].rfMhz, 11747);
  EXPECT_EQ(carriers[0].symbolRateKsps, 27500);
}

}  // namespace
}  // namespace pelorus
