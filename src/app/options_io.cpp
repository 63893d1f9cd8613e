#include "app/options_io.h"

#include <array>

#include "app/command_line.h"

namespace pelorus {
namespace {

struct NumberOption {
  const char* name;
  uint32_t Options::*field;
};

struct TextOption {
  const char* name;
  std::string Options::*field;
  // The folders are written only when set; the device path must also be cleared when the user
  // goes back to a numbered port.
  bool writeWhenEmpty = false;
};

// In the order they are read and written. The data-format value's name really ends in a tab;
// a value without it is a different value.
constexpr std::array<NumberOption, 25> kNumberOptions = {{
    {"Port", &Options::port},
    {"Speed", &Options::speed},
    {"Decimal", &Options::decimal},
    {"FlashEraseAll", &Options::flashEraseAll},
    {"PasteBefore", &Options::pasteBefore},
    {"WaitPCR", &Options::waitPcr},
    {"SCSIBusy", &Options::scsiBusy},
    {"AC3", &Options::ac3},
    {"RunPIDFinderUntilStopped", &Options::runPidFinderUntilStopped},
    {"MPEGProjectDiseqcC", &Options::mpegProjectDiseqcC},
    {"MPEGProjectDiseqcKu", &Options::mpegProjectDiseqcKu},
    {"MPEGProjectDiseqcKuDBS", &Options::mpegProjectDiseqcKuDbs},
    {"MPEGProjectPasteMode", &Options::mpegProjectPasteMode},
    {"MPEGProjectAddMarkers", &Options::mpegProjectAddMarkers},
    {"MPEGProjectDataFormat\t", &Options::mpegProjectDataFormat},
    {"SCSIDisabled", &Options::scsiDisabled},
    {"ReadStartAddress", &Options::readStartAddress},
    {"ReadLength", &Options::readLength},
    {"SyncVideo", &Options::syncVideo},
    {"StreamPID", &Options::streamPid},
    {"StreamThreshold", &Options::streamThreshold},
    {"StreamMode", &Options::streamMode},
    {"TS2ES", &Options::ts2Es},
    {"SyncTDT", &Options::syncTdt},
    {"MatchCase", &Options::matchCase},
}};

constexpr std::array<TextOption, 10> kTextOptions = {{
    {"DVBInitialDir", &Options::dvbInitialDir},
    {"SBRInitialDir", &Options::sbrInitialDir},
    {"BINInitialDir", &Options::binInitialDir},
    {"TXTInitialDir", &Options::txtInitialDir},
    {"SCNInitialDir", &Options::scnInitialDir},
    {"MEMInitialDir", &Options::memInitialDir},
    {"MPPInitialDir", &Options::mppInitialDir},
    {"JPGInitialDir", &Options::jpgInitialDir},
    {"MP2InitialDir", &Options::mp2InitialDir},
    {"SerialDevice", &Options::serialDevice, true},
}};

}  // namespace

bool LoadOptions(Options& options, OptionsStore& store) {
  for (const TextOption& option : kTextOptions) (options.*option.field).clear();

  // A first run is a store created now; one whose first values cannot be written never comes to
  // exist, so it is no first run (or every start would greet the user again).
  bool created = false;
  bool firstRun = false;
  if (store.CreateOrOpen(created) && created) {
    store.WriteNumber("Port", 1);
    store.WriteNumber("Speed", 3);
    store.WriteNumber("FlashEraseAll", 0);
    firstRun = store.Flush();
  }
  if (!store.Exists()) return false;

  for (const NumberOption& option : kNumberOptions) {
    if (const auto value = store.ReadNumber(option.name)) options.*option.field = *value;
  }
  for (const TextOption& option : kTextOptions) {
    const auto value = store.ReadText(option.name);
    if (value && value->size() < kMaxPathLength) options.*option.field = *value;
  }
  return firstRun;
}

void SaveOptions(const Options& options, OptionsStore& store) {
  if (!store.Exists()) return;
  for (const NumberOption& option : kNumberOptions) {
    store.WriteNumber(option.name, options.*option.field);
  }
  for (const TextOption& option : kTextOptions) {
    const std::string& value = options.*option.field;
    if (!value.empty() || option.writeWhenEmpty) store.WriteText(option.name, value);
  }
  store.Flush();
}

}  // namespace pelorus
