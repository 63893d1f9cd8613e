// The main window's share of the editing comforts: the state of the undo items, the recent
// files, the window's remembered place and column widths, and drops on the list.
#include <QAction>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMenu>
#include <QScreen>
#include <QTableView>
#include <filesystem>

#include "app/recent_files.h"
#include "app/ui/channel_list_model.h"
#include "app/ui/main_window.h"
#include "channels/channel_rows.h"
#include "channels/undo_edits.h"
#include "common/command_ids.h"

namespace pelorus {

UndoSelection MainWindow::CurrentSelection() const {
  const QModelIndex current = list_->selectionModel()->currentIndex();
  return {SelectedRows(), current.isValid() ? current.row() : -1};
}

void MainWindow::MoveSelectedRows(int destination) {
  RecordEdit edit(state_, CurrentSelection());
  UndoSelection after;
  if (MoveRows(state_, *this, SelectedRows(), destination, after)) {
    SelectRows(after.rows, after.focusRow);
    edit.Commit(after);
  }
  AfterCommand();
}

void MainWindow::AfterCommand() {
  if (QAction* undo = menuAction(cmd::kUndo)) undo->setEnabled(state_.history.CanUndo());
  if (QAction* redo = menuAction(cmd::kRedo)) {
    redo->setEnabled(state_.history.CanRedo());
    // Both keys users know for redo; Ctrl+Z itself stays with "Controllo Canali".
    if (redo->shortcuts().size() < 2) {
      redo->setShortcuts(
          {QKeySequence(QStringLiteral("Ctrl+Y")), QKeySequence(QStringLiteral("Ctrl+Shift+Z"))});
    }
  }

  std::vector<std::string> files = ReadRecentFiles(optionsStore_);
  if (state_.HasSettings() && !state_.currentFileName.empty() &&
      state_.currentFileName != notedFile_) {
    notedFile_ = state_.currentFileName;
    std::error_code error;
    const std::string path = std::filesystem::absolute(notedFile_, error).string();
    AddRecentFile(files, error ? notedFile_ : path);
    WriteRecentFiles(optionsStore_, files);
  }
  for (int i = 0; i < cmd::kRecentFileCount; ++i) {
    QAction* action = menuAction(cmd::kRecentFileFirst + i);
    if (action == nullptr) continue;
    const bool used = static_cast<size_t>(i) < files.size();
    action->setVisible(used);
    if (used) {
      action->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(
          QString::fromStdString(files[static_cast<size_t>(i)])));
    }
    if (auto* menu = qobject_cast<QMenu*>(action->parent()); menu != nullptr && i == 0) {
      menu->menuAction()->setEnabled(!files.empty());
    }
  }
}

void MainWindow::RestoreWindowState() {
  const std::optional<WindowState> saved =
      ReadWindowState(optionsStore_, static_cast<size_t>(kChannelColumnCount));
  if (!saved) return;
  QRect place(saved->x, saved->y, saved->width, saved->height);
  // A window saved on a larger or another screen is brought onto this one.
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    place.setSize(place.size().boundedTo(area.size()));
    place.moveLeft(std::clamp(place.left(), area.left(), area.right() - place.width() + 1));
    place.moveTop(std::clamp(place.top(), area.top(), area.bottom() - place.height() + 1));
  }
  resize(place.size());
  move(place.topLeft());
  for (int c = 0; c < kChannelColumnCount; ++c) {
    list_->setColumnWidth(c, saved->columnWidths[static_cast<size_t>(c)]);
  }
}

void MainWindow::SaveWindowState() {
  WindowState saved{x(), y(), width(), height(), {}};
  for (int c = 0; c < kChannelColumnCount; ++c) saved.columnWidths.push_back(list_->columnWidth(c));
  WriteWindowState(optionsStore_, saved);
}

}  // namespace pelorus
