// pelorus-cli select-channel LIST.dvb ROW: switches the receiver to the channel of that row,
// over SCSI when --scsi (or PELORUS_SCSI) names the receiver, else over the serial port.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "channels/settings_file.h"
#include "link_actions.h"
#include "serial/select_channel.h"

namespace pelorus {
namespace {

int RunSelectChannel(const ParsedLine& line, CliContext& context) {
  uint32_t speedIndex = 0;
  if (const std::string* speed = line.Value("--speed")) {
    speedIndex = SpeedIndex(*speed);
    if (speedIndex == 0) return UsageError(context);
  }
  const std::string& list = line.Name(0);
  const std::string& rowText = line.Name(1);
  char* end = nullptr;
  const long row = std::strtol(rowText.c_str(), &end, 10);
  if (*end != '\0' || row < 1) return UsageError(context);
  std::string scsi = line.ValueOr("--scsi", "");

  EditorState state;
  PrepareSerialState(state, line.ValueOr("--options", ""), line.ValueOr("--port", ""), speedIndex);
  state.commandLineFile = list;
  if (!OpenSettingsFile(state, context.ui)) return kExitFailed;
  if (row > state.ChannelCount()) {
    std::fprintf(context.err, "pelorus-cli: %s has %d channels, no row %ld\n", list.c_str(),
                 state.ChannelCount(), row);
    return kExitUsage;
  }
  if (scsi.empty()) {
    if (const char* fromEnvironment = std::getenv("PELORUS_SCSI")) scsi = fromEnvironment;
  }
  if (!scsi.empty()) {
    state.links.scsi = scsi;
    if (!ConnectScsi(state, context)) return kExitFailed;
  }
  SerialLink link(context.ui);
  const int selected = static_cast<int>(row - 1);
  return SelectChannelOnReceiver(state, link, std::span(&selected, 1)) ? kExitDone : kExitFailed;
}

const CliCommandRegistrar kSelectChannel(
    {"select-channel",
     {{{"LIST.dvb", "the settings file the receiver holds"}, {"ROW", "the channel's row, from 1"}},
      {kScsiOption, kPortOption, kSpeedOption, kOptionsFileOption}},
     RunSelectChannel});

}  // namespace
}  // namespace pelorus
