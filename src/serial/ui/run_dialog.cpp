#include "serial/ui/run_dialog.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace pelorus {
namespace {

constexpr char kStopText[] = "Stop";
constexpr int kStatusWidth = 360;

}  // namespace

RunDialog::RunDialog(QWidget* owner, Ui& ui, const QString& title, Worker& worker,
                     Worker::Body body)
    : QDialog(owner), ui_(ui), worker_(worker), body_(std::move(body)) {
  setObjectName(QStringLiteral("runDialog"));
  setWindowTitle(title);
  auto* layout = new QVBoxLayout(this);
  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("status"));
  status_->setMinimumWidth(kStatusWidth);
  bar_ = new QProgressBar(this);
  bar_->setObjectName(QStringLiteral("progress"));
  bar_->setRange(0, 100);
  bar_->setValue(0);
  stop_ = new QPushButton(QString::fromLatin1(kStopText), this);
  stop_->setObjectName(QStringLiteral("stop"));
  stop_->setDefault(true);
  connect(stop_, &QPushButton::clicked, this, &RunDialog::AskToStop);
  layout->addWidget(status_);
  layout->addWidget(bar_);
  layout->addWidget(stop_, 0, Qt::AlignHCenter);
}

void RunDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (started_) return;
  started_ = true;
  // The worker's callbacks come on its thread; they are shown on this one, and dropped once the
  // window is gone.
  QPointer<RunDialog> self(this);
  Worker::Callbacks callbacks;
  callbacks.progress = [self](int percent, const std::string& text) {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [self, percent, copy = QString::fromStdString(text)] {
          if (self) self->ShowProgress(percent, copy);
        },
        Qt::QueuedConnection);
  };
  callbacks.finished = [self](const RunResult& result) {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [self, result] {
          if (self) self->RunEnded(result);
        },
        Qt::QueuedConnection);
  };
  if (!worker_.Start(body_, std::move(callbacks))) RunEnded(RunResult::Failed(""));
}

void RunDialog::ShowProgress(int percent, const QString& text) {
  status_->setText(text);
  bar_->setValue(std::max(percent, 0));
  ui_.SetStatusText(text.toStdString());
  ui_.SetProgress(std::max(percent, 0), percent >= 0);
}

void RunDialog::RunEnded(const RunResult& result) {
  ui_.SetProgress(0, false);
  ui_.SetStatusText("");
  // The worker reports its end as its last act; joining it here takes no time.
  worker_.Join();
  done(result.Failed() ? QDialog::Rejected : QDialog::Accepted);
  if (finished) finished(result);
}

void RunDialog::AskToStop() {
  if (asking_ || !worker_.Running()) return;
  asking_ = true;
  QPointer<RunDialog> self(this);
  const bool stop = !confirmStop || confirmStop();
  if (!self) return;
  asking_ = false;
  if (stop) {
    worker_.RequestStop();
    stop_->setEnabled(false);
  }
}

void RunDialog::reject() { AskToStop(); }

}  // namespace pelorus
