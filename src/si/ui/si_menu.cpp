// The SCSI menu's analysis commands: "Analisi Sistema...", "Analisi Eventi..." and
// "Cerca PID...".
#include "app/ui/gui_command.h"
#include "common/command_ids.h"
#include "scsi/scsi_guard.h"
#include "scsi/stream_primitives.h"
#include "si/system_clock.h"
#include "si/ui/eit_dialog.h"
#include "si/ui/pid_dialogs.h"
#include "si/ui/si_browser_dialog.h"

namespace pelorus {
namespace {

void ShowSiBrowser(GuiContext& context) {
  if (!RequireScsi(context.state, context.ui)) return;
  SetScsiBusy(*context.state.aspiModule, context.state.options.scsiBusy != 0);
  SiBrowserDialog dialog(*context.state.aspiModule, context.ui, context.window);
  dialog.exec();
}

void ShowEitBrowser(GuiContext& context) {
  if (!RequireScsi(context.state, context.ui)) return;
  // Only the desktop sets the machine's clock; it tells the user when the system refuses.
  RealSystemClock clock;
  EitDialog dialog(context.state, context.ui, context.optionsStore, clock, context.window);
  dialog.exec();
}

void ShowPidFinder(GuiContext& context) {
  if (!RequireScsi(context.state, context.ui)) return;
  PidFinderDialog dialog(context.state, context.ui, context.optionsStore, context.window);
  dialog.exec();
}

const GuiCommandRegistrar kServiceInfo(cmd::kServiceInfo, ShowSiBrowser);
const GuiCommandRegistrar kEitBrowser(cmd::kEitBrowser, ShowEitBrowser);
const GuiCommandRegistrar kPidFinder(cmd::kPidFinder, ShowPidFinder);

}  // namespace
}  // namespace pelorus
