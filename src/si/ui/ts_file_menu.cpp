// "Analizza File TS..." in "Utilità": a recording looked into without a receiver.
#include "app/ui/gui_command.h"
#include "common/command_ids.h"
#include "si/ui/ts_file_dialog.h"

namespace pelorus {
namespace {

void RunAnalyseTsFile(GuiContext& context) {
  AnalyseTsFileCommand(context.ui, context.state.options.mppInitialDir,
                       context.state.options.txtInitialDir, context.window);
}

const GuiCommandRegistrar kAnalyseTsFile(cmd::kAnalyseTsFile, RunAnalyseTsFile);

}  // namespace
}  // namespace pelorus
