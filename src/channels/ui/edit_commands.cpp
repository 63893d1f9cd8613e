// The Modifica menu's commands on whole channels: insert, delete, cut, copy, paste, the paste
// from MPEG Search Project, and editing a row with a double-click or Enter.
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <optional>
#include <string>

#include "app/commands.h"
#include "app/options_io.h"
#include "app/ui/gui_command.h"
#include "channels/editing.h"
#include "channels/ui/channel_dialog.h"
#include "channels/ui/mpeg_search_dialog.h"

namespace pelorus {
namespace {

// Channel lines are 8-bit text; Latin-1 carries every byte through the clipboard unchanged.
std::optional<std::string> ReadClipboardText() {
  const QClipboard* clipboard = QGuiApplication::clipboard();
  const QMimeData* data = clipboard != nullptr ? clipboard->mimeData() : nullptr;
  if (data == nullptr || !data->hasText()) return std::nullopt;
  // Other programs here end their lines with LF alone.
  return WithCrLfLineEnds(data->text().toLatin1().toStdString());
}

void WriteClipboard(const ClipboardUpdate& update) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (!update || clipboard == nullptr) return;
  if (update->empty()) {
    clipboard->clear();
  } else {
    clipboard->setText(QString::fromLatin1(update->data(), static_cast<qsizetype>(update->size())));
  }
}

ChannelDialogRunner DialogRunner(GuiContext& context) {
  const PidMode mode = PidModeFromOption(context.state.options.decimal);
  QWidget* window = context.window;
  return [mode, window](ChannelRecord& record) { return ExecChannelDialog(record, mode, window); };
}

void Select(GuiContext& context, const RowSelection& after) {
  context.selectRows(after.rows, after.focusRow);
}

void RunEdit(GuiContext& context) {
  const std::vector<int> rows = context.selectedRows();
  RowSelection after;
  if (EditSelectedChannel(context.state, context.ui, rows, DialogRunner(context), after)) {
    Select(context, after);
  }
}

void RunInsert(GuiContext& context) {
  const std::vector<int> rows = context.selectedRows();
  RowSelection after;
  if (InsertChannel(context.state, context.ui, rows, DialogRunner(context), after)) {
    Select(context, after);
  }
}

void RunDelete(GuiContext& context) {
  const std::vector<int> rows = context.selectedRows();
  RowSelection after;
  if (DeleteChannels(context.state, context.ui, rows, after) > 0) Select(context, after);
}

void RunCopy(GuiContext& context) {
  const std::vector<int> rows = context.selectedRows();
  ClipboardUpdate update;
  CopyChannels(context.state, context.ui, rows, update);
  WriteClipboard(update);
}

void RunCut(GuiContext& context) {
  const std::vector<int> rows = context.selectedRows();
  ClipboardUpdate update;
  RowSelection after;
  const bool cut = CutChannels(context.state, context.ui, rows, update, after);
  WriteClipboard(update);
  if (cut) Select(context, after);
}

void Paste(GuiContext& context, bool mpegSearchMode) {
  const std::vector<int> rows = context.selectedRows();
  RowSelection after;
  PasteChannels(context.state, context.ui, rows, ReadClipboardText(), mpegSearchMode, after);
  Select(context, after);
}

void RunPaste(GuiContext& context) { Paste(context, false); }

void RunMpegSearchPaste(GuiContext& context) {
  MpegSearchDialog dialog(
      context.state.options, [&context] { Paste(context, true); }, context.window);
  // The choices persist at once, as the preferences do, not only when the editor closes.
  if (dialog.exec() == QDialog::Accepted) {
    SaveOptions(context.state.options, context.optionsStore);
  }
}

const GuiCommandRegistrar kEdit(cmd::kEditSelectedChannel, RunEdit);
const GuiCommandRegistrar kInsert(cmd::kInsert, RunInsert);
const GuiCommandRegistrar kDelete(cmd::kDelete, RunDelete);
const GuiCommandRegistrar kCut(cmd::kCut, RunCut);
const GuiCommandRegistrar kCopy(cmd::kCopy, RunCopy);
const GuiCommandRegistrar kPaste(cmd::kPaste, RunPaste);
const GuiCommandRegistrar kMpegSearchPaste(cmd::kMpegSearchPaste, RunMpegSearchPaste);

}  // namespace
}  // namespace pelorus
