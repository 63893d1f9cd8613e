// "Ricerca Canali..." of the SCSI menu: the channel search's dialog, then what it found merged
// into the list as one step that "Annulla" takes back.
#include "app/ui/gui_command.h"
#include "common/command_ids.h"
#include "common/strfmt.h"
#include "scsi/scsi_guard.h"
#include "service_scan/list_merge.h"
#include "service_scan/messages.h"
#include "service_scan/ui/channel_search_dialog.h"

namespace pelorus {
namespace {

void RunChannelSearch(GuiContext& context) {
  if (!RequireScsi(context.state, context.ui)) return;
  const std::vector<int> selected = context.selectedRows();
  ChannelSearchDialog dialog(context.state, context.ui, selected, context.window);
  if (dialog.exec() != QDialog::Accepted) return;
  UndoSelection before{selected, selected.empty() ? -1 : selected.front()};
  UndoSelection after;
  const MergeCounts counts =
      AddSearchToList(context.state, context.ui, dialog.Found(), before, after);
  context.ui.SetStatusText(
      Format(msg::search::kSummaryChannels, counts.added, counts.updated, counts.unchanged));
  if (counts.Changed() > 0) context.selectRows(after.rows, after.focusRow);
}

const GuiCommandRegistrar kChannelSearch(cmd::kChannelSearch, RunChannelSearch);

}  // namespace
}  // namespace pelorus
