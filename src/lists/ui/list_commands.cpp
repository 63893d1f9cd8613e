// "Importa da altro ricevitore...", "Esporta per altro ricevitore..." and "Ordina come Lista...":
// the channel lists of other receivers.
#include <vector>

#include "app/ui/gui_command.h"
#include "common/command_ids.h"
#include "lists/list_export.h"
#include "lists/list_import.h"
#include "lists/reorder.h"
#include "lists/ui/list_dialogs.h"

namespace pelorus {
namespace {

// The choices live as long as the program runs and are not saved.
ImportChoice importChoice;
ExportChoice exportChoice;
std::string referenceFolder;

// Appended channels are selected, so the user sees where they went.
void RunImport(GuiContext& context) {
  const int before = context.state.ChannelCount();
  const auto choose = [&context](const std::vector<int>& satellites, ImportChoice& choice) {
    ImportListDialog dialog(satellites, choice, context.window);
    return dialog.exec() == QDialog::Accepted;
  };
  if (ImportFromOtherReceiver(context.state, context.ui, importChoice, choose) < 0) return;
  const int first = importChoice.replace ? 0 : before;
  std::vector<int> rows;
  for (int row = first; row < context.state.ChannelCount(); ++row) rows.push_back(row);
  context.selectRows(rows, rows.empty() ? -1 : rows.front());
}

void RunExport(GuiContext& context) {
  const auto choose = [&context](ExportChoice& choice) {
    ExportListDialog dialog(choice, context.window);
    return dialog.exec() == QDialog::Accepted;
  };
  ExportForOtherReceiver(context.state, context.ui, exportChoice, choose);
}

void RunOrderLike(GuiContext& context) {
  if (OrderLikeReferenceList(context.state, context.ui, referenceFolder)) {
    context.selectRows({}, -1);
  }
}

const GuiCommandRegistrar kImport(cmd::kImportOtherReceiver, RunImport);
const GuiCommandRegistrar kExport(cmd::kExportOtherReceiver, RunExport);
const GuiCommandRegistrar kOrderLike(cmd::kOrderLikeList, RunOrderLike);

}  // namespace
}  // namespace pelorus
