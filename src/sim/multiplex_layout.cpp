#include "multiplex_layout.h"

#include <cstdio>
#include <string>

namespace sim {
namespace {

struct SlotSpec {
  ServiceKind kind;
  std::string_view name;
};

struct TransportSpec {
  int count;
  int sdtSplit;
  std::array<SlotSpec, kMaxServicesPerTransport> slots;
};

constexpr SlotSpec Tv(std::string_view name) { return {ServiceKind::kTelevision, name}; }

constexpr std::array<TransportSpec, kTransponders.size()> kServices = {{
    {3, 3, {Tv("Pelorus Uno"), Tv("Pelorus Due"), Tv("Pelorus Notizie")}},
    {3, 3, {Tv("Canale Aurora"), Tv("Aurora Sport"), Tv("Aurora Cinema Plus")}},
    {3, 3, {Tv("Radio Visione"), Tv("Mare TV"), Tv("Monti TV")}},
    {4,
     4,
     {Tv("Telelago"),
      Tv("\x05"
         "Caf\xE9 TV"),
      Tv("Lago Musica"), SlotSpec{ServiceKind::kH264Television, "Lago Plus"}}},
    {4,
     4,
     {Tv("\x15"
         "Citt\xC3\xA0 TV"),
      Tv("Teatro 5"), Tv("Scienza 5"), SlotSpec{ServiceKind::kData, "Dati 5"}}},
    {5,
     3,
     {Tv("Storia 6"), Tv("Bimbi 6"), Tv("Meteo 6"), SlotSpec{ServiceKind::kRadio, "Radio Sei"},
      SlotSpec{ServiceKind::kRadio, "Radio Sei Classica"}}},
}};

// The PIDs of each slot: PMT, video (or data), MP2 audio, AC-3.
struct SlotPids {
  uint16_t pmt;
  uint16_t video;
  uint16_t audio;
  uint16_t ac3;
};
constexpr std::array<SlotPids, kMaxServicesPerTransport> kSlotPids = {{
    {0x0100, 0x0200, 0x0280, 0x0281},
    {0x0110, 0x0220, 0x02A0, 0},
    {0x0120, 0x0240, 0x02C0, 0},
    {0x0130, 0x0260, 0x02E0, 0},
    {0x0140, 0x0270, 0x02F0, 0},
}};
// Slot 1 carries its PCR on a PID of its own, as some broadcasters do.
constexpr uint16_t kSeparatePcrPid = 0x0221;

constexpr std::array<std::string_view, kTransponders.size()> kProviders = {
    "Pelorus", "Aurora", "Visione", "Lago", "Citta", "Sei"};

constexpr std::array<EventLayout, kEventCycleLength> kCycle = {{
    {"Telegiornale", "Le notizie del giorno dall'Italia e dal mondo.", 30},
    {"Il grande film", "Un classico del cinema in prima serata, versione restaurata.", 120},
    {"\x05"
     "Caff\xE8 e cornetto",
     "Il programma del mattino con ospiti in studio.", 90},
    {"Documentario: il mare", "Viaggio tra le coste del Mediterraneo.", 60},
    {"Sport oggi", "Risultati, interviste e commenti della giornata sportiva.", 45},
    {"\x15"
     "Citt\xC3\xA0 di notte",
     "\x15"
     "Racconti e musica dalle citt\xC3\xA0 italiane.",
     75},
    {"Meteo", "Le previsioni del tempo per domani.", 15},
    {"Concerto", "Musica dal vivo dall'auditorium.", 105},
}};

}  // namespace

const Network& NetworkOf(int transponder) {
  return kNetworks[static_cast<size_t>(kTransponders[static_cast<size_t>(transponder)].network)];
}

int ServiceCount(int transponder) { return kServices[static_cast<size_t>(transponder)].count; }

int SdtSplit(int transponder) { return kServices[static_cast<size_t>(transponder)].sdtSplit; }

ServiceLayout ServiceAt(int transponder, int service) {
  const Transponder& ts = kTransponders[static_cast<size_t>(transponder)];
  const SlotSpec& planned =
      kServices[static_cast<size_t>(transponder)].slots[static_cast<size_t>(service)];
  const SlotPids& slot = kSlotPids[static_cast<size_t>(service)];
  ServiceLayout layout{};
  layout.serviceId = static_cast<uint16_t>(ts.transportStreamId * 100 + service + 1);
  layout.kind = planned.kind;
  layout.name = planned.name;
  layout.provider = kProviders[static_cast<size_t>(transponder)];
  layout.toneHz = kToneHz[static_cast<size_t>(transponder + service) % kToneHz.size()];
  layout.scrambled = transponder == 1 && service == 2;
  layout.hasEvents = planned.kind != ServiceKind::kData;
  layout.pids.pmt = slot.pmt;
  switch (planned.kind) {
    case ServiceKind::kTelevision:
    case ServiceKind::kH264Television:
      layout.serviceType = planned.kind == ServiceKind::kTelevision ? 0x01 : 0x16;
      layout.videoStreamType = planned.kind == ServiceKind::kTelevision ? 0x02 : 0x1B;
      layout.pids.video = slot.video;
      layout.pids.audio = slot.audio;
      layout.pids.ac3 = slot.ac3;
      layout.pids.pcr = service == 1 ? kSeparatePcrPid : slot.video;
      break;
    case ServiceKind::kRadio:
      layout.serviceType = 0x02;
      layout.pids.audio = slot.audio;
      layout.pids.pcr = slot.audio;
      break;
    case ServiceKind::kData:
      layout.serviceType = 0x0C;
      layout.pids.data = slot.video;
      layout.pids.pcr = kNullPid;
      break;
  }
  if (layout.scrambled) layout.pids.ecm = kEcmPid;
  return layout;
}

const std::array<EventLayout, kEventCycleLength>& EventCycle() { return kCycle; }

int FindTransponder(int frequencyMhz, int symbolRateDigits, bool vertical) {
  for (size_t i = 0; i < kTransponders.size(); ++i) {
    const Transponder& ts = kTransponders[i];
    // The tune command carries the first five digits of ten times the symbol rate.
    char digits[16];
    std::snprintf(digits, sizeof digits, "%05d", ts.symbolRateKs * 10);
    digits[5] = 0;
    if (ts.frequencyMhz == frequencyMhz && ts.vertical == vertical &&
        std::stoi(digits) == symbolRateDigits) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

}  // namespace sim
