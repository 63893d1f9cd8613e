// "Colori &Al d-box" and "Colori &Dal d-box": run for the colour-editing program, which starts
// the editor with /CU or /CD; the editor ends once the command has run.
#include <QWidget>

#include "app/ui/gui_command.h"
#include "common/program_files.h"
#include "serial/colour_transfer.h"
#include "serial/ui/serial_gui.h"

namespace pelorus {
namespace {

void RunColoursToReceiver(GuiContext& context) {
  UploadColours(context.state, SerialGui::For(context).link(), ShippedDataFolder());
  context.window->close();
}

void RunColoursFromReceiver(GuiContext& context) {
  const uintptr_t handle =
      DownloadColours(context.state, SerialGui::For(context).link(), ShippedDataFolder());
  if (handle != 0) NotifyColourProgram(handle);
  context.window->close();
}

const GuiCommandRegistrar kToReceiver(cmd::kColoursToReceiver, RunColoursToReceiver);
const GuiCommandRegistrar kFromReceiver(cmd::kColoursFromReceiver, RunColoursFromReceiver);

}  // namespace
}  // namespace pelorus
