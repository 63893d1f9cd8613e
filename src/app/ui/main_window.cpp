#include "main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QScreen>
#include <QStatusBar>
#include <QTableView>
#include <QToolBar>
#include <algorithm>

#include "app/commands.h"
#include "app/options_io.h"
#include "app/shell.h"
#include "app/ui/gui_command.h"
#include "app/ui/pictures.h"
#include "app/ui/window_fit.h"
#include "channel_list_model.h"
#include "channel_list_view.h"
#include "channels/settings_file.h"
#include "channels/undo_edits.h"
#include "common/program.h"

namespace pelorus {
namespace {

QString Text(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QMessageBox::Icon QtIcon(Icon icon) {
  switch (icon) {
    case Icon::kStop:
      return QMessageBox::Critical;
    case Icon::kWarning:
      return QMessageBox::Warning;
    case Icon::kInformation:
      return QMessageBox::Information;
    case Icon::kQuestion:
      return QMessageBox::Question;
    default:
      return QMessageBox::NoIcon;
  }
}

QMessageBox::StandardButton QtButton(Answer answer) {
  switch (answer) {
    case Answer::kOk:
      return QMessageBox::Ok;
    case Answer::kCancel:
      return QMessageBox::Cancel;
    case Answer::kYes:
      return QMessageBox::Yes;
    case Answer::kNo:
      return QMessageBox::No;
  }
  return QMessageBox::NoButton;
}

QMessageBox::StandardButtons QtButtons(Buttons buttons) {
  switch (buttons) {
    case Buttons::kOk:
      return QMessageBox::Ok;
    case Buttons::kOkCancel:
      return QMessageBox::Ok | QMessageBox::Cancel;
    case Buttons::kYesNo:
      return QMessageBox::Yes | QMessageBox::No;
    case Buttons::kYesNoCancel:
      return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
  }
  return QMessageBox::Ok;
}

bool IsScsiOnly(int command) {
  const auto commands = ScsiOnlyCommands();
  return std::find(commands.begin(), commands.end(), command) != commands.end();
}

QString DialogFilter(const FileRequest& request) { return Text(request.filterName); }

}  // namespace

MainWindow::MainWindow(EditorState& state, OptionsStore& optionsStore, QWidget* parent)
    : QMainWindow(parent), state_(state), optionsStore_(optionsStore) {
  setWindowTitle(kProgramTitle);
  setWindowIcon(ProgramPicture());
  resize(620, 400);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->geometry();
    move(area.width() / 2 - 310, area.height() / 2 - 200);
  }

  auto* view = new ChannelListView(this);
  view->onDrop = [this](int destination) { MoveSelectedRows(destination); };
  list_ = view;
  model_ = new ChannelListModel(this);
  list_->setModel(model_);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->setShowGrid(false);
  list_->setWordWrap(false);
  list_->setSortingEnabled(false);
  list_->setIconSize(QSize(16, 16));
  list_->verticalHeader()->hide();
  // Fixed row heights let the view skip measuring tens of thousands of rows.
  list_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  list_->verticalHeader()->setDefaultSectionSize(list_->fontMetrics().height() + 4);
  list_->horizontalHeader()->setSectionsClickable(false);
  list_->horizontalHeader()->setHighlightSections(false);
  list_->horizontalHeader()->setStretchLastSection(false);
  for (int c = 0; c < kChannelColumnCount; ++c) {
    list_->setColumnWidth(c, kChannelColumns[static_cast<size_t>(c)].width);
  }
  connect(list_, &QAbstractItemView::activated, this,
          [this] { RunCommand(cmd::kEditSelectedChannel); });
  list_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(list_, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& position) { ShowListPopup(position); });
  setCentralWidget(list_);
  BuildMenus();
  BuildStatusLine();
}

MainWindow::~MainWindow() {
  if (!optionsSaved_) SaveOptions(state_.options, optionsStore_);
}

