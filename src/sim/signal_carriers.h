#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace sim {

// A carrier the dish sees: one per channel of the table the receiver holds.
struct Carrier {
  int rfMhz;
  int symbolRateKsps;
  int fecCode;
  bool vertical;
};

// The carriers of a channel table in the receiver's (big-endian) record order. Records without
// the tag, markers and duplicates of one frequency and plane are left out.
std::vector<Carrier> CarriersOf(std::span<const uint8_t> table);

// What the tuner measures at one IF frequency: the LNB's gain slope over IF with its noise, and
// above it the carriers of the plane that the RF frequency falls on. A covered feed sees only
// the slope and the noise.
class Spectrum {
 public:
  Spectrum(std::vector<Carrier> carriers, bool coveredFeed)
      : carriers_(std::move(carriers)), coveredFeed_(coveredFeed) {}

  int Level(int rfMhz, int ifMhz, bool vertical, uint32_t pass) const;

  // The carrier a lock search at rfMhz finds with that sweep width: the nearest one of the
  // plane whose centre lies within the width plus its capture range.
  std::optional<Carrier> LockAt(int rfMhz, int widthMhz, bool vertical) const;

  // How far from its centre a carrier still locks with the tuner parked (sweep width 0): a
  // quarter of its symbol rate, in MHz. The demodulator's carrier loop pulls in an offset that
  // large (6.9 MHz at 27.5 MS/s, 1.5 MHz at 6.1 MS/s); beyond it too little of the carrier, which
  // occupies 1.35 times the symbol rate, falls into its matched filter to recover the symbols.
  static double CaptureRangeMhz(int symbolRateKsps) { return symbolRateKsps / 4000.0; }

 private:
  std::vector<Carrier> carriers_;
  bool coveredFeed_;
};

}  // namespace sim
