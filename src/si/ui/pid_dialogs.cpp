#include "si/ui/pid_dialogs.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdio>

#include "app/options_io.h"
#include "common/strfmt.h"
#include "qtgui/font_map.h"
#include "si/messages.h"

namespace pelorus {
namespace {

QString PidText(int pid, PidMode mode) {
  return QString::fromStdString(FormatRuntime(PidFormatsFor(mode).display, pid));
}

// A PID typed with the input format; no value for anything else.
std::optional<int> ReadPid(const QString& text, PidMode mode) {
  unsigned value = 0;
  if (std::sscanf(text.trimmed().toStdString().c_str(), PidFormatsFor(mode).input, &value) != 1) {
    return std::nullopt;
  }
  return static_cast<int>(std::min(value, 0x7FFFFFFFu));
}

}  // namespace

int& PidFinderDialog::StartPid() {
  static int startPid = 0;
  return startPid;
}

int& PidFinderDialog::DwellTime() {
  static int dwell = kDefaultDwellMs;
  return dwell;
}

PidFinderDialog::PidFinderDialog(EditorState& state, Ui& ui, OptionsStore& store, QWidget* parent)
    : QDialog(parent),
      state_(state),
      ui_(ui),
      store_(store),
      mode_(PidModeFromOption(state.options.decimal)) {
  setWindowTitle(QString::fromUtf8(msg::si::kPidFinderTitle));
  StartPid() = OpeningStartPid(StartPid());
  startPid_ = new QLineEdit(PidText(StartPid(), mode_), this);
  dwell_ = new QLineEdit(QString::number(DwellTime()), this);
  untilStopped_ = new QCheckBox(QString::fromUtf8(msg::si::kUntilStopped), this);
  untilStopped_->setChecked(state_.options.runPidFinderUntilStopped != 0);
  start_ = new QPushButton(QString::fromUtf8(msg::si::kStartButton), this);
  cancel_ = new QPushButton(QString::fromUtf8(msg::si::kCancelButton), this);
  range_ = new QLabel(this);
  progress_ = new QProgressBar(this);
  progress_->setRange(0, kPidCount);
  progress_->setValue(0);
  active_ = new QListWidget(this);
  startPid_->setObjectName(QStringLiteral("startPid"));
  dwell_->setObjectName(QStringLiteral("dwell"));
  untilStopped_->setObjectName(QStringLiteral("untilStopped"));
  start_->setObjectName(QStringLiteral("start"));
  cancel_->setObjectName(QStringLiteral("cancel"));
  range_->setObjectName(QStringLiteral("range"));
  active_->setObjectName(QStringLiteral("active"));

  auto* form = new QFormLayout;
  form->addRow(QString::fromUtf8(msg::si::kStartPidLabel), startPid_);
  form->addRow(QString::fromUtf8(msg::si::kDwellLabel), dwell_);
  form->addRow(QString(), untilStopped_);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(start_);
  buttons->addWidget(cancel_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(range_);
  layout->addWidget(progress_);
  layout->addWidget(active_, 1);
  layout->addLayout(buttons);
  resize(360, 480);

  PidFinder::Callbacks callbacks;
  callbacks.block = [this](int startPid, const std::string& range) {
    const QString text = QString::fromStdString(range);
    QMetaObject::invokeMethod(
        this,
        [this, startPid, text] {
          progress_->setValue(std::min(startPid, kPidCount));
          range_->setText(text);
        },
        Qt::QueuedConnection);
  };
  callbacks.active = [this](const std::string& line) {
    const QString text = QString::fromStdString(line);
    QMetaObject::invokeMethod(
        this,
        [this, text] {
          active_->addItem(text);
          active_->setCurrentRow(active_->count() - 1);
        },
        Qt::QueuedConnection);
  };
  callbacks.finished = [this](int next, const RunResult& result) {
    QMetaObject::invokeMethod(
        this, [this, next, result] { Finished(next, result); }, Qt::QueuedConnection);
  };
  finder_ = std::make_unique<PidFinder>(*state_.aspiModule, callbacks);

  connect(start_, &QPushButton::clicked, this, &PidFinderDialog::Start);
  connect(cancel_, &QPushButton::clicked, this, &PidFinderDialog::reject);
  connect(untilStopped_, &QCheckBox::toggled, this, [this](bool checked) {
    state_.options.runPidFinderUntilStopped = checked ? 1 : 0;
    SaveOptions(state_.options, store_);
    finder_->SetUntilStopped(checked);
  });
  connect(active_, &QListWidget::itemDoubleClicked, this,
          [this](QListWidgetItem* item) { Monitor(item->text()); });
}

PidFinderDialog::~PidFinderDialog() {
  finder_->RequestStop();
  finder_->Join();
}

void PidFinderDialog::Start() {
  // A start typed beyond the PID space is used as typed: its one block probes nothing.
  StartPid() = ReadPid(startPid_->text(), mode_).value_or(0);
  bool ok = false;
  const int dwell = dwell_->text().trimmed().toInt(&ok);
  DwellTime() = ok && dwell >= 0 ? dwell : DwellTime();
  finder_->Join();
  finder_->SetUntilStopped(untilStopped_->isChecked());
  running_ = true;
  start_->setEnabled(false);
  active_->clear();
  cancel_->setText(QString::fromUtf8(msg::si::kStopButton));
  finder_->Start(StartPid(), DwellTime(), mode_);
}

void PidFinderDialog::Finished(int nextStartPid, const RunResult& result) {
  finder_->Join();
  running_ = false;
  start_->setEnabled(true);
  cancel_->setText(QString::fromUtf8(msg::si::kCancelEnglish));
  StartPid() = nextStartPid;
  if (nextStartPid < kPidCount) startPid_->setText(PidText(nextStartPid, mode_));
  // A lost receiver ends the search at once and says why; the PIDs found so far stay listed.
  ShowRunResult(ui_, result);
}

void PidFinderDialog::reject() {
  if (running_) {
    finder_->RequestStop();
    return;
  }
  QDialog::reject();
}

void PidFinderDialog::Monitor(const QString& line) {
  if (running_) return;
  const std::optional<int> pid = ReadPid(line.mid(4).section(QLatin1Char(' '), 0, 0), mode_);
  if (!pid || *pid >= kPidCount) return;
  PidMonitorDialog monitor(state_, ui_, static_cast<uint16_t>(*pid), this);
  monitor.exec();
}

PidMonitorDialog::PidMonitorDialog(EditorState& state, Ui& ui, uint16_t pid, QWidget* parent)
    : QDialog(parent), ui_(ui) {
  const PidMode mode = PidModeFromOption(state.options.decimal);
  setWindowTitle(QString::fromStdString(
      FormatRuntime(msg::si::kMonitoringPid, PidText(pid, mode).toStdString().c_str())));
  dump_ = new QPlainTextEdit(this);
  dump_->setObjectName(QStringLiteral("dump"));
  dump_->setReadOnly(true);
  dump_->setLineWrapMode(QPlainTextEdit::NoWrap);
  dump_->setMaximumBlockCount(kMaxRows);
  QFont font = MappedFont(QStringLiteral("Fixedsys"));
  font.setPointSize(8);
  dump_->setFont(font);
  button_ = new QPushButton(QString::fromUtf8(msg::si::kStopButton), this);
  button_->setObjectName(QStringLiteral("button"));
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(button_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(dump_, 1);
  layout->addLayout(buttons);
  resize(620, 520);

  monitor_ = std::make_unique<PidMonitor>(
      *state.aspiModule,
      [this](std::string rows) {
        const QString text = QString::fromLatin1(rows.data(), static_cast<qsizetype>(rows.size()));
        QMetaObject::invokeMethod(
            this, [this, text] { Append(text); }, Qt::QueuedConnection);
      },
      [this](const RunResult& result) {
        QMetaObject::invokeMethod(
            this, [this, result] { Ended(result); }, Qt::QueuedConnection);
      });
  connect(button_, &QPushButton::clicked, this, &PidMonitorDialog::Button);
  const bool scsiBusy = state.options.scsiBusy != 0;
  QTimer::singleShot(0, this,
                     [this, pid, scsiBusy, mode] { monitor_->Start(pid, scsiBusy, mode); });
}

PidMonitorDialog::~PidMonitorDialog() {
  monitor_->RequestStop();
  monitor_->Join();
}

void PidMonitorDialog::Button() {
  if (monitor_->Finished()) {
    accept();
    return;
  }
  monitor_->RequestStop();
  button_->setText(QString::fromUtf8(msg::si::kCloseEnglish));
}

void PidMonitorDialog::Ended(const RunResult& result) {
  button_->setText(QString::fromUtf8(msg::si::kCloseEnglish));
  // A lost receiver is said at once; a stop before any packet came shows the empty dump.
  if (result.Failed() && !result.detail.empty()) ShowRunResult(ui_, result);
}

void PidMonitorDialog::Append(const QString& rows) {
  // One packet's rows at the end, without rewriting what is there; the block limit drops the
  // oldest rows.
  QString text = rows;
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  if (text.endsWith(QLatin1Char('\n'))) text.chop(1);
  dump_->appendPlainText(text);
}

}  // namespace pelorus
