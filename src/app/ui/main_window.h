#pragma once

#include <QMainWindow>
#include <map>
#include <span>
#include <vector>

#include "app/commands.h"
#include "app/options_store.h"
#include "channels/pid_format.h"
#include "common/editor_state.h"
#include "common/ui.h"

class QLabel;
class QProgressBar;
class QTableView;
class QToolBar;
class QAction;
class QMenu;

namespace pelorus {

class ChannelListModel;

// The main window: the channel list, menus, toolbar and status line. It is the GUI's side of
// the Ui seam; every command runs in the core and talks to the user through it.
class MainWindow : public QMainWindow, public Ui {
  Q_OBJECT

 public:
  MainWindow(EditorState& state, OptionsStore& optionsStore, QWidget* parent = nullptr);
  ~MainWindow() override;

  // The creation steps after the window exists: options (with the first-run notice and the
  // preferences), the SCSI scan, the menus' enabled state, the toolbar; then the window is shown,
  // so no notice ever covers a half-built window.
  void Start();

  // Runs a menu command as the menus, keys, toolbar and command line do.
  void RunCommand(int command);

  // Moves the selected rows before `destination` as one undo step: a drop on the list.
  void MoveSelectedRows(int destination);

  // Ui
  void ShowMessage(std::string_view text, Icon icon) override;
  void ShowDetailedMessage(std::string_view text, std::string_view detail, Icon icon) override;
  Answer Ask(std::string_view text, Buttons buttons, Icon icon, Answer defaultAnswer) override;
  bool ShowOpenDialog(FileRequest& request) override;
  bool ShowSaveDialog(FileRequest& request) override;
  void SetStatusText(std::string_view text) override;
  void SetProgress(int percent, bool visible) override;
  void BeginBusy() override;
  void EndBusy() override;
  void KeepAlive() override;
  void Beep() override;
  void SetWindowTitle(std::string_view title) override;
  void RefillChannelList() override;

  // A status text about the rows shown (how many duplicates were selected): it goes when the
  // list is refilled, so that it never describes a list that has been replaced.
  void SetListStatusText(std::string_view text);

  // For the front end's tests.
  QTableView* channelList() const { return list_; }
  ChannelListModel* channelModel() const { return model_; }
  QAction* menuAction(int command) const;
  QToolBar* toolBar() const { return toolBar_; }
  QLabel* statusLabel() const { return statusText_; }
  QProgressBar* progressBar() const { return progress_; }
  bool scsiAvailable() const { return state_.aspiModule != nullptr; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;

 private:
  void BuildMenus();
  // Adds the entries to a menu, each item enabled when its command can run.
  void FillMenu(QMenu* menu, std::span<const MenuEntry> entries, bool remember);
  void ShowListPopup(const QPoint& position);
  void BuildToolbar();
  void BuildStatusLine();
  void ShowStreamPopup();
  bool IsCommandEnabled(int command) const;
  std::vector<int> SelectedRows() const;
  void SelectRows(const std::vector<int>& rows, int focusRow);
  void RefillWithNewPidMode();
  // The editing comforts (main_window_comforts.cpp): the undo menu items, the recent files and
  // the window's remembered place.
  UndoSelection CurrentSelection() const;
  void AfterCommand();
  void RestoreWindowState();
  void SaveWindowState();

  EditorState& state_;
  OptionsStore& optionsStore_;
  PidMode pidMode_ = PidMode::kHexadecimal;
  QTableView* list_ = nullptr;
  ChannelListModel* model_ = nullptr;
  QToolBar* toolBar_ = nullptr;
  QLabel* statusText_ = nullptr;
  QProgressBar* progress_ = nullptr;
  std::map<int, QAction*> menuActions_;
  std::vector<QAction*> toolbarActions_;
  int busyDepth_ = 0;
  bool optionsSaved_ = false;
  std::string notedFile_;  // the file last put on the recent list
  QString listStatus_;     // the status text set with SetListStatusText, while it is shown
};

}  // namespace pelorus