void MainWindow::Start() {
  state_.currentFileName.clear();
  if (LoadOptions(state_.options, optionsStore_)) {
    ShowMessage(kFirstRunMessage, Icon::kInformation);
    RunCommand(cmd::kPreferences);
  }
  if (const ScsiScanHook scan = FindScsiScan()) scan(state_, *this);
  // The menus exist from the start; what the scan found decides which items are grey.
  for (const auto& [command, action] : menuActions_) action->setEnabled(IsCommandEnabled(command));
  BuildToolbar();
  pidMode_ = PidModeFromOption(state_.options.decimal);
  RefillChannelList();
  RestoreWindowState();
  AfterCommand();
  show();
  list_->setFocus();
}

void MainWindow::BuildStatusLine() {
  // The parts' right edges lie at 6/10 and 9/10 of the width the window was created with, and
  // stay there when it is resized.
  statusText_ = new QLabel(this);
  progress_ = new QProgressBar(this);
  progress_->setRange(0, 100);
  progress_->setValue(0);
  progress_->setTextVisible(false);
  auto* third = new QLabel(this);
  const int width = this->width();
  statusText_->setFixedWidth(width * 6 / 10);
  progress_->setFixedWidth(width * 3 / 10);
  statusBar()->addWidget(statusText_);
  statusBar()->addWidget(progress_);
  statusBar()->addWidget(third, 1);
  statusBar()->setSizeGripEnabled(false);
}

bool MainWindow::IsCommandEnabled(int command) const {
  if (command == cmd::kMultiPidPipe) return false;  // greyed for good at start-up
  if (command == cmd::kStreamPopup) return scsiAvailable();
  if (IsScsiOnly(command) && !scsiAvailable()) return false;
  return FindGuiCommand(command) != nullptr;
}

void MainWindow::FillMenu(QMenu* menu, std::span<const MenuEntry> entries, bool remember) {
  for (const MenuEntry& entry : entries) {
    if (!entry.submenu.empty()) {
      FillMenu(menu->addMenu(QString::fromUtf8(entry.label)), entry.submenu, remember);
    } else if (entry.command == 0) {
      menu->addSeparator();
    } else {
      QAction* action = menu->addAction(QString::fromUtf8(entry.label));
      const int command = entry.command;
      if (*entry.shortcut != '\0') {
        action->setShortcut(QKeySequence(QString::fromLatin1(entry.shortcut)));
      }
      action->setEnabled(IsCommandEnabled(command));
      connect(action, &QAction::triggered, this, [this, command] { RunCommand(command); });
      if (remember) menuActions_[command] = action;
    }
  }
}

void MainWindow::ShowListPopup(const QPoint& position) {
  const ListPopupMenu entries = FindListPopup();
  if (entries == nullptr || !state_.HasSettings()) return;
  QMenu popup(this);
  FillMenu(&popup, entries(), false);
  popup.exec(list_->viewport()->mapToGlobal(position));
}

void MainWindow::BuildMenus() {
  for (const MenuPopup& popup : MainMenu()) {
    FillMenu(menuBar()->addMenu(QString::fromUtf8(popup.title)), popup.entries, true);
  }

  // The grab command has a key but no menu entry of its own.
  auto* grab = new QAction(this);
  grab->setShortcut(QKeySequence(QStringLiteral("Ctrl+G")));
  grab->setEnabled(IsCommandEnabled(cmd::kGrab));
  connect(grab, &QAction::triggered, this, [this] { RunCommand(cmd::kGrab); });
  addAction(grab);
  menuActions_[cmd::kGrab] = grab;
}

