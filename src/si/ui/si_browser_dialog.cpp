#include "si/ui/si_browser_dialog.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

#include "common/number_parse.h"
#include "common/strfmt.h"
#include "si/messages.h"
#include "si/si_reader.h"

namespace pelorus {
namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }
QString Caption(const char* text) { return QString::fromUtf8(text); }

QLineEdit* Field(QWidget* parent, const char* name) {
  auto* field = new QLineEdit(parent);
  field->setReadOnly(true);
  field->setObjectName(QString::fromUtf8(name));
  return field;
}

QListWidget* List(QWidget* parent, const char* name) {
  auto* list = new QListWidget(parent);
  list->setObjectName(QString::fromUtf8(name));
  list->setMinimumWidth(110);
  return list;
}

}  // namespace

SiBrowserDialog::SiBrowserDialog(ScsiTransport& transport, Ui& ui, QWidget* parent)
    : QDialog(parent), transport_(transport), ui_(ui) {
  setWindowTitle(QString::fromUtf8(msg::si::kSiBrowserTitle));
  deliveryList_ = List(this, "deliveries");
  programList_ = List(this, "programs");
  streamList_ = List(this, "streams");
  networkId_ = Field(this, "networkId");
  networkName_ = Field(this, "networkName");
  frequency_ = Field(this, "frequency");
  orbit_ = Field(this, "orbit");
  polarisation_ = Field(this, "polarisation");
  symbolRate_ = Field(this, "symbolRate");
  fec_ = Field(this, "fec");
  transportStreamId_ = Field(this, "transportStreamId");
  pmtPid_ = Field(this, "pmtPid");
  pcrPid_ = Field(this, "pcrPid");
  esPid_ = Field(this, "esPid");
  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("status"));

  auto* network = new QGroupBox(QString::fromUtf8(msg::si::kDeliveryGroup), this);
  auto* networkFields = new QFormLayout;
  networkFields->addRow(Caption(msg::si::kNetworkIdLabel), networkId_);
  networkFields->addRow(Caption(msg::si::kNetworkNameLabel), networkName_);
  networkFields->addRow(Caption(msg::si::kFrequencyLabel), frequency_);
  networkFields->addRow(Caption(msg::si::kOrbitLabel), orbit_);
  networkFields->addRow(Caption(msg::si::kPolarisationLabel), polarisation_);
  networkFields->addRow(Caption(msg::si::kSymbolRateLabel), symbolRate_);
  networkFields->addRow(Caption(msg::si::kFecLabel), fec_);
  auto* networkLayout = new QHBoxLayout(network);
  networkLayout->addWidget(deliveryList_);
  networkLayout->addLayout(networkFields);

  auto* programs = new QGroupBox(Caption(msg::si::kPatGroup), this);
  auto* programFields = new QFormLayout;
  programFields->addRow(Caption(msg::si::kTransportStreamIdLabel), transportStreamId_);
  programFields->addRow(Caption(msg::si::kPmtPidLabel), pmtPid_);
  auto* programLayout = new QHBoxLayout(programs);
  programLayout->addWidget(programList_);
  programLayout->addLayout(programFields);

  auto* streams = new QGroupBox(QString::fromUtf8(msg::si::kProgramGroup), this);
  auto* streamFields = new QFormLayout;
  streamFields->addRow(Caption(msg::si::kPcrPidLabel), pcrPid_);
  streamFields->addRow(Caption(msg::si::kEsPidLabel), esPid_);
  auto* streamLayout = new QHBoxLayout(streams);
  streamLayout->addWidget(streamList_);
  streamLayout->addLayout(streamFields);

  auto* tune = new QPushButton(QString::fromUtf8(msg::si::kManualTuneButton), this);
  auto* close = new QPushButton(QString::fromUtf8(msg::si::kCloseButton), this);
  tune->setObjectName(QStringLiteral("tune"));
  close->setObjectName(QStringLiteral("close"));
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(status_, 1);
  buttons->addWidget(tune);
  buttons->addWidget(close);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(network);
  layout->addWidget(programs);
  layout->addWidget(streams);
  layout->addLayout(buttons);

  connect(deliveryList_, &QListWidget::currentRowChanged, this, &SiBrowserDialog::ShowDelivery);
  connect(programList_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (row < 0 || row >= static_cast<int>(programs_.size())) return;
    pmtPid_->setText(Q(programTexts_[static_cast<size_t>(row)].pmtPid));
    ReadPmt(programs_[static_cast<size_t>(row)]);
  });
  connect(streamList_, &QListWidget::currentRowChanged, this, &SiBrowserDialog::ShowStream);
  connect(tune, &QPushButton::clicked, this, &SiBrowserDialog::ManualTune);
  connect(close, &QPushButton::clicked, this, &QDialog::reject);

  SetStatus(msg::si::kReady);
  // The first read starts once the dialog is on screen.
  QTimer::singleShot(0, this, &SiBrowserDialog::ReadAll);
}

