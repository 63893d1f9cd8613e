#include "service_scan/transponder.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>

#include "common/strfmt.h"
#include "service_scan/messages.h"

namespace pelorus {
namespace {

struct FecName {
  const char* text;
  uint8_t code;
};
constexpr std::array<FecName, 6> kFecNames = {{
    {"1/1", 1},
    {"1/2", 2},
    {"2/3", 3},
    {"3/4", 4},
    {"5/6", 6},
    {"7/8", 7},
}};

}  // namespace

std::string SearchTransponder::Text() const {
  return Format(msg::search::kTransponderText, frequencyMhz, vertical ? 'V' : 'H', symbolRateKs,
                FecCodeText(fecCode));
}

bool SameTransponder(const SearchTransponder& a, const SearchTransponder& b) {
  return a.vertical == b.vertical &&
         std::abs(a.frequencyMhz - b.frequencyMhz) <= kSameTransponderMhz;
}

bool TransponderList::Add(const SearchTransponder& transponder) {
  if (Contains(transponder)) return false;
  items_.push_back(transponder);
  return true;
}

bool TransponderList::Contains(const SearchTransponder& transponder) const {
  return std::any_of(items_.begin(), items_.end(), [&](const SearchTransponder& item) {
    // The tuned transponder is not known until its NIT says where it is.
    return !item.current && SameTransponder(item, transponder);
  });
}

uint8_t FecCodeFromText(std::string_view text) {
  std::string upper;
  for (const char c : text) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  for (const FecName& name : kFecNames) {
    if (upper == name.text) return name.code;
  }
  return kFecAuto;
}

const char* FecCodeText(uint8_t code) {
  for (const FecName& name : kFecNames) {
    if (name.code == code) return name.text;
  }
  return "Auto";
}

uint8_t FecCodeFromInner(int fecInner) {
  static constexpr std::array<uint8_t, 6> kCodes = {kFecAuto, 2, 3, 4, 6, 7};
  return fecInner >= 0 && fecInner < static_cast<int>(kCodes.size())
             ? kCodes[static_cast<size_t>(fecInner)]
             : kFecAuto;
}

uint8_t FecCodeFromLock(int lockCode) {
  // The lock search's codes are the record's, but for 4/5, which the record cannot hold.
  return lockCode >= 2 && lockCode <= 7 && lockCode != 5 ? static_cast<uint8_t>(lockCode)
                                                         : kFecAuto;
}

int TuneFecIndexOf(uint8_t code) {
  for (size_t i = 0; i < kFecNames.size(); ++i) {
    if (kFecNames[i].code == code) return static_cast<int>(i);
  }
  return 0;
}

NamedTransponder TransponderFromDelivery(const DeliveryEntry& entry, uint16_t transportStreamId,
                                         uint16_t originalNetworkId) {
  NamedTransponder named;
  SearchTransponder& t = named.transponder;
  // Units of 10 kHz and of 100 symbols/s, rounded to MHz and kS/s.
  t.frequencyMhz = (entry.frequency + 50) / 100;
  t.symbolRateKs = (entry.symbolRate + 5) / 10;
  t.fecCode = FecCodeFromInner(entry.fec);
  // Right-hand circular goes out on the vertical voltage, left-hand on the horizontal.
  t.vertical = entry.polarisation == 1 || entry.polarisation == 3;
  t.orbital = entry.east ? entry.orbitalPosition : -entry.orbitalPosition;
  named.dvbS2 = entry.dvbS2;
  named.transportStreamId = transportStreamId;
  named.originalNetworkId = originalNetworkId;
  return named;
}

}  // namespace pelorus
