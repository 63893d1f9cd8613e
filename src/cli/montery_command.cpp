// pelorus-cli montery LIST.dvb --seconds S: keeps a Montery 140 on the serial port in step with
// the receiver's current channel (read over SCSI) for S seconds, printing each command sent.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "channels/settings_file.h"
#include "link_actions.h"
#include "serial/messages.h"
#include "serial/montery_interface.h"

namespace pelorus {
namespace {

constexpr double kMaxSeconds = 24 * 60 * 60;

int RunMontery(const ParsedLine& line, CliContext& context) {
  const std::string secondsText = line.ValueOr("--seconds", "");
  char* end = nullptr;
  const double seconds = std::strtod(secondsText.c_str(), &end);
  if (*end != '\0' || !std::isfinite(seconds) || seconds <= 0 || seconds > kMaxSeconds) {
    return UsageError(context);
  }
  const std::string iniFile = line.ValueOr("--ini", "");
  std::string scsi = line.ValueOr("--scsi", "");
  // A profile named on the command line, or the user's own, must be readable; the one that
  // ships may be missing.
  std::string why;
  const std::optional<ProfileIni> ini = LoadMonteryProfile(iniFile, why);
  if (!ini) {
    std::fprintf(context.err, "pelorus-cli: %s: %s\n", msg::kCannotReadMonteryProfile, why.c_str());
    return kExitFailed;
  }

  EditorState state;
  PrepareSerialState(state, line.ValueOr("--options", ""), line.ValueOr("--port", ""), 0);
  state.commandLineFile = line.Name(0);
  if (!OpenSettingsFile(state, context.ui)) return kExitFailed;
  if (scsi.empty()) {
    if (const char* fromEnvironment = std::getenv("PELORUS_SCSI")) scsi = fromEnvironment;
  }
  state.links.scsi = scsi;
  if (!ConnectScsi(state, context)) return kExitFailed;
  if (!MonteryInterfaceAllowed(state, context.ui)) return kExitFailed;

  const MonteryProfile profile(ini.value_or(ProfileIni()));
  MonterySent sent;
  SerialLink link(context.ui);
  MonteryMonitor monitor(state, link, profile, sent);
  const auto tick = std::chrono::milliseconds(kMonteryTickMs);
  const auto start = std::chrono::steady_clock::now();
  const auto stop = start + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                std::chrono::duration<double>(seconds));
  for (auto next = start; next < stop; next += tick) {
    std::this_thread::sleep_until(next);
    for (std::string command : monitor.Tick()) {
      if (command.ends_with('\r')) command.pop_back();
      std::fprintf(context.out, "%s\n", command.c_str());
      std::fflush(context.out);
    }
    // Why nothing is sent, when a list has no satellite for the channel (said once).
    context.ui.SetStatusText(monitor.view().note);
    // A sending takes longer than a tick; the next tick comes a whole tick after it.
    next = std::max(next, std::chrono::steady_clock::now() - tick);
  }
  return kExitDone;
}

// No --speed: the Montery 140 always listens at 9600 bit/s.
const CliCommandRegistrar kMontery(
    {"montery",
     {{{"LIST.dvb", "the settings file the receiver holds"}},
      {{"--seconds", "S", "how long to keep the Montery 140 in step", true},
       {"--ini", "pelorus.ini", "the profile to read instead of the usual one"},
       kScsiOption,
       kPortOption,
       kOptionsFileOption}},
     RunMontery});

}  // namespace
}  // namespace pelorus
