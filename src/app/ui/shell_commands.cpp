// The application shell's menu commands: preferences, exit, select all, About, web pages and
// the two SCSI commands that only answer with a message.
#include <QDesktopServices>
#include <QUrl>
#include <QWidget>

#include "app/commands.h"
#include "app/messages.h"
#include "app/options_io.h"
#include "app/preferences.h"
#include "app/shell.h"
#include "app/ui/about_dialog.h"
#include "app/ui/gui_command.h"
#include "app/ui/preferences_dialog.h"
#include "app/version.h"
#include "app/web_links.h"
#include "common/strfmt.h"

namespace pelorus {
namespace {

void RunPreferences(GuiContext& context) {
  PreferencesDialog dialog(PreferencesFromOptions(context.state.options), context.window);
  if (!context.state.links.serialPort.empty()) {
    dialog.ShowDeviceInUse(context.state.links.serialPort, "--port / PELORUS_SERIAL");
  }
  if (dialog.exec() == QDialog::Accepted &&
      ApplyPreferences(context.state.options, dialog.Choice())) {
    context.refillWithNewPidMode();
  }
  SaveOptions(context.state.options, context.optionsStore);
}

void RunExit(GuiContext& context) { context.window->close(); }

void RunSelectAll(GuiContext& context) {
  const int count = context.state.ChannelCount();
  if (count == 0) return;
  BusyScope busy(context.ui);
  std::vector<int> rows(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) rows[static_cast<size_t>(i)] = i;
  context.selectRows(rows, -1);
}

void RunAbout(GuiContext& context) {
  AboutDialog dialog(context.window);
  dialog.exec();
}

void OpenWebLink(GuiContext& context, int command) {
  const VersionInfo version = BuildVersionString(ProgramFileVersion());
  if (const auto link = WebLinkForCommand(command, version.build)) {
    // Without a browser the desktop only logs the failure; tell the user where to go instead.
    if (!QDesktopServices::openUrl(QUrl(QString::fromStdString(*link)))) {
      context.ui.ShowMessage(Format(msg::kNoBrowser, link->c_str()), Icon::kWarning);
    }
  }
}

template <int kCommand>
void RunWebLink(GuiContext& context) {
  OpenWebLink(context, kCommand);
}

void RunWriteStreams(GuiContext& context) { ShowUnderConstruction(context.ui); }

void RunPipe(GuiContext& context) { context.ui.ShowMessage(msg::kNoPiping, Icon::kStop); }

const GuiCommandRegistrar kPreferences(cmd::kPreferences, RunPreferences);
const GuiCommandRegistrar kExit(cmd::kExit, RunExit);
const GuiCommandRegistrar kSelectAll(cmd::kSelectAll, RunSelectAll);
const GuiCommandRegistrar kAbout(cmd::kAbout, RunAbout);
const GuiCommandRegistrar kUpdatesPrimary(cmd::kUpdatesPrimary, RunWebLink<cmd::kUpdatesPrimary>);
const GuiCommandRegistrar kUpdatesSecondary(cmd::kUpdatesSecondary,
                                            RunWebLink<cmd::kUpdatesSecondary>);
const GuiCommandRegistrar kUpdatesNorth(cmd::kUpdatesNorth, RunWebLink<cmd::kUpdatesNorth>);
const GuiCommandRegistrar kHomePrimary(cmd::kHomePrimary, RunWebLink<cmd::kHomePrimary>);
const GuiCommandRegistrar kHomeSecondary(cmd::kHomeSecondary, RunWebLink<cmd::kHomeSecondary>);
const GuiCommandRegistrar kHomeNorth(cmd::kHomeNorth, RunWebLink<cmd::kHomeNorth>);
const GuiCommandRegistrar kWriteStreams(cmd::kScsiWriteStreams, RunWriteStreams);
const GuiCommandRegistrar kPipe(cmd::kMultiPidPipe, RunPipe);

}  // namespace
}  // namespace pelorus
