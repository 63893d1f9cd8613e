#include "multiplex_layout.h"

#include <cstdio>
#include <string>

namespace sim {
namespace {

constexpr std::array<std::array<std::string_view, kServicesPerTransport>, kTransponders.size()>
    kServiceNames = {{
        {"Pelorus Uno", "Pelorus Due", "Pelorus Notizie"},
        {"Canale Aurora", "Aurora Sport", "Aurora Cinema Plus"},
        {"Radio Visione", "Mare TV", "Monti TV"},
        {"Telelago",
         "\x05"
         "Caf\xE9 TV",
         "Lago Musica"},
        {"\x15"
         "Citt\xC3\xA0 TV",
         "Teatro 5", "Scienza 5"},
        {"Storia 6", "Bimbi 6", "Meteo 6"},
    }};

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
     "Racconti e musica dalle citt\xC3\xA0 italiane.", 75},
    {"Meteo", "Le previsioni del tempo per domani.", 15},
    {"Concerto", "Musica dal vivo dall'auditorium.", 105},
}};

}  // namespace

ServiceLayout ServiceAt(int transponder, int service) {
  const Transponder& ts = kTransponders[static_cast<size_t>(transponder)];
  ServiceLayout layout{};
  layout.serviceId = static_cast<uint16_t>(ts.transportStreamId * 100 + service + 1);
  layout.pids = kServicePids[static_cast<size_t>(service)];
  layout.scrambled = transponder == 1 && service == 2;
  layout.toneHz = kToneHz[static_cast<size_t>(transponder + service) % kToneHz.size()];
  layout.name = kServiceNames[static_cast<size_t>(transponder)][static_cast<size_t>(service)];
  layout.provider = kProviders[static_cast<size_t>(transponder)];
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
