#include "si/ui/eit_dialog.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <ctime>

#include "app/options_io.h"
#include "common/strfmt.h"
#include "si/guide_file.h"
#include "si/guide_text.h"
#include "si/messages.h"

namespace pelorus {
namespace {

QLabel* Counter(QWidget* parent, const char* name) {
  auto* label = new QLabel(QStringLiteral("0"), parent);
  label->setObjectName(QString::fromUtf8(name));
  label->setMinimumWidth(70);
  return label;
}

}  // namespace

EitDialog::EitDialog(EditorState& state, Ui& ui, OptionsStore& store, SystemClock& clock,
                     QWidget* parent)
    : QDialog(parent), state_(state), ui_(ui), store_(store) {
  setWindowTitle(QString::fromUtf8(msg::si::kEitTitle));
  services_ = Counter(this, "services");
  events_ = Counter(this, "events");
  polls_ = Counter(this, "polls");
  bytes_ = Counter(this, "bytes");
  crcErrors_ = Counter(this, "crcErrors");
  clockStatus_ = new QLabel(this);
  clockStatus_->setObjectName(QStringLiteral("clockStatus"));
  clockStatus_->setWordWrap(true);
  serviceList_ = new QListWidget(this);
  serviceList_->setObjectName(QStringLiteral("serviceList"));
  eventText_ = new QPlainTextEdit(this);
  eventText_->setObjectName(QStringLiteral("eventText"));
  eventText_->setReadOnly(true);
  syncClock_ = new QCheckBox(QString::fromUtf8(msg::si::kSyncClock), this);
  syncClock_->setObjectName(QStringLiteral("syncClock"));
  syncClock_->setChecked(state_.options.syncTdt != 0);

  auto* counters = new QFormLayout;
  counters->addRow(QString::fromUtf8(msg::si::kServicesLabel), services_);
  counters->addRow(QString::fromUtf8(msg::si::kEventsLabel), events_);
  counters->addRow(QString::fromUtf8(msg::si::kPollsLabel), polls_);
  counters->addRow(QString::fromUtf8(msg::si::kBytesLabel), bytes_);
  counters->addRow(QString::fromUtf8(msg::si::kCrcLabel), crcErrors_);

  auto* writeText = new QPushButton(QString::fromUtf8(msg::si::kWriteFileButton), this);
  auto* writeXmltv = new QPushButton(QString::fromUtf8(msg::si::kWriteXmltvButton), this);
  auto* cancel = new QPushButton(QString::fromUtf8(msg::si::kCancelButton), this);
  writeText->setObjectName(QStringLiteral("writeText"));
  writeXmltv->setObjectName(QStringLiteral("writeXmltv"));
  cancel->setObjectName(QStringLiteral("cancel"));

  auto* left = new QVBoxLayout;
  left->addLayout(counters);
  left->addWidget(serviceList_, 1);
  auto* lists = new QHBoxLayout;
  lists->addLayout(left, 2);
  lists->addWidget(eventText_, 3);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(syncClock_);
  buttons->addStretch(1);
  buttons->addWidget(writeText);
  buttons->addWidget(writeXmltv);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(lists, 1);
  layout->addWidget(clockStatus_);
  layout->addLayout(buttons);
  resize(900, 560);

  EitCapture::Callbacks callbacks;
  callbacks.clockSync = [this](TdtClockSync::Result result, const std::string& detail) {
    const QString text = QString::fromStdString(detail);
    QMetaObject::invokeMethod(
        this, [this, result, text] { ClockResult(result, text); }, Qt::QueuedConnection);
  };
  // A run that ends by itself (a lost receiver) says why while the dialog is open; the guide
  // keeps what arrived and can still be written.
  QPointer<EitDialog> self(this);
  callbacks.finished = [self](const RunResult& result) {
    if (!result.Failed() || result.message == msg::si::kNoGuideReceived) return;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [self, result] {
          if (self && !self->closing_) self->RunEnded(result);
        },
        Qt::QueuedConnection);
  };
  guide_.serviceAdded = [this](uint16_t serviceId) {
    QMetaObject::invokeMethod(
        this, [this, serviceId] { AddService(serviceId); }, Qt::QueuedConnection);
  };
  capture_ = std::make_unique<EitCapture>(*state_.aspiModule, guide_, clock, callbacks);

