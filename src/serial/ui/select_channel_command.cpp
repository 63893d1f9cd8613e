// "&Controllo Canali" (and the list popup's "&Scansione Canali", Ctrl+Z): the receiver shows
// the first selected channel.
#include "app/ui/gui_command.h"
#include "serial/select_channel.h"
#include "serial/ui/serial_gui.h"

namespace pelorus {
namespace {

void RunSelectChannel(GuiContext& context) {
  const std::vector<int> rows = context.selectedRows();
  SelectChannelOnReceiver(context.state, SerialGui::For(context).link(), rows);
}

const GuiCommandRegistrar kSelectChannel(cmd::kTuneChannel, RunSelectChannel);

}  // namespace
}  // namespace pelorus
