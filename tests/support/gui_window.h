#pragma once

#include <QApplication>
#include <QItemSelectionModel>
#include <QTableView>
#include <QTimer>
#include <algorithm>
#include <initializer_list>
#include <memory>
#include <vector>

#include "app/options_store.h"
#include "app/ui/main_window.h"
#include "common/editor_state.h"
#include "support/temp_dir.h"

namespace pelorus::testing {

// Runs `act` on the next modal dialog of type T as soon as it is shown, so a test can answer
// the dialogs a command opens while the command waits for them.
template <typename T, typename Act>
void WhenModalShown(Act act) {
  auto* timer = new QTimer;
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, [timer, act] {
    if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
      timer->stop();
      timer->deleteLater();
      act(dialog);
    }
  });
  timer->start();
}

// A started main window over its own state, an existing in-memory options store (so the
// first-run sheet stays shut) and a folder of its own.
struct EditorWindow {
  EditorWindow() : window(state, store) { window.Start(); }
  ~EditorWindow() { state.settingsModified = false; }  // no save prompt when the test ends

  TempDir dir;
  MemoryOptionsStore store = [] {
    MemoryOptionsStore existing;
    existing.SetExists(true);
    return existing;
  }();
  EditorState state;
  MainWindow window;
};

// Selects exactly the given rows of the channel list, as clicks with Ctrl held would.
inline void SelectRows(MainWindow& window, std::initializer_list<int> rows) {
  QItemSelectionModel* selection = window.channelList()->selectionModel();
  selection->clearSelection();
  for (const int row : rows) {
    selection->select(window.channelList()->model()->index(row, 0),
                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
  }
}

// The selected rows of the channel list, in ascending order.
inline std::vector<int> SelectedRows(MainWindow& window) {
  std::vector<int> rows;
  for (const QModelIndex& index : window.channelList()->selectionModel()->selectedRows()) {
    rows.push_back(index.row());
  }
  std::sort(rows.begin(), rows.end());
  return rows;
}

}  // namespace pelorus::testing
