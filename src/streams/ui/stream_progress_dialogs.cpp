#include "streams/ui/stream_progress_dialogs.h"

#include <QCoreApplication>
#include <QFormLayout>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "app/ui/window_fit.h"
#include "streams/messages.h"

namespace pelorus {
namespace {

QString Text(const char* text) { return QString::fromUtf8(text); }
QString Text(const std::string& text) { return QString::fromStdString(text); }

QLabel* AddRow(QFormLayout* form, const char* name, const char* label) {
  auto* value = new QLabel;
  value->setObjectName(QString::fromLatin1(name));
  value->setMinimumWidth(120);
  form->addRow(Text(label), value);
  return value;
}

void AddStopButton(QDialog* dialog, QVBoxLayout* layout) {
  auto* stop = new QPushButton(Text(msg::streams::kStopButton), dialog);
  stop->setObjectName(QStringLiteral("stop"));
  stop->setDefault(true);
  QObject::connect(stop, &QPushButton::clicked, dialog, &QDialog::accept);
  layout->addWidget(stop, 0, Qt::AlignHCenter);
}

}  // namespace

CaptureProgressDialog::CaptureProgressDialog(QWidget* owner, CaptureWorker& worker)
    : QDialog(owner), worker_(worker) {
  setWindowTitle(Text(msg::streams::kCaptureDialogTitle));
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  count_ = AddRow(form, "count", msg::streams::kCountLabel);
  polls_ = AddRow(form, "polls", msg::streams::kPollsLabel);
  rate_ = AddRow(form, "rate", msg::streams::kRateLabel);
  layout->addLayout(form);
  AddStopButton(this, layout);
  KeepTitleVisible(*this);
}

void CaptureProgressDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (started_) return;
  started_ = true;
  // Progress comes on the worker's thread; it is shown on this one, and dropped once the
  // dialog is gone.
  QPointer<CaptureProgressDialog> self(this);
  worker_.Start([self](const CaptureProgress& progress) {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [self, progress] {
          if (self) self->Show(progress);
        },
        Qt::QueuedConnection);
  });
}

void CaptureProgressDialog::Show(const CaptureProgress& progress) {
  count_->setText(Text(progress.count));
  polls_->setText(Text(progress.polls));
  if (!progress.rate.empty()) rate_->setText(Text(progress.rate));
  if (progress.ended) reject();
}

RecorderProgressDialog::RecorderProgressDialog(QWidget* owner, MultiPidRecorder& recorder)
    : QDialog(owner), recorder_(recorder), timer_(new QTimer(this)) {
  setWindowTitle(Text(msg::streams::kRecorderDialogTitle));
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  count_ = AddRow(form, "count", msg::streams::kCountLabel);
  piped_ = AddRow(form, "piped", msg::streams::kPipedLabel);
  polls_ = AddRow(form, "polls", msg::streams::kPollsLabel);
  rate_ = AddRow(form, "rate", msg::streams::kRateLabel);
  runningTime_ = AddRow(form, "runningTime", msg::streams::kRunningTimeLabel);
  syncErrors_ = AddRow(form, "syncErrors", msg::streams::kSyncErrorsLabel);
  continuityErrors_ = AddRow(form, "continuityErrors", msg::streams::kContinuityErrorsLabel);
  dropped_ = AddRow(form, "dropped", msg::streams::kDroppedLabel);
  layout->addLayout(form);
  fill_ = new QProgressBar(this);
  fill_->setObjectName(QStringLiteral("ringFill"));
  fill_->setRange(0, static_cast<int>(recorder.Stats().ringCapacity));
  fill_->setValue(0);
  layout->addWidget(fill_);
  AddStopButton(this, layout);
  // An output file is always open here, and the caption says so.
  setWindowTitle(Text(msg::streams::kRecorderPipingCaption));
  KeepTitleVisible(*this);
  timer_->setInterval(MultiPidRecorder::kTick);
  connect(timer_, &QTimer::timeout, this, &RecorderProgressDialog::TickOnce);
  connect(this, &QDialog::finished, timer_, &QTimer::stop);
}

void RecorderProgressDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (timer_->isActive()) return;
  timer_->start();
  Show(recorder_.Display());
}

void RecorderProgressDialog::TickOnce() {
  const RecorderDisplay display = recorder_.Tick();
  Show(display);
  if (display.ended) reject();
}

void RecorderProgressDialog::Show(const RecorderDisplay& display) {
  count_->setText(Text(display.count));
  piped_->setText(Text(display.piped));
  polls_->setText(Text(display.polls));
  if (!display.rate.empty()) rate_->setText(Text(display.rate));
  if (!display.runningTime.empty()) runningTime_->setText(Text(display.runningTime));
  syncErrors_->setText(QString::number(display.stats.syncErrors));
  continuityErrors_->setText(QString::number(display.stats.continuityErrors));
  dropped_->setText(QString::number(display.stats.dropped));
  fill_->setValue(static_cast<int>(display.stats.ringFill));
}

}  // namespace pelorus
