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

int RunReadSettings(const ParsedLine& line, EditorState& state, CliContext& context) {
  const std::string& file = line.Name(0);
  SerialLink link(context.ui);
  bool checksumOk = false;
  if (!ReadSettingsSerial(state, link, &checksumOk)) return kExitFailed;
  if (!checksumOk && !ConfirmUnverifiedSave(context, file)) return kExitFailed;
  state.currentFileName = file;
  return SaveSettingsFile(state, context.ui, false) ? kExitDone : kExitFailed;
}

int RunWriteSettings(const ParsedLine& line, EditorState& state, CliContext& context) {
  SerialLink link(context.ui);
  state.commandLineFile = line.Name(0);
  return OpenSettingsFile(state, context.ui) && WriteSettingsSerial(state, link) ? kExitDone
                                                                                 : kExitFailed;
}

int RunUploadSubroutine(const ParsedLine& line, EditorState& state, CliContext& context) {
  SerialLink link(context.ui);
  state.commandLineFile = line.Name(0);
  return UploadSubroutineCommand(state, link) ? kExitDone : kExitFailed;
}

int RunFirmware(const ParsedLine& line, EditorState& state, CliContext& context) {
  if (!SerialFirmwareAvailable()) return UsageError(context);
  SerialLink link(context.ui);
  state.commandLineFile = line.Name(0);
  return FirmwareUpgradeSerial(state, link, {ShippedDataFolder(), ""}) ? kExitDone : kExitFailed;
}

int RunSerialCommand(const ParsedLine& line, CliContext& context) {
  uint32_t speedIndex = 0;
  if (const std::string* speed = line.Value("--speed")) {
    speedIndex = SpeedIndex(*speed);
    if (speedIndex == 0) return UsageError(context);
  }
  EditorState state;
  PrepareSerialState(state, line.ValueOr("--options", ""), line.ValueOr("--port", ""), speedIndex);
  return RunLinkAction("serial", line, state, context);
}

const CliCommandRegistrar kSerial(
    {"serial", {{}, {kPortOption, kSpeedOption, kOptionsFileOption}}, RunSerialCommand, true});

const LinkActionRegistrar kReadSettingsAction({"serial",
                                               "read-settings",
                                               {{{"OUT.dvb",
                                                  "the file the receiver's list is saved to"}}},
                                               RunReadSettings});
const LinkActionRegistrar kWriteSettingsAction({"serial",
                                                "write-settings",
                                                {{{"IN.dvb", "the list to write to the receiver"}}},
                                                RunWriteSettings});
const LinkActionRegistrar kUploadAction({"serial",
                                         "upload-sbr",
                                         {{{"FILE.sbr", "the subroutine to run on the receiver"}}},
                                         RunUploadSubroutine});
const LinkActionRegistrar kFirmwareAction(
    {"serial", "firmware", {{{"FILE.bin", "the firmware image"}}}, RunFirmware});

}  // namespace
}  // namespace pelorus
