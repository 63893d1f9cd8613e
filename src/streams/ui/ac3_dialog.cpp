#include "streams/ui/ac3_dialog.h"

#include <QCloseEvent>
#include <QFormLayout>
#include <QLabel>
#include <QMetaObject>
#include <QPushButton>
#include <QVBoxLayout>

#include "streams/messages.h"

namespace pelorus {
namespace {

QLabel* Field(QWidget* parent, const char* name) {
  auto* label = new QLabel(parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setMinimumWidth(120);
  return label;
}

}  // namespace

Ac3Dialog::Ac3Dialog(Ac3Playback& playback, QWidget* parent)
    : QDialog(parent), playback_(playback) {
  setObjectName(QStringLiteral("ac3Decoder"));
  setWindowTitle(QString::fromUtf8(msg::streams::kAc3DialogTitle));
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  bytes_ = Field(this, "bytesRead");
  polls_ = Field(this, "polls");
  rate_ = Field(this, "rate");
  form->addRow(QString::fromUtf8(msg::streams::kBytesReadLabel), bytes_);
  form->addRow(QString::fromUtf8(msg::streams::kAc3PollsLabel), polls_);
  form->addRow(QString::fromUtf8(msg::streams::kAc3RateLabel), rate_);
  layout->addLayout(form);
  // Shown once the stream turns out to hold no AC-3: otherwise the user hears silence only.
  noTrack_ = new QLabel(QString::fromUtf8(msg::streams::kNoAc3Track), this);
  noTrack_->setObjectName(QStringLiteral("noAc3Track"));
  noTrack_->setWordWrap(true);
  noTrack_->setMinimumWidth(noTrack_->fontMetrics().averageCharWidth() * 40);
  noTrack_->hide();
  layout->addWidget(noTrack_);
  auto* stop = new QPushButton(QString::fromUtf8(msg::streams::kStop), this);
  stop->setObjectName(QStringLiteral("stop"));
  connect(stop, &QPushButton::clicked, this, &Ac3Dialog::reject);
  layout->addWidget(stop, 0, Qt::AlignHCenter);
}

void Ac3Dialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (started_) return;
  started_ = true;
  // The callbacks come from the feeding thread; the labels are changed on this one.
  playback_.Start({[this](const Ac3Display& display) {
                     QMetaObject::invokeMethod(
                         this, [this, display] { Show(display); }, Qt::QueuedConnection);
                   },
                   [this] {
                     QMetaObject::invokeMethod(
                         this, [this] { QDialog::accept(); }, Qt::QueuedConnection);
                   }});
}

void Ac3Dialog::Show(const Ac3Display& display) {
  bytes_->setText(QString::fromStdString(display.bytesRead));
  polls_->setText(QString::fromStdString(display.polls));
  if (display.rate) rate_->setText(QString::fromStdString(*display.rate));
  if (display.noAc3Track) noTrack_->show();
}

void Ac3Dialog::reject() { playback_.RequestStop(); }

void Ac3Dialog::closeEvent(QCloseEvent* event) {
  playback_.RequestStop();
  event->ignore();
}

}  // namespace pelorus