SiBrowserDialog::~SiBrowserDialog() { StopReads(); }

void SiBrowserDialog::SetStatus(const char* text) { status_->setText(QString::fromUtf8(text)); }

void SiBrowserDialog::ReadAll() { Queue({Step::kNit, {}, std::nullopt}); }
void SiBrowserDialog::ReadPat() { Queue({Step::kPat, {}, std::nullopt}); }
void SiBrowserDialog::ReadPmt(const PatProgram& program) {
  Queue({Step::kPmt, program, std::nullopt});
}

void SiBrowserDialog::Queue(Request request) {
  if (closing_) return;
  if (!busy_) {
    StartRun(std::move(request));
    return;
  }
  // The newest request wins; a tune still waiting is not lost to a later selection.
  if (pending_ && pending_->tune && !request.tune) {
    pending_->step = Step::kNit;
  } else {
    pending_ = std::move(request);
  }
  cancel_ = true;
  worker_.RequestStop();
}

void SiBrowserDialog::StartRun(Request request) {
  busy_ = true;
  cancel_ = false;
  ui_.BeginBusy();
  QPointer<SiBrowserDialog> self(this);
  Worker::Callbacks callbacks;
  callbacks.finished = [self](const RunResult& result) {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [self, result] {
          if (self) self->RunFinished(result);
        },
        Qt::QueuedConnection);
  };
  worker_.Start([this, request = std::move(request)](RunControl&) { return Run(request); },
                std::move(callbacks));
}

void SiBrowserDialog::Post(std::function<void()> update) {
  QPointer<SiBrowserDialog> self(this);
  QMetaObject::invokeMethod(
      QCoreApplication::instance(),
      [self, update = std::move(update)] {
        if (self && !self->closing_) update();
      },
      Qt::QueuedConnection);
}

RunResult SiBrowserDialog::Run(const Request& request) {
  CaptureLimits limits;
  limits.stop = &cancel_;
  LinkFailure failure;
  const auto lost = [&failure] { return RunResult::Failed(msg::si::kTablesLost, failure.reason); };
  if (request.tune) {
    const TuneRequest& tune = *request.tune;
    if (!SendTuneCommand(transport_, tune.frequencyMhz, tune.symbolRate, tune.fecIndex,
                         tune.vertical, &failure)) {
      // Still on the old multiplex: what the lists show is still true.
      return RunResult::Failed(
          EndsTheRun(failure.problem) ? msg::si::kTuneLost : msg::si::kTuneRefused, failure.reason);
    }
  }
  Step step = request.step;
  if (step == Step::kNit) {
    Post([this] { BeginNit(); });
    std::optional<Nit> nit = pelorus::ReadNit(transport_, limits, &failure);
    if (EndsTheRun(failure.problem)) return lost();
    if (cancel_) return RunResult::Stopped();
    Post([this, nit = std::move(nit)] { ShowNit(nit); });
    step = Step::kPat;
  }
  if (step == Step::kPat) {
    Post([this] { BeginPat(); });
    std::optional<Pat> pat = pelorus::ReadPat(transport_, limits, &failure);
    if (EndsTheRun(failure.problem)) return lost();
    if (cancel_) return RunResult::Stopped();
    Post([this, pat = std::move(pat)] { ShowPat(pat); });
  }
  if (step == Step::kPmt) {
    Post([this] { BeginPmt(); });
    std::optional<Pmt> pmt = pelorus::ReadPmt(transport_, request.program, limits, &failure);
    if (EndsTheRun(failure.problem)) return lost();
    if (cancel_) return RunResult::Stopped();
    Post([this, pmt = std::move(pmt)] { ShowPmt(pmt); });
  }
  return RunResult::Done();
}