void MainWindow::BuildToolbar() {
  toolBar_ = addToolBar(QStringLiteral("Toolbar"));
  toolBar_->setMovable(false);
  toolBar_->setFloatable(false);
  toolBar_->setIconSize(QSize(16, 16));
  toolBar_->setContextMenuPolicy(Qt::PreventContextMenu);
  const bool scsi = scsiAvailable();
  for (const ToolbarEntry& entry : Toolbar()) {
    if (entry.serialCommand == 0) {
      toolbarActions_.push_back(toolBar_->addSeparator());
      continue;
    }
    const int command = scsi ? entry.scsiCommand : entry.serialCommand;
    const QString tooltip = QString::fromUtf8(scsi ? entry.scsiTooltip : entry.serialTooltip);
    QAction* action = toolBar_->addAction(ToolbarPicture(entry.image), tooltip);
    action->setToolTip(tooltip);
    action->setEnabled(IsCommandEnabled(command));
    if (command == cmd::kStreamPopup) {
      connect(action, &QAction::triggered, this, [this] { ShowStreamPopup(); });
    } else {
      connect(action, &QAction::triggered, this, [this, command] { RunCommand(command); });
    }
    toolbarActions_.push_back(action);
  }
  if (QAction* grab = menuAction(cmd::kGrab)) grab->setToolTip(GrabTooltip(scsi));
}

void MainWindow::ShowStreamPopup() {
  QMenu popup(this);
  for (const int command : {cmd::kScsiReadStreams, cmd::kScsiWriteStreams, cmd::kMultiPidRecord}) {
    if (QAction* source = menuAction(command)) {
      QAction* item = popup.addAction(source->text());
      item->setEnabled(source->isEnabled());
      connect(item, &QAction::triggered, this, [this, command] { RunCommand(command); });
    }
  }
  // Left edge at the toolbar's 20th entry, top at the top of the list.
  const int left = toolbarActions_.size() >= 20
                       ? toolBar_->widgetForAction(toolbarActions_[19])->geometry().left()
                       : 0;
  popup.exec(mapToGlobal(QPoint(left, list_->geometry().top())));
}

QAction* MainWindow::menuAction(int command) const {
  const auto found = menuActions_.find(command);
  return found == menuActions_.end() ? nullptr : found->second;
}

void MainWindow::RunCommand(int command) {
  const GuiCommandHandler handler = FindGuiCommand(command);
  if (handler == nullptr) return;
  if (IsScsiOnly(command) && !scsiAvailable()) return;
  GuiContext context{
      state_,
      *this,
      optionsStore_,
      this,
      scsiAvailable(),
      [this] { return SelectedRows(); },
      [this](const std::vector<int>& rows, int focusRow) { SelectRows(rows, focusRow); },
      [this] { RefillWithNewPidMode(); },
      [this](std::string_view text) { SetListStatusText(text); }};
  RecordCommand recording(state_, command, CurrentSelection());
  handler(context);
  recording.Finish(CurrentSelection());
  AfterCommand();
  if (ClearsStatusAfter(command)) SetStatusText("");
  if (isVisible()) list_->setFocus();
}

std::vector<int> MainWindow::SelectedRows() const {
  std::vector<int> rows;
  for (const QModelIndex& index : list_->selectionModel()->selectedRows()) {
    rows.push_back(index.row());
  }
  std::sort(rows.begin(), rows.end());
  return rows;
}

void MainWindow::SelectRows(const std::vector<int>& rows, int focusRow) {
  QItemSelection selection;
  const int lastColumn = kChannelColumnCount - 1;
  for (size_t i = 0; i < rows.size();) {
    size_t j = i;
    while (j + 1 < rows.size() && rows[j + 1] == rows[j] + 1) ++j;
    selection.select(model_->index(rows[i], 0), model_->index(rows[j], lastColumn));
    i = j + 1;
  }
  QItemSelectionModel* selectionModel = list_->selectionModel();
  selectionModel->select(selection, QItemSelectionModel::ClearAndSelect);
  if (focusRow >= 0 && focusRow < model_->rowCount()) {
    selectionModel->setCurrentIndex(model_->index(focusRow, 0), QItemSelectionModel::NoUpdate);
    list_->scrollTo(model_->index(focusRow, 0));
  }
  list_->setFocus();
}

