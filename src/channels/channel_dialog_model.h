#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "channels/pid_format.h"
#include "receiver/channel_record.h"

namespace pelorus {

// The contents of the channel dialog's controls ("Setaggio Canali"), apart from any toolkit, so
// that the rules for showing a record and reading it back can be run and tested without a window.
struct ChannelDialogFields {
  std::string name;
  std::string serviceId;
  std::string lockCode;
  bool ntsc = false;
  int audioMode = 0;  // 0 "&Normale", 1 "&Invertito", 2 "&Sinistro", 3 "&Destro"
  bool twelveVolt = false;
  int diseqcIndex = 0;  // "LNB port 1".."LNB port 4"
  std::string frequency;
  std::string acqBandwidth;
  std::string symbolRate;
  // "Auto", "Off", "On"; -1 when the stored value has no item, as a list selection outside its
  // items shows nothing. Reading back -1 keeps the value 3 that caused it.
  int inversionIndex = 0;
  std::optional<uint8_t> fecCode;  // the code of the ticked FEC button; none ticked for 5 or > 7
  bool horizontal = true;
  std::string videoPid;
  std::string audioPid;
  std::string pmtPid;
  std::string textPid;
  std::string pcrPid;
  std::string pmc;
  std::string tsId;
  std::string networkId;
  std::string scrambling;
  int serviceTypeIndex = 0;
  bool autoPmt = false;
  bool autoPid = false;
};

// The FEC radio buttons in the dialog's order, with their captions.
struct FecButton {
  uint8_t code;
  const char* caption;
};
inline constexpr std::array<FecButton, 7> kFecButtons = {
    {{1, "1/&1"}, {2, "1/&2"}, {3, "2/&3"}, {4, "3/&4"}, {6, "5/&6"}, {7, "7/&8"}, {0, "Auto"}}};

inline constexpr std::array<const char*, 14> kServiceTypeItems = {
    "Reserved",       "Digital TV", "Digital Radio", "Teletext",    "NVOD ref.",
    "NVOD Timeshift", "Mosaic",     "PAL Coded",     "SECAM Coded", "D/D2-MAC Coded",
    "FM Radio",       "Text",       "Application",   "Application"};

inline constexpr std::array<const char*, 3> kInversionItems = {"Auto", "Off", "On"};
inline constexpr int kDiseqcPortCount = 4;
inline constexpr int kChannelNameInputLimit = 24;

// The index of the service type list that shows a stored `serviceType`, and the value an index
// stores: 1-11 are themselves, 177 and 178 are the two "Application" items, the rest "Reserved".
int ServiceTypeIndex(uint8_t serviceType);
uint8_t ServiceTypeOfIndex(int index);

// What the dialog shows for a record when it opens.
ChannelDialogFields ShowChannelFields(const ChannelRecord& record, PidMode mode);

// What OK writes into the record: every field from its control, `modeFlags` and `lnbSelect`
// rebuilt from zero, the other `autoFlags` bits kept, the tag set. A number field whose text does
// not begin with a number keeps the value the record had.
void ReadChannelFields(const ChannelDialogFields& fields, PidMode mode, ChannelRecord& record);

}  // namespace pelorus
