// The console commands over the serial link: settings both ways, subroutine upload and the
// firmware upgrade. They call the same core as the menu commands.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/options_io.h"
#include "channels/settings_file.h"
#include "cli.h"
#include "common/strfmt.h"
#include "link_actions.h"
#include "qsettings_options_store.h"
#include "serial/firmware_serial.h"
#include "serial/messages.h"
#include "serial/serial_link.h"
#include "serial/settings_serial.h"
#include "serial/subroutine_upload.h"

namespace pelorus {
namespace {

constexpr char kUsage[] =
    "serial read-settings OUT.dvb | write-settings IN.dvb | upload-sbr FILE.sbr | "
    "firmware FILE.bin [--port PATH] [--speed 9600|19200|38400] [--options FILE.ini]";

struct SerialArguments {
  std::string action;
  std::vector<std::string> rest;  // every other word, in order
  std::string port;
  std::string optionsFile;
  uint32_t speedIndex = 0;
};

// Takes the link's own options out of the words; false when one of them is malformed.
bool ParseArguments(const std::vector<std::string>& args, SerialArguments& parsed) {
  if (args.empty()) return false;
  parsed.action = args[0];
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool isLinkOption = arg == "--port" || arg == "--options" || arg == "--speed";
    if (isLinkOption && i + 1 >= args.size()) return false;
    if (arg == "--port") {
      parsed.port = args[++i];
      // An empty name would fall back to the first numbered port and wait there for nothing.
      if (parsed.port.empty()) return false;
    } else if (arg == "--options") {
      parsed.optionsFile = args[++i];
    } else if (arg == "--speed") {
      const std::string& speed = args[++i];
      parsed.speedIndex = speed == "9600" ? 1 : speed == "19200" ? 2 : speed == "38400" ? 3 : 0;
      if (parsed.speedIndex == 0) return false;
    } else {
      parsed.rest.push_back(arg);
    }
  }
  return true;
}

// A list whose checksum was wrong may hold damaged records: it replaces a file that is already
// there only when the user says so (--yes, or a yes on the terminal).
bool ConfirmUnverifiedSave(CliContext& context, const std::string& file) {
  struct stat info {};
  if (::lstat(file.c_str(), &info) != 0) return true;
  if (context.ui.Ask(Format(msg::kReplaceWithUnverified, file.c_str()), Buttons::kYesNo,
                     Icon::kWarning, Answer::kNo) == Answer::kYes) {
    return true;
  }
  context.ui.ShowMessage(Format(msg::kUnverifiedNotWritten, file.c_str()), Icon::kStop);
  return false;
}

int RunSerialCommand(const std::vector<std::string>& args, CliContext& context) {
  const std::string usage = LinkUsage("serial", kUsage);
  SerialArguments parsed;
  if (!ParseArguments(args, parsed)) return UsageError(context, usage.c_str());
  const LinkAction* added = FindLinkAction("serial", parsed.action);
  const bool oneFile = parsed.rest.size() == 1 && !parsed.rest[0].starts_with("--");
  if (added == nullptr && !oneFile) return UsageError(context, usage.c_str());

  EditorState state;
  PrepareSerialState(state, parsed.optionsFile, parsed.port, parsed.speedIndex);
  if (added != nullptr) return added->run(parsed.rest, state, context);
  const std::string& file = parsed.rest[0];
  SerialLink link(context.ui);

  bool done = false;
  if (parsed.action == "read-settings") {
    bool checksumOk = false;
    done = ReadSettingsSerial(state, link, &checksumOk);
    if (done && !checksumOk && !ConfirmUnverifiedSave(context, file)) return kExitFailed;
    if (done) {
      state.currentFileName = file;
      done = SaveSettingsFile(state, context.ui, false);
    }
  } else if (parsed.action == "write-settings") {
    state.commandLineFile = file;
    done = OpenSettingsFile(state, context.ui) && WriteSettingsSerial(state, link);
  } else if (parsed.action == "upload-sbr") {
    state.commandLineFile = file;
    done = UploadSubroutineCommand(state, link);
  } else if (parsed.action == "firmware" && SerialFirmwareAvailable()) {
    state.commandLineFile = file;
    done = FirmwareUpgradeSerial(state, link, {ShippedDataFolder(), ""});
  } else {
    return UsageError(context, usage.c_str());
  }
  return done ? kExitDone : kExitFailed;
}

const CliCommandRegistrar kSerial({"serial", kUsage, RunSerialCommand});

}  // namespace
}  // namespace pelorus
