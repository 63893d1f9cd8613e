// The console's SCSI commands: one "scsi" command whose first word picks the transfer. Each
// finds the receiver first, exactly as the main window does at start-up.
#include <cstring>
#include <string>
#include <vector>

#include "channels/settings_file.h"
#include "cli.h"
#include "link_actions.h"
#include "scsi/firmware_upgrade.h"
#include "scsi/memory_dump.h"
#include "scsi/number_text.h"
#include "scsi/scsi_guard.h"
#include "scsi/scsi_scan.h"
#include "scsi/settings_transfer.h"
#include "scsi/speed_test.h"

namespace pelorus {
namespace {

int Result(bool done) { return done ? kExitDone : kExitFailed; }

// Every action finds the receiver first.
int RunScan(const ParsedLine&, EditorState& state, CliContext& context) {
  return Result(ConnectScsi(state, context));
}

int RunSpeedTest(const ParsedLine&, EditorState& state, CliContext& context) {
  if (!ConnectScsi(state, context)) return kExitFailed;
  return Result(SpeedTestScsi(state, context.ui));
}

int RunReadSettings(const ParsedLine& line, EditorState& state, CliContext& context) {
  if (!ConnectScsi(state, context)) return kExitFailed;
  if (!ReadSettingsScsi(state, context.ui)) return kExitFailed;
  state.currentFileName = line.Name(0);
  return Result(SaveSettingsFile(state, context.ui, false));
}

int RunWriteSettings(const ParsedLine& line, EditorState& state, CliContext& context) {
  if (!ConnectScsi(state, context)) return kExitFailed;
  state.commandLineFile = line.Name(0);
  if (!OpenSettingsFile(state, context.ui)) return kExitFailed;
  return Result(WriteSettingsScsi(state, context.ui));
}

int RunFirmware(const ParsedLine& line, EditorState& state, CliContext& context) {
  if (!ConnectScsi(state, context)) return kExitFailed;
  state.commandLineFile = line.Name(0);
  return Result(UpgradeFirmwareScsi(state, context.ui));
}

int RunReadMemory(const ParsedLine& line, EditorState& state, CliContext& context) {
  const std::string& address = line.Name(0);
  const std::string& length = line.Name(1);
  if (!ParseRangeFields(address, length).Valid()) {
    std::fprintf(context.err, "pelorus-cli: the range %s, %s is not valid\n", address.c_str(),
                 length.c_str());
    return UsageError(context);
  }
  if (!ConnectScsi(state, context)) return kExitFailed;
  return Result(SaveReceiverMemory(state, context.ui, [&](MemoryDialogRequest& request) {
    request.file.path = line.Name(2);
    request.addressText = address;
    request.lengthText = length;
    return true;
  }));
}

int RunScsiCommand(const ParsedLine& line, CliContext& context) {
  EditorState state;
  state.links.scsi = line.ValueOr("--scsi", "");
  return RunLinkAction("scsi", line, state, context);
}

const CliCommandRegistrar kScsi({"scsi", {{}, {kScsiOption}}, RunScsiCommand, true});

const LinkActionRegistrar kScanAction({"scsi", "scan", {}, RunScan});
const LinkActionRegistrar kSpeedTestAction({"scsi", "speed-test", {}, RunSpeedTest});
const LinkActionRegistrar kReadSettingsAction({"scsi",
                                               "read-settings",
                                               {{{"OUT.dvb",
                                                  "the file the receiver's list is saved to"}}},
                                               RunReadSettings});
const LinkActionRegistrar kWriteSettingsAction({"scsi",
                                                "write-settings",
                                                {{{"IN.dvb", "the list to write to the receiver"}}},
                                                RunWriteSettings});
const LinkActionRegistrar kFirmwareAction(
    {"scsi", "firmware", {{{"FILE.bin", "the firmware image"}}}, RunFirmware});
const LinkActionRegistrar kReadMemoryAction({"scsi",
                                             "read-memory",
                                             {{{"ADDRESS",
                                                "where the range starts (0x for hexadecimal)"},
                                               {"LENGTH", "how many bytes"},
                                               {"OUT.mem", "the file the bytes are saved to"}}},
                                             RunReadMemory});

}  // namespace
}  // namespace pelorus