void MainWindow::RefillWithNewPidMode() {
  pidMode_ = PidModeFromOption(state_.options.decimal);
  RefillChannelList();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (!ConfirmClose(state_, *this)) {
    event->ignore();
    return;
  }
  SaveWindowState();
  SaveOptions(state_.options, optionsStore_);
  optionsSaved_ = true;
  event->accept();
}

void MainWindow::focusInEvent(QFocusEvent* event) {
  QMainWindow::focusInEvent(event);
  list_->setFocus();
}

void MainWindow::ShowMessage(std::string_view text, Icon icon) {
  QMessageBox box(QtIcon(icon), kProgramTitle, Text(text), QMessageBox::Ok, this);
  FitMessageBox(box);
  box.exec();
}

void MainWindow::ShowDetailedMessage(std::string_view text, std::string_view detail, Icon icon) {
  QMessageBox box(QtIcon(icon), kProgramTitle, Text(text), QMessageBox::Ok, this);
  if (!detail.empty()) box.setDetailedText(Text(detail));
  FitMessageBox(box);
  box.exec();
}

Answer MainWindow::Ask(std::string_view text, Buttons buttons, Icon icon, Answer defaultAnswer) {
  QMessageBox box(QtIcon(icon), kProgramTitle, Text(text), QtButtons(buttons), this);
  box.setDefaultButton(QtButton(defaultAnswer));
  FitMessageBox(box);
  switch (box.exec()) {
    case QMessageBox::Yes:
      return Answer::kYes;
    case QMessageBox::No:
      return Answer::kNo;
    case QMessageBox::Ok:
      return Answer::kOk;
    default:
      return Answer::kCancel;
  }
}

bool MainWindow::ShowOpenDialog(FileRequest& request) {
  QFileDialog dialog(this, Text(request.title), Text(request.initialDir), DialogFilter(request));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  if (!request.path.empty()) dialog.selectFile(Text(request.path));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  request.path = dialog.selectedFiles().front().toStdString();
  return true;
}

bool MainWindow::ShowSaveDialog(FileRequest& request) {
  QFileDialog dialog(this, Text(request.title), Text(request.initialDir), DialogFilter(request));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(Text(request.defaultExtension));
  dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.overwritePrompt);
  if (!request.path.empty()) dialog.selectFile(Text(request.path));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  request.path = dialog.selectedFiles().front().toStdString();
  return true;
}

void MainWindow::SetStatusText(std::string_view text) {
  statusText_->setText(Text(text));
  statusText_->repaint();
}

void MainWindow::SetProgress(int percent, bool visible) {
  progress_->setValue(visible ? std::clamp(percent, 0, 100) : 0);
  progress_->repaint();
}

void MainWindow::BeginBusy() {
  if (busyDepth_++ == 0) QApplication::setOverrideCursor(Qt::WaitCursor);
}

void MainWindow::EndBusy() {
  if (busyDepth_ > 0 && --busyDepth_ == 0) QApplication::restoreOverrideCursor();
}

void MainWindow::KeepAlive() {
  // While busy the user is locked out, as the busy cursor promises; painting and timers go on.
  QCoreApplication::processEvents(busyDepth_ > 0 ? QEventLoop::ExcludeUserInputEvents
                                                 : QEventLoop::AllEvents);
}

void MainWindow::Beep() { QApplication::beep(); }

void MainWindow::SetWindowTitle(std::string_view title) { setWindowTitle(Text(title)); }

void MainWindow::RefillChannelList() {
  model_->Refill(state_.settingsImage, pidMode_);
  if (!listStatus_.isEmpty() && statusText_->text() == listStatus_) SetStatusText("");
  listStatus_.clear();
}

void MainWindow::SetListStatusText(std::string_view text) {
  SetStatusText(text);
  listStatus_ = statusText_->text();
}

}  // namespace pelorus
