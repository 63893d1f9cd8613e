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

constexpr char kUsage[] =
    "scsi scan | read-settings OUT.dvb | write-settings IN.dvb | firmware FILE.bin | speed-test"
    " | read-memory ADDRESS LENGTH OUT.mem  [--scsi sim:PATH]";

int Result(bool done) { return done ? kExitDone : kExitFailed; }

int ReadSettings(EditorState& state, CliContext& context, const std::string& out) {
  if (!ReadSettingsScsi(state, context.ui)) return kExitFailed;
  state.currentFileName = out;
  return Result(SaveSettingsFile(state, context.ui, false));
}

int WriteSettings(EditorState& state, CliContext& context, const std::string& in) {
  state.commandLineFile = in;
  if (!OpenSettingsFile(state, context.ui)) return kExitFailed;
  return Result(WriteSettingsScsi(state, context.ui));
}

int ReadMemory(EditorState& state, CliContext& context, const std::vector<std::string>& words) {
  if (!ParseRangeFields(words[1], words[2]).Valid()) {
    std::fprintf(context.err, "pelorus-cli: the range %s, %s is not valid\n", words[1].c_str(),
                 words[2].c_str());
    return UsageError(context, LinkUsage("scsi", kUsage).c_str());
  }
  if (!ConnectScsi(state, context)) return kExitFailed;
  return Result(SaveReceiverMemory(state, context.ui, [&](MemoryDialogRequest& request) {
    request.file.path = words[3];
    request.addressText = words[1];
    request.lengthText = words[2];
    return true;
  }));
}

int RunScsiCommand(const std::vector<std::string>& args, CliContext& context) {
  const std::string usage = LinkUsage("scsi", kUsage);
  EditorState state;
  std::vector<std::string> words;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--scsi") {
      if (i + 1 >= args.size()) return UsageError(context, usage.c_str());
      state.links.scsi = args[++i];
    } else {
      words.push_back(args[i]);
    }
  }
  if (words.empty()) return UsageError(context, usage.c_str());
  if (const LinkAction* added = FindLinkAction("scsi", words[0])) {
    const std::vector<std::string> rest(words.begin() + 1, words.end());
    return added->run(rest, state, context);
  }
  for (const std::string& word : words) {
    if (word.starts_with("--")) return UsageError(context, usage.c_str());
  }
  const std::string& action = words[0];
  auto wants = [&](size_t count) { return words.size() == count + 1; };

  if (action == "read-memory") {
    if (!wants(3)) return UsageError(context, usage.c_str());
    return ReadMemory(state, context, words);
  }
  if (action == "scan" || action == "speed-test") {
    if (!wants(0)) return UsageError(context, usage.c_str());
  } else if (action == "read-settings" || action == "write-settings" || action == "firmware") {
    if (!wants(1)) return UsageError(context, usage.c_str());
  } else {
    return UsageError(context, usage.c_str());
  }

  if (!ConnectScsi(state, context)) return kExitFailed;
  if (action == "scan") return kExitDone;
  if (action == "speed-test") return Result(SpeedTestScsi(state, context.ui));
  if (action == "read-settings") return ReadSettings(state, context, words[1]);
  if (action == "write-settings") return WriteSettings(state, context, words[1]);
  state.commandLineFile = words[1];
  return Result(UpgradeFirmwareScsi(state, context.ui));
}

const CliCommandRegistrar kScsi({"scsi", kUsage, RunScsiCommand});

}  // namespace
}  // namespace pelorus
