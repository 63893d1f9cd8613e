#include "link_actions.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "app/options_io.h"
#include "common/messages.h"
#include "qsettings_options_store.h"
#include "scsi/scsi_guard.h"
#include "scsi/scsi_scan.h"

namespace pelorus {
namespace {

std::vector<LinkAction>& Registry() {
  static std::vector<LinkAction> actions;
  return actions;
}

}  // namespace

bool RegisterLinkAction(const LinkAction& action) {
  if (FindLinkAction(action.link, action.name) != nullptr) return false;
  auto& actions = Registry();
  const auto place =
      std::upper_bound(actions.begin(), actions.end(), action, [](const auto& a, const auto& b) {
        return std::string_view(a.name) < std::string_view(b.name);
      });
  actions.insert(place, action);
  return true;
}

LinkActionRegistrar::LinkActionRegistrar(const LinkAction& action) {
  if (!RegisterLinkAction(action)) {
    std::fprintf(stderr, "console action %s %s is registered twice\n", action.link, action.name);
    std::abort();
  }
}

const LinkAction* FindLinkAction(std::string_view link, std::string_view name) {
  for (const LinkAction& action : Registry()) {
    if (link == action.link && name == action.name) return &action;
  }
  return nullptr;
}

std::vector<const LinkAction*> LinkActionsOf(std::string_view link) {
  std::vector<const LinkAction*> actions;
  for (const LinkAction& action : Registry()) {
    if (link == action.link) actions.push_back(&action);
  }
  return actions;
}

CommandLine ActionLine(const LinkAction& action) {
  CommandLine line = action.line;
  if (const CliCommand* command = FindCliCommand(action.link)) {
    line.options.insert(line.options.end(), command->line.options.begin(),
                        command->line.options.end());
  }
  return line;
}

std::string LinkAction::Usage() const {
  std::string usage = std::string(link) + " " + name;
  const std::string own = Synopsis(line);
  if (!own.empty()) usage += " " + own;
  if (const CliCommand* command = FindCliCommand(link)) {
    const std::string linkOptions = Synopsis(CommandLine{{}, command->line.options});
    if (!linkOptions.empty()) usage += (own.empty() ? " " : "  ") + linkOptions;
  }
  if (line.note != nullptr) usage += std::string("  ") + line.note;
  return usage;
}

int RunLinkAction(std::string_view link, const ParsedLine& line, EditorState& state,
                  CliContext& context) {
  const LinkAction* action = FindLinkAction(link, line.action);
  if (action == nullptr) return UsageError(context);
  return action->run(line, state, context);
}

uint32_t SpeedIndex(const std::string& speed) {
  return speed == "9600" ? 1 : speed == "19200" ? 2 : speed == "38400" ? 3 : 0;
}

bool ConnectScsi(EditorState& state, CliContext& context) {
  std::string whyNotFound;
  ScsiScan(state, context.ui, &whyNotFound);
  if (state.aspiModule) return true;
  context.ui.ShowDetailedMessage(msg::kNoScsiInterface, whyNotFound, Icon::kStop);
  return false;
}

void PrepareSerialState(EditorState& state, const std::string& optionsFile, const std::string& port,
                        uint32_t speedIndex) {
  QSettingsOptionsStore store = optionsFile.empty()
                                    ? QSettingsOptionsStore()
                                    : QSettingsOptionsStore(QString::fromStdString(optionsFile));
  if (store.Exists()) {
    LoadOptions(state.options, store);
  } else {
    state.options.port = 1;
    state.options.speed = 3;
  }
  if (!port.empty()) {
    state.links.serialPort = port;
  } else if (const char* fromEnvironment = std::getenv("PELORUS_SERIAL")) {
    state.links.serialPort = fromEnvironment;
  }
  if (speedIndex != 0) state.options.speed = speedIndex;
}

}  // namespace pelorus
