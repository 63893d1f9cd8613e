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

constexpr char kUsage[] =
    "select-channel LIST.dvb ROW [--scsi sim:PATH] [--port PATH] [--speed 9600|19200|38400] "
    "[--options FILE.ini]";

int RunSelectChannel(const std::vector<std::string>& args, CliContext& context) {
  std::vector<std::string> words;
  std::string scsi, port, optionsFile;
  uint32_t speedIndex = 0;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.starts_with("--") && i + 1 >= args.size()) return UsageError(context, kUsage);
    if (arg == "--scsi") {
      scsi = args[++i];
    } else if (arg == "--port") {
      port = args[++i];
    } else if (arg == "--options") {
      optionsFile = args[++i];
    } else if (arg == "--speed") {
      const std::string& speed = args[++i];
      speedIndex = speed == "9600" ? 1 : speed == "19200" ? 2 : speed == "38400" ? 3 : 0;
      if (speedIndex == 0) return UsageError(context, kUsage);
    } else {
      words.push_back(arg);
    }
  }
  if (words.size() != 2) return UsageError(context, kUsage);
  char* end = nullptr;
  const long row = std::strtol(words[1].c_str(), &end, 10);
  if (words[1].empty() || *end != '\0' || row < 1) return UsageError(context, kUsage);

  EditorState state;
  PrepareSerialState(state, optionsFile, port, speedIndex);
  state.commandLineFile = words[0];
  if (!OpenSettingsFile(state, context.ui)) return kExitFailed;
  if (row > state.ChannelCount()) {
    std::fprintf(context.err, "pelorus-cli: %s has %d channels, no row %ld\n", words[0].c_str(),
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

const CliCommandRegistrar kSelectChannel({"select-channel", kUsage, RunSelectChannel});

}  // namespace
}  // namespace pelorus
