// The File menu's commands on settings files: New, Open, Save and Save As.
#include "app/commands.h"
#include "app/ui/gui_command.h"
#include "channels/settings_file.h"

namespace pelorus {
namespace {

void RunNew(GuiContext& context) { NewSettings(context.state, context.ui); }
void RunOpen(GuiContext& context) { OpenSettingsFile(context.state, context.ui); }
void RunSave(GuiContext& context) { SaveSettingsFile(context.state, context.ui, false); }
void RunSaveAs(GuiContext& context) { SaveSettingsFile(context.state, context.ui, true); }

const GuiCommandRegistrar kNew(cmd::kNew, RunNew);
const GuiCommandRegistrar kOpen(cmd::kOpen, RunOpen);
const GuiCommandRegistrar kSave(cmd::kSave, RunSave);
const GuiCommandRegistrar kSaveAs(cmd::kSaveAs, RunSaveAs);

}  // namespace
}  // namespace pelorus
