// The commands added for everyday editing: Annulla, Ripeti, moving rows, Trova Duplicati and
// the entries of "File recenti".
#include "app/recent_files.h"
#include "app/ui/gui_command.h"
#include "channels/duplicates.h"
#include "channels/messages.h"
#include "channels/undo_edits.h"
#include "common/command_ids.h"
#include "common/strfmt.h"

namespace pelorus {
namespace {

void Select(GuiContext& context, const UndoSelection& selection) {
  context.selectRows(selection.rows, selection.focusRow);
}

void RunUndo(GuiContext& context) {
  UndoSelection after;
  if (UndoLastEdit(context.state, context.ui, after)) Select(context, after);
}

void RunRedo(GuiContext& context) {
  UndoSelection after;
  if (RedoLastEdit(context.state, context.ui, after)) Select(context, after);
}

void RunMove(GuiContext& context, bool up) {
  UndoSelection after;
  if (MoveRowsByOne(context.state, context.ui, context.selectedRows(), up, after)) {
    Select(context, after);
  } else {
    context.ui.Beep();
  }
}
void RunMoveUp(GuiContext& context) { RunMove(context, true); }
void RunMoveDown(GuiContext& context) { RunMove(context, false); }

void RunFindDuplicates(GuiContext& context) {
  if (!context.state.HasSettings()) return;
  const std::vector<DuplicateRow> found = FindDuplicates(*context.state.settingsImage);
  std::vector<int> rows;
  for (const DuplicateRow& duplicate : found) rows.push_back(duplicate.row);
  context.selectRows(rows, rows.empty() ? -1 : rows.front());
  const std::string text = Format(msg::kDuplicatesSelected, static_cast<int>(rows.size()));
  // A context without the list's own status line (a test's) shows it as any status.
  if (context.setListStatus) {
    context.setListStatus(text);
  } else {
    context.ui.SetStatusText(text);
  }
}

template <int kIndex>
void RunRecentFile(GuiContext& context) {
  std::vector<std::string> files = ReadRecentFiles(context.optionsStore);
  if (static_cast<size_t>(kIndex) >= files.size()) return;
  const std::string path = files[kIndex];
  OpenRecentFile(context.state, context.ui, path, files);
  WriteRecentFiles(context.optionsStore, files);
}

const GuiCommandRegistrar kUndo(cmd::kUndo, RunUndo);
const GuiCommandRegistrar kRedo(cmd::kRedo, RunRedo);
const GuiCommandRegistrar kMoveUp(cmd::kMoveRowsUp, RunMoveUp);
const GuiCommandRegistrar kMoveDown(cmd::kMoveRowsDown, RunMoveDown);
const GuiCommandRegistrar kDuplicates(cmd::kFindDuplicates, RunFindDuplicates);
const GuiCommandRegistrar kRecent0(cmd::kRecentFileFirst + 0, RunRecentFile<0>);
const GuiCommandRegistrar kRecent1(cmd::kRecentFileFirst + 1, RunRecentFile<1>);
const GuiCommandRegistrar kRecent2(cmd::kRecentFileFirst + 2, RunRecentFile<2>);
const GuiCommandRegistrar kRecent3(cmd::kRecentFileFirst + 3, RunRecentFile<3>);
const GuiCommandRegistrar kRecent4(cmd::kRecentFileFirst + 4, RunRecentFile<4>);
const GuiCommandRegistrar kRecent5(cmd::kRecentFileFirst + 5, RunRecentFile<5>);
const GuiCommandRegistrar kRecent6(cmd::kRecentFileFirst + 6, RunRecentFile<6>);
const GuiCommandRegistrar kRecent7(cmd::kRecentFileFirst + 7, RunRecentFile<7>);

}  // namespace
}  // namespace pelorus
