#include "service_scan/ui/channel_search_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "common/file_dialogs.h"
#include "common/strfmt.h"
#include "lists/satellite_position.h"
#include "scanner/lnb.h"
#include "service_scan/messages.h"
#include "service_scan/search_sources.h"
#include "service_scan/transponder_table.h"

namespace pelorus {
namespace {

QString Text(const char* text) { return QString::fromUtf8(text); }
QString Text(const std::string& text) { return QString::fromStdString(text); }

template <typename Widget>
Widget* Named(Widget* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

}  // namespace

ChannelSearchDialog::Choice& ChannelSearchDialog::LastChoice() {
  static Choice choice;
  return choice;
}

ChannelSearchDialog::ChannelSearchDialog(EditorState& state, Ui& ui, std::vector<int> selectedRows,
                                         QWidget* parent)
    : QDialog(parent), state_(state), ui_(ui), selectedRows_(std::move(selectedRows)) {
  setWindowTitle(Text(msg::search::kDialogTitle));
  auto* layout = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  auto* sources = new QVBoxLayout;
  auto* options = new QVBoxLayout;
  BuildSources(sources);
  BuildOptions(options);
  top->addLayout(sources, 3);
  top->addLayout(options, 2);
  layout->addLayout(top);

  progress_ = Named(new QProgressBar(this), "progress");
  progress_->setRange(0, 100);
  progress_->setValue(0);
  progress_->setFormat(QString());
  layout->addWidget(progress_);
  auto* found = new QGroupBox(Text(msg::search::kFoundGroup), this);
  auto* foundLayout = new QVBoxLayout(found);
  services_ = Named(new QTreeWidget(found), "services");
  services_->setHeaderHidden(true);
  services_->setMinimumHeight(180);
  foundLayout->addWidget(services_);
  layout->addWidget(found, 1);
  summary_ = Named(new QLabel(this), "summary");
  summary_->setWordWrap(true);
  layout->addWidget(summary_);

  auto* buttons = new QHBoxLayout;
  start_ = Named(new QPushButton(Text(msg::search::kStartButton), this), "start");
  stop_ = Named(new QPushButton(Text(msg::search::kStopButton), this), "stop");
  add_ = Named(new QPushButton(Text(msg::search::kAddButton), this), "add");
  cancel_ = Named(new QPushButton(Text(msg::search::kCancelButton), this), "cancel");
  stop_->setEnabled(false);
  add_->setEnabled(false);
  start_->setDefault(true);
  buttons->addWidget(start_);
  buttons->addWidget(stop_);
  buttons->addStretch(1);
  buttons->addWidget(add_);
  buttons->addWidget(cancel_);
  layout->addLayout(buttons);
  connect(start_, &QPushButton::clicked, this, &ChannelSearchDialog::StartSearch);
  connect(stop_, &QPushButton::clicked, this, &ChannelSearchDialog::StopSearch);
  connect(add_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel_, &QPushButton::clicked, this, &ChannelSearchDialog::reject);
  resize(760, 600);
}

ChannelSearchDialog::~ChannelSearchDialog() {
  if (search_) {
    search_->RequestStop();
    search_->Join();
  }
}

void ChannelSearchDialog::BuildSources(QVBoxLayout* layout) {
  const Choice& choice = LastChoice();
  auto* group = new QGroupBox(Text(msg::search::kSourceGroup), this);
  auto* grid = new QGridLayout(group);
  network_ = Named(new QCheckBox(Text(msg::search::kNetworkSource), group), "network");
  network_->setChecked(choice.network);
  grid->addWidget(network_, 0, 0, 1, 3);

  table_ = Named(new QCheckBox(Text(msg::search::kTableSource), group), "table");
  table_->setChecked(choice.table);
  tableName_ = Named(new QComboBox(group), "tableName");
  tableName_->setEditable(true);
  for (const std::string& name : TableNames(ScanTablesFolder())) tableName_->addItem(Text(name));
  tableName_->setEditText(choice.tableName);
  tableName_->setMinimumContentsLength(16);
  tableName_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  browseTable_ = new QPushButton(Text(msg::search::kBrowseButton), group);
  grid->addWidget(table_, 1, 0);
  grid->addWidget(tableName_, 1, 1);
  grid->addWidget(browseTable_, 1, 2);

  locks_ = Named(new QCheckBox(Text(msg::search::kLockSource), group), "locks");
  locks_->setChecked(choice.locks);
  lockFile_ = Named(new QLineEdit(choice.lockFile, group), "lockFile");
  browseLocks_ = new QPushButton(Text(msg::search::kBrowseButton), group);
  grid->addWidget(locks_, 2, 0);
  grid->addWidget(lockFile_, 2, 1);
  grid->addWidget(browseLocks_, 2, 2);

  rows_ = Named(
      new QCheckBox(Text(Format(msg::search::kRowsSource, static_cast<int>(selectedRows_.size()))),
                    group),
      "rows");
  rows_->setEnabled(!selectedRows_.empty());
  rows_->setChecked(choice.rows && !selectedRows_.empty());
  grid->addWidget(rows_, 3, 0, 1, 3);
  grid->setColumnStretch(1, 1);
  layout->addWidget(group);
  layout->addStretch(1);
  connect(browseTable_, &QPushButton::clicked, this, &ChannelSearchDialog::BrowseTable);
  connect(browseLocks_, &QPushButton::clicked, this, &ChannelSearchDialog::BrowseLocks);
}

void ChannelSearchDialog::BuildOptions(QVBoxLayout* layout) {
  const Choice& choice = LastChoice();
  auto* group = new QGroupBox(Text(msg::search::kOptionsGroup), this);
  auto* form = new QFormLayout(group);
  lnb_ = Named(new QComboBox(group), "lnb");
  for (const LnbInfo& info : LnbTypes()) lnb_->addItem(Text(info.caption));
  lnb_->setCurrentIndex(choice.lnbIndex);
  form->addRow(Text(msg::search::kLnbLabel), lnb_);
  diseqc_ = Named(new QComboBox(group), "diseqc");
  diseqc_->addItem(Text(msg::search::kDiseqcFromList));
  for (int port = 1; port <= 4; ++port) diseqc_->addItem(QString::number(port));
  diseqc_->setCurrentIndex(choice.diseqc);
  form->addRow(Text(msg::search::kDiseqcLabel), diseqc_);
  position_ = Named(new QLineEdit(choice.position, group), "position");
  position_->setPlaceholderText(QStringLiteral("19.2E"));
  form->addRow(Text(msg::search::kPositionLabel), position_);
  timeout_ = Named(new QSpinBox(group), "timeout");
  timeout_->setRange(1, kMaxSearchTimeoutSeconds);
  timeout_->setValue(choice.timeoutSeconds);
  form->addRow(Text(msg::search::kTimeoutLabel), timeout_);
  all_ = Named(new QCheckBox(Text(msg::search::kAllServices), group), "all");
  all_->setChecked(choice.all);
  form->addRow(QString(), all_);
  layout->addWidget(group);
  layout->addStretch(1);
}

void ChannelSearchDialog::BrowseTable() {
  FileRequest request;
  request.title = msg::search::kTableDialogTitle;
  request.filterName = msg::search::kAnyFileFilterName;
  request.filterPattern = msg::search::kAnyFileFilterPattern;
  if (folder_.empty()) folder_ = ScanTablesFolder();
  if (!AskOpenFile(ui_, request, folder_)) return;
  tableName_->setEditText(Text(request.path));
  table_->setChecked(true);
}

void ChannelSearchDialog::BrowseLocks() {
  FileRequest request;
  request.title = msg::search::kLockDialogTitle;
  request.filterName = msg::search::kAnyFileFilterName;
  request.filterPattern = msg::search::kAnyFileFilterPattern;
  if (!AskOpenFile(ui_, request, folder_)) return;
  lockFile_->setText(Text(request.path));
  locks_->setChecked(true);
}

void ChannelSearchDialog::SaveChoice() {
  Choice& choice = LastChoice();
  choice.network = network_->isChecked();
  choice.table = table_->isChecked();
  choice.locks = locks_->isChecked();
  choice.rows = rows_->isChecked();
  choice.tableName = tableName_->currentText();
  choice.lockFile = lockFile_->text();
  choice.lnbIndex = lnb_->currentIndex();
  choice.diseqc = diseqc_->currentIndex();
  choice.position = position_->text();
  choice.all = all_->isChecked();
  choice.timeoutSeconds = timeout_->value();
}

bool ChannelSearchDialog::MakeRequest(ChannelSearchRequest& request) {
  SearchSources sources;
  sources.network = network_->isChecked();
  if (table_->isChecked()) sources.table = tableName_->currentText().trimmed().toStdString();
  sources.tablesFolder = ScanTablesFolder();
  if (locks_->isChecked()) sources.lockResults = lockFile_->text().trimmed().toStdString();
  if (rows_->isChecked()) sources.rows = selectedRows_;
  if (!sources.Any()) {
    ui_.ShowMessage(msg::search::kNoSource, Icon::kWarning);
    return false;
  }
  const std::string position = position_->text().trimmed().toStdString();
  if (!position.empty()) {
    request.orbital = ParseSatellitePosition(position);
    if (!request.orbital) {
      ui_.ShowMessage(Format(msg::search::kBadPosition, position.c_str()), Icon::kWarning);
      return false;
    }
  }
  const std::vector<LnbInfo>& types = LnbTypes();
  const int lnb = lnb_->currentIndex();
  if (lnb >= 0 && static_cast<size_t>(lnb) < types.size()) {
    request.lnb = types[static_cast<size_t>(lnb)].type;
  }
  if (diseqc_->currentIndex() > 0) request.diseqcPort = diseqc_->currentIndex();
  request.all = all_->isChecked();
  request.timeout = std::chrono::seconds(timeout_->value());
  request.scsiBusy = state_.options.scsiBusy != 0;
  static const std::vector<ChannelRecord> kNoList;
  return ReadSearchSources(sources, state_.settingsImage ? *state_.settingsImage : kNoList, ui_,
                           request);
}

void ChannelSearchDialog::StartSearch() {
  if (running_ || !state_.aspiModule) return;
  SaveChoice();
  ChannelSearchRequest request;
  if (!MakeRequest(request)) return;
  if (search_) search_->Join();
  search_ = std::make_unique<ChannelSearch>(
      *state_.aspiModule,
      state_.settingsImage ? *state_.settingsImage : std::vector<ChannelRecord>{}, request);
  found_.clear();
  services_->clear();
  summary_->clear();
  progress_->setValue(0);
  running_ = true;
  SetInputsEnabled(false);
  // The search's callbacks come on its worker's thread; they are shown on this one, and dropped
  // once the dialog is gone.
  ChannelSearch::Events events;
  events.progress = [this](int percent, const std::string& text) {
    const QString shown = Text(text);
    QMetaObject::invokeMethod(
        this, [this, percent, shown] { ShowProgress(percent, shown); }, Qt::QueuedConnection);
  };
  events.transponder = [this](const TransponderReport& report) {
    QMetaObject::invokeMethod(
        this, [this, report] { ShowReport(report); }, Qt::QueuedConnection);
  };
  events.finished = [this](const RunResult& result) {
    QMetaObject::invokeMethod(
        this, [this, result] { SearchFinished(result); }, Qt::QueuedConnection);
  };
  search_->Start(events);
}

void ChannelSearchDialog::StopSearch() {
  if (running_ && search_) search_->RequestStop();
}

void ChannelSearchDialog::ShowProgress(int percent, const QString& text) {
  progress_->setValue(percent);
  if (!text.isEmpty()) progress_->setFormat(text);
}

void ChannelSearchDialog::ShowReport(const TransponderReport& report) {
  auto* item = new QTreeWidgetItem(services_, QStringList{Text(report.Line())});
  for (const std::string& line : report.ServiceLines()) {
    new QTreeWidgetItem(item, QStringList{Text(line)});
  }
  item->setExpanded(true);
  services_->scrollToItem(item);
  if (search_) summary_->setText(Text(search_->Summary().Text()));
}

void ChannelSearchDialog::SearchFinished(const RunResult& result) {
  if (!search_) return;
  search_->Join();
  running_ = false;
  if (closing_) {
    found_.clear();
    QDialog::reject();
    return;
  }
  found_ = search_->Found();
  progress_->setValue(100);
  summary_->setText(Text(search_->Summary().Text()));
  SetInputsEnabled(true);
  add_->setEnabled(!found_.empty());
  ShowRunResult(ui_, result);
}

void ChannelSearchDialog::SetInputsEnabled(bool enabled) {
  for (QWidget* input : std::initializer_list<QWidget*>{
           network_, table_, tableName_, browseTable_, locks_, lockFile_, browseLocks_, lnb_,
           diseqc_, position_, all_, timeout_, start_}) {
    input->setEnabled(enabled);
  }
  rows_->setEnabled(enabled && !selectedRows_.empty());
  stop_->setEnabled(!enabled);
  if (!enabled) add_->setEnabled(false);
}

void ChannelSearchDialog::reject() {
  // "Annulla" during the search stops it and closes the dialog once the worker says it has
  // ended, so the window never waits on the receiver.
  if (running_ && search_) {
    closing_ = true;
    cancel_->setEnabled(false);
    search_->RequestStop();
    return;
  }
  found_.clear();
  QDialog::reject();
}

}  // namespace pelorus
