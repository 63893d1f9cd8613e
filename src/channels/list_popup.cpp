#include "channels/list_popup.h"

#include <array>

namespace pelorus {
namespace {

constexpr MenuEntry Item(int command, const char* label, const char* shortcut = "") {
  return MenuEntry{command, label, shortcut, {}};
}
constexpr MenuEntry Submenu(const char* label, std::span<const MenuEntry> entries) {
  return MenuEntry{0, label, "", entries};
}
constexpr MenuEntry kSeparator{0, "", "", {}};

constexpr std::array kFormat = {Item(40019, "NTSC"), Item(40020, "PAL")};
constexpr std::array k12v = {Item(40021, "Spento"), Item(40022, "Acceso")};
constexpr std::array kInversion = {Item(40034, "Auto"), Item(40033, "Acceso"),
                                   Item(40032, "Spento")};
constexpr std::array kDiseqc = {Item(40035, "Ingresso LNB 1"), Item(40036, "Ingresso LNB 2"),
                                Item(40037, "Ingresso LNB 3"), Item(40038, "Ingresso LNB 4")};
constexpr std::array kPolarity = {Item(40041, "Orizontale"), Item(40042, "Verticale")};
constexpr std::array kServiceType = {
    Item(40068, "TV Digitali"), Item(40069, "Radio Digitali"), Item(40070, "Teletext"),
    Item(40071, "NVOD ref."),   Item(40072, "NVOD Timeshift"), Item(40073, "Mosaico"),
    Item(40074, "Formato PAL"), Item(40075, "Formato SECAM"),  Item(40076, "Formato D/D2-MAC"),
    Item(40077, "Radio FM"),
};
constexpr std::array kFec = {Item(40088, "Auto"), Item(40094, "1/1"), Item(40089, "1/2"),
                             Item(40090, "2/3"),  Item(40091, "3/4"), Item(40092, "5/6"),
                             Item(40093, "7/8")};
constexpr std::array kChannelParameters = {
    Item(40085, "Set Symbol Rate,,,"),
    Submenu("Set FEC", kFec),
    Item(40087, "Set Acq. BW..."),
};
constexpr std::array kAutoPmt = {Item(40095, "Acceso"), Item(40096, "Spento")};
constexpr std::array kAutoPid = {Item(40097, "Acceso"), Item(40098, "Spento")};

constexpr std::array kPopup = {
    Submenu("Seleziona Formato", kFormat),
    Submenu("Seleziona 12v", k12v),
    Submenu("Seleziona Inversine Spettro", kInversion),
    Submenu("Seleziona DiSEqC", kDiseqc),
    Submenu("Seleziona Polatità", kPolarity),
    Submenu("Seleziona il tipo di servizio", kServiceType),
    Submenu("Parametrica Canali", kChannelParameters),
    Submenu("Seleziona Auto PMT", kAutoPmt),
    Submenu("Seleziona Auto PID", kAutoPid),
    kSeparator,
    Item(cmd::kConvertFrequency, "&Converti Frecquenza..."),
    kSeparator,
    Item(cmd::kTuneChannel, "&Scansione Canali", "Ctrl+Z"),
};

}  // namespace

std::span<const MenuEntry> ChannelListPopup() { return kPopup; }

}  // namespace pelorus
