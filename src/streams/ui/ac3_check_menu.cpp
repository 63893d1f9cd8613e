// The stream commands of the main window outside the captures: the "Utilità" menu's
// transport-stream file check, whose report opens in its own window, and the AC-3 decoder.
#include "app/ui/gui_command.h"
#include "common/command_ids.h"
#include "streams/ac3_play.h"
#include "streams/ts_check.h"
#include "streams/ui/ac3_dialog.h"
#include "streams/ui/ts_report_window.h"

namespace pelorus {
namespace {

void RunStreamFileCheck(GuiContext& context) {
  QWidget* owner = context.window;
  CheckTsFile(context.state, context.ui, [owner](const std::string& report) {
    TsReportWindow window(report, owner);
    window.exec();
  });
}

void RunAc3Decoder(GuiContext& context) {
  QWidget* owner = context.window;
  PlayAc3(context.state, context.ui, Ac3PluginLoader(), [owner](Ac3Playback& playback) {
    Ac3Dialog dialog(playback, owner);
    dialog.exec();
    // Whatever ended the dialog, no callback may reach it once it is gone.
    playback.RequestStop();
    playback.Join();
  });
}

const GuiCommandRegistrar kStreamFileCheck(cmd::kStreamFileCheck, RunStreamFileCheck);
const GuiCommandRegistrar kAc3Decoder(cmd::kAc3Decoder, RunAc3Decoder);

}  // namespace
}  // namespace pelorus