void SiBrowserDialog::RunFinished(const RunResult& result) {
  worker_.Join();
  busy_ = false;
  ui_.EndBusy();
  if (closing_) return;
  if (result.Failed()) {
    SetStatus(msg::si::kReady);
    ShowRunResult(ui_, result);
  }
  if (pending_) {
    Request next = std::move(*pending_);
    pending_.reset();
    StartRun(std::move(next));
  }
}

void SiBrowserDialog::StopReads() {
  closing_ = true;
  pending_.reset();
  cancel_ = true;
  worker_.RequestStop();
  worker_.Join();
  if (busy_) {
    busy_ = false;
    ui_.EndBusy();
  }
}

void SiBrowserDialog::done(int result) {
  StopReads();
  QDialog::done(result);
}

void SiBrowserDialog::BeginNit() {
  SetStatus(msg::si::kReadingNit);
  {
    const QSignalBlocker quiet(deliveryList_);
    deliveryList_->clear();
  }
  deliveries_.clear();
}

void SiBrowserDialog::ShowNit(const std::optional<Nit>& nit) {
  if (!nit) {
    SetStatus(msg::si::kReady);
    ui_.ShowMessage(msg::si::kNitMissing, Icon::kInformation);
    return;
  }
  const NetworkTexts network = DescribeNetwork(*nit);
  networkId_->setText(Q(network.networkId));
  networkName_->setText(Q(network.name));
  deliveries_ = nit->Deliveries();
  {
    const QSignalBlocker quiet(deliveryList_);
    for (const DeliveryTexts& delivery : network.deliveries) {
      deliveryList_->addItem(Q(delivery.list));
    }
    deliveryList_->setCurrentRow(-1);
  }
  SetStatus(msg::si::kReady);
}

void SiBrowserDialog::ShowDelivery(int row) {
  if (row < 0 || row >= static_cast<int>(deliveries_.size())) return;
  const DeliveryTexts texts = DescribeDelivery(deliveries_[static_cast<size_t>(row)]);
  frequency_->setText(Q(texts.frequency));
  orbit_->setText(Q(texts.orbit));
  polarisation_->setText(Q(texts.polarisation));
  symbolRate_->setText(Q(texts.symbolRate));
  fec_->setText(Q(texts.fec));
  ReadPat();
}

void SiBrowserDialog::BeginPat() {
  SetStatus(msg::si::kReadingPat);
  {
    const QSignalBlocker quietPrograms(programList_);
    const QSignalBlocker quietStreams(streamList_);
    programList_->clear();
    streamList_->clear();
  }
  programs_.clear();
  programTexts_.clear();
  streams_.clear();
  pmtPid_->clear();
  esPid_->clear();
  pcrPid_->clear();
}

void SiBrowserDialog::ShowPat(const std::optional<Pat>& pat) {
  if (!pat) {
    transportStreamId_->clear();
    SetStatus(msg::si::kErrorReadingPat);
    return;
  }
  const TransportStreamTexts texts = DescribeTransportStream(*pat);
  transportStreamId_->setText(Q(texts.transportStreamId));
  programs_ = pat->programs;
  programTexts_ = texts.programs;
  const QSignalBlocker quiet(programList_);
  for (const ProgramTexts& program : programTexts_) programList_->addItem(Q(program.number));
  programList_->setCurrentRow(-1);
  SetStatus(msg::si::kReady);
}

void SiBrowserDialog::BeginPmt() {
  SetStatus(msg::si::kReadingPmt);
  {
    const QSignalBlocker quiet(streamList_);
    streamList_->clear();
  }
  streams_.clear();
  esPid_->clear();
}