  timer_ = new QTimer(this);
  connect(timer_, &QTimer::timeout, this, &EitDialog::ShowCounters);
  connect(serviceList_, &QListWidget::currentRowChanged, this, &EitDialog::ShowEvents);
  connect(syncClock_, &QCheckBox::toggled, this, [this](bool checked) {
    state_.options.syncTdt = checked ? 1 : 0;
    SaveOptions(state_.options, store_);
    capture_->SetSyncTdt(checked);
  });
  connect(writeText, &QPushButton::clicked, this,
          [this] { SaveGuide(guide_, GuideFormat::kText, ui_, state_.options.txtInitialDir); });
  connect(writeXmltv, &QPushButton::clicked, this,
          [this] { SaveGuide(guide_, GuideFormat::kXmltv, ui_, state_.options.txtInitialDir); });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  QTimer::singleShot(0, this, &EitDialog::StartCapture);
}

EitDialog::~EitDialog() { StopCapture(); }

void EitDialog::StartCapture() {
  capture_->SetSyncTdt(syncClock_->isChecked());
  capture_->Start(state_.options.scsiBusy != 0);
  timer_->start(1000);
  ShowCounters();
}

void EitDialog::RunEnded(const RunResult& result) {
  ShowCounters();
  ShowRunResult(ui_, result);
}

void EitDialog::StopCapture() {
  closing_ = true;
  timer_->stop();
  if (!capture_) return;
  // The worker stops within a second; the busy cursor shows the wait.
  BusyScope busy(ui_);
  capture_->RequestStop();
  capture_->Join();
}

void EitDialog::done(int result) {
  StopCapture();
  QDialog::done(result);
}

void EitDialog::ShowCounters() {
  const Guide::Counters counters = guide_.TakeCounters();
  if (counters.services != shown_.services) services_->setText(QString::number(counters.services));
  if (counters.events != shown_.events) events_->setText(QString::number(counters.events));
  polls_->setText(QString::number(counters.polls));
  bytes_->setText(QString::number(counters.sectionBytes));
  crcErrors_->setText(QString::number(counters.crcErrors));
  shown_ = counters;
}

void EitDialog::AddService(uint16_t serviceId) {
  std::string line;
  guide_.Read([&](const std::map<uint16_t, ServiceEntry>& services) {
    const auto found = services.find(serviceId);
    if (found != services.end()) line = ServiceLine(found->second);
  });
  if (!line.empty()) serviceList_->addItem(QString::fromUtf8(line.c_str()));
}

void EitDialog::ShowEvents() {
  const QListWidgetItem* item = serviceList_->currentItem();
  if (item == nullptr) return;
  const int serviceId = ServiceIdOfLine(item->text().toStdString());
  std::string text;
  guide_.Read([&](const std::map<uint16_t, ServiceEntry>& services) {
    const auto found = services.find(static_cast<uint16_t>(serviceId));
    if (serviceId >= 0 && found != services.end()) text = ServiceEventsText(found->second);
  });
  // The whole text, however many events: the field scrolls.
  QString shown = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  eventText_->setPlainText(shown);
}

void EitDialog::ClockResult(TdtClockSync::Result result, const QString& detail) {
  if (result == TdtClockSync::Result::kRefused) {
    clockStatus_->setText(
        QString::fromStdString(Format(msg::si::kClockRefused, detail.toStdString().c_str())));
  } else {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    gmtime_r(&now, &parts);
    char when[32];
    std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", &parts);
    clockStatus_->setText(QString::fromStdString(Format(msg::si::kClockSet, when)));
  }
}

}  // namespace pelorus
