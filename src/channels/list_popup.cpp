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

constexpr std::array kFormat = {Item(cmd::kNtsc, "NTSC"), Item(cmd::kPal, "PAL")};
constexpr std::array k12v = {Item(cmd::k12vOff, "Spento"), Item(cmd::k12vOn, "Acceso")};
constexpr std::array kInversion = {Item(cmd::kInversionAuto, "Auto"),
                                   Item(cmd::kInversionOn, "Acceso"),
                                   Item(cmd::kInversionOff, "Spento")};
constexpr std::array kDiseqc = {
    Item(cmd::kDiseqc1, "Ingresso LNB 1"), Item(cmd::kDiseqc2, "Ingresso LNB 2"),
    Item(cmd::kDiseqc3, "Ingresso LNB 3"), Item(cmd::kDiseqc4, "Ingresso LNB 4")};
constexpr std::array kPolarity = {Item(cmd::kHorizontal, "Orizontale"),
                                  Item(cmd::kVertical, "Verticale")};
constexpr std::array kServiceType = {
    Item(cmd::kServiceTypeFirst, "TV Digitali"),
    Item(cmd::kServiceTypeFirst + 1, "Radio Digitali"),
    Item(cmd::kServiceTypeFirst + 2, "Teletext"),
    Item(cmd::kServiceTypeFirst + 3, "NVOD ref."),
    Item(cmd::kServiceTypeFirst + 4, "NVOD Timeshift"),
    Item(cmd::kServiceTypeFirst + 5, "Mosaico"),
    Item(cmd::kServiceTypeFirst + 6, "Formato PAL"),
    Item(cmd::kServiceTypeFirst + 7, "Formato SECAM"),
    Item(cmd::kServiceTypeFirst + 8, "Formato D/D2-MAC"),
    Item(cmd::kServiceTypeLast, "Radio FM"),
};
constexpr std::array kFec = {Item(cmd::kFecAuto, "Auto"), Item(cmd::kFec11, "1/1"),
                             Item(cmd::kFec12, "1/2"),    Item(cmd::kFec23, "2/3"),
                             Item(cmd::kFec34, "3/4"),    Item(cmd::kFec56, "5/6"),
                             Item(cmd::kFec78, "7/8")};
constexpr std::array kChannelParameters = {
    Item(cmd::kSymbolRate, "Set Symbol Rate,,,"),
    Submenu("Set FEC", kFec),
    Item(cmd::kBandwidth, "Set Acq. BW..."),
};
constexpr std::array kAutoPmt = {Item(cmd::kAutoPmtOn, "Acceso"), Item(cmd::kAutoPmtOff, "Spento")};
constexpr std::array kAutoPid = {Item(cmd::kAutoPidOn, "Acceso"), Item(cmd::kAutoPidOff, "Spento")};

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