void SiBrowserDialog::ShowPmt(const std::optional<Pmt>& pmt) {
  if (!pmt) {
    SetStatus(msg::si::kErrorReadingPmt);
    return;
  }
  const ProgramMapTexts texts = DescribeProgramMap(*pmt);
  pcrPid_->setText(Q(texts.pcrPid));
  streams_ = texts.streams;
  {
    const QSignalBlocker quiet(streamList_);
    for (const StreamTexts& stream : streams_) streamList_->addItem(Q(stream.type));
  }
  streamList_->setFocus();
  if (!streams_.empty()) streamList_->setCurrentRow(0);
  SetStatus(msg::si::kReady);
}

void SiBrowserDialog::ShowStream(int row) {
  if (row < 0 || row >= static_cast<int>(streams_.size())) return;
  esPid_->setText(Q(streams_[static_cast<size_t>(row)].pid));
}

void SiBrowserDialog::ManualTune() {
  const std::optional<TuneRequest> request = AskManualTune(this, ui_);
  if (!request) return;
  // The tune and the reads of the new multiplex run on the worker, one after the other.
  Queue({Step::kNit, {}, request});
}

std::optional<TuneRequest> AskManualTune(QWidget* parent, Ui& ui) {
  QDialog dialog(parent);
  dialog.setWindowTitle(QString::fromUtf8(msg::si::kManualTuneTitle));
  auto* frequency = new QLineEdit(&dialog);
  auto* symbolRate = new QLineEdit(&dialog);
  frequency->setObjectName(QStringLiteral("frequency"));
  symbolRate->setObjectName(QStringLiteral("symbolRate"));
  auto* form = new QFormLayout;
  form->addRow(QString::fromUtf8(msg::si::kFrequencyLabel), frequency);
  form->addRow(QString::fromUtf8(msg::si::kSymbolRateLabel), symbolRate);

  auto* fecBox = new QGroupBox(QStringLiteral("FEC"), &dialog);
  auto* fecLayout = new QHBoxLayout(fecBox);
  QButtonGroup fecs;
  for (size_t i = 0; i < kTuneFecCaptions.size(); ++i) {
    auto* button = new QRadioButton(QString::fromUtf8(kTuneFecCaptions[i]), fecBox);
    fecs.addButton(button, static_cast<int>(i));
    fecLayout->addWidget(button);
  }
  auto* polarityBox = new QGroupBox(QString(), &dialog);
  auto* polarityLayout = new QHBoxLayout(polarityBox);
  auto* horizontal = new QRadioButton(QStringLiteral("H"), polarityBox);
  auto* vertical = new QRadioButton(QStringLiteral("V"), polarityBox);
  polarityLayout->addWidget(horizontal);
  polarityLayout->addWidget(vertical);

  auto* buttons = new QDialogButtonBox(&dialog);
  buttons->addButton(QDialogButtonBox::Ok);
  buttons->addButton(QString::fromUtf8(msg::si::kCancelButton), QDialogButtonBox::RejectRole);
  TuneRequest request;
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
    // Five digits each on the wire: a number beyond them is refused, not cut short.
    const std::optional<int64_t> megahertz =
        ParseNumber(frequency->text().trimmed().toStdString(), kMinTuneNumber, kMaxTuneNumber);
    const std::optional<int64_t> rate =
        ParseNumber(symbolRate->text().trimmed().toStdString(), kMinTuneNumber, kMaxTuneNumber);
    if (!megahertz || !rate) {
      ui.ShowMessage(Format(msg::si::kTuneOutOfRange,
                            !megahertz ? msg::si::kFrequencyLabel : msg::si::kSymbolRateLabel,
                            kMinTuneNumber, kMaxTuneNumber),
                     Icon::kStop);
      (!megahertz ? frequency : symbolRate)->setFocus();
      return;
    }
    request.frequencyMhz = static_cast<int>(*megahertz);
    request.symbolRate = static_cast<int>(*rate);
    dialog.accept();
  });
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);

  auto* layout = new QVBoxLayout(&dialog);
  layout->addLayout(form);
  layout->addWidget(fecBox);
  layout->addWidget(polarityBox);
  layout->addWidget(buttons);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  request.fecIndex = std::max(fecs.checkedId(), 0);
  request.vertical = vertical->isChecked();
  return request;
}

}  // namespace pelorus
