#include "link_actions.h"

#include <algorithm>
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

LinkActionRegistrar::LinkActionRegistrar(const LinkAction& action) {
  auto& actions = Registry();
  const auto place =
      std::upper_bound(actions.begin(), actions.end(), action, [](const auto& a, const auto& b) {
        return std::string_view(a.name) < std::string_view(b.name);
      });
  actions.insert(place, action);
}

const LinkAction* FindLinkAction(std::string_view link, std::string_view name) {
  for (const LinkAction& action : Registry()) {
    if (link == action.link && name == action.name) return &action;
  }
  return nullptr;
}

std::string LinkUsage(std::string_view link, std::string_view builtInUsage) {
  std::string usage(builtInUsage);
  for (const LinkAction& action : Registry()) {
    if (link != action.link) continue;
    usage += "\n  pelorus-cli ";
    usage += link;
    usage += ' ';
    usage += action.usage;
  }
  return usage;
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
