#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "si/descriptors.h"

namespace pelorus {

// The record's FEC codes (fecCode): 0 Auto, 1 1/1, 2 1/2, 3 2/3, 4 3/4, 6 5/6, 7 7/8.
inline constexpr uint8_t kFecAuto = 0;

// One transponder the channel search tunes to.
struct SearchTransponder {
  int frequencyMhz = 0;
  int symbolRateKs = 0;  // kS/s
  uint8_t fecCode = kFecAuto;
  bool vertical = false;
  // Tenths of a degree, east positive, where the source says (the NIT, a table's name).
  std::optional<int> orbital;
  // The transponder the receiver is tuned to when the search starts: read without tuning, its
  // own parameters learnt from its NIT.
  bool current = false;

  // "11778 V 27500 3/4".
  std::string Text() const;
};

// Frequencies this close on one polarisation are the same transponder.
inline constexpr int kSameTransponderMhz = 2;
bool SameTransponder(const SearchTransponder& a, const SearchTransponder& b);

// The transponders of a search, each once: a second one like one already there is left out.
class TransponderList {
 public:
  // False when one like it is already in the list.
  bool Add(const SearchTransponder& transponder);
  bool Contains(const SearchTransponder& transponder) const;
  size_t Size() const { return items_.size(); }
  const SearchTransponder& operator[](size_t index) const { return items_[index]; }
  SearchTransponder& operator[](size_t index) { return items_[index]; }

 private:
  std::vector<SearchTransponder> items_;
};

// The record's code for an FEC text of a transponder table or the lock search ("3/4", "AUTO");
// rates the record has no code for, and anything else, are Auto.
uint8_t FecCodeFromText(std::string_view text);
// "3/4", or "Auto" for a code without a rate.
const char* FecCodeText(uint8_t code);
// The code for a satellite delivery descriptor's FEC_inner (1 1/2 ... 5 7/8).
uint8_t FecCodeFromInner(int fecInner);
// The code for the lock search's FEC code (2 1/2 ... 7 7/8; 5, its 4/5, has none).
uint8_t FecCodeFromLock(int lockCode);
// The tune command's FEC index (0 1/1 ... 5 7/8) of a code; Auto goes out as 0, as the tune
// dialog sends it with no rate chosen.
int TuneFecIndexOf(uint8_t code);

// A transponder a satellite delivery descriptor names, with what the NIT says of it.
struct NamedTransponder {
  SearchTransponder transponder;
  bool dvbS2 = false;
  uint16_t transportStreamId = 0;
  uint16_t originalNetworkId = 0;
};
NamedTransponder TransponderFromDelivery(const DeliveryEntry& entry, uint16_t transportStreamId,
                                         uint16_t originalNetworkId);

}  // namespace pelorus
