#include "si/ui/si_browser_dialog.h"

#include <QApplication>
#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

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
    pmtPid_->setText(Q(Format("%04x", programs_[row].pmtPid)));
    ReadPmt(programs_[row]);
  });
  connect(streamList_, &QListWidget::currentRowChanged, this, &SiBrowserDialog::ShowStream);
  connect(tune, &QPushButton::clicked, this, &SiBrowserDialog::ManualTune);
  connect(close, &QPushButton::clicked, this, &QDialog::reject);

  SetStatus(msg::si::kReady);
  // The first read starts once the dialog is on screen.
  QTimer::singleShot(0, this, &SiBrowserDialog::ReadAll);
}

void SiBrowserDialog::SetStatus(const char* text) {
  status_->setText(QString::fromUtf8(text));
  status_->repaint();
}

void SiBrowserDialog::ReadAll() {
  repaint();
  if (!ReadNit()) ReadPat();
}

bool SiBrowserDialog::ReadNit() {
  BusyScope busy(ui_);
  SetStatus(msg::si::kReadingNit);
  deliveryList_->clear();
  deliveries_.clear();
  const std::optional<NitInfo> nit = pelorus::ReadNit(transport_);
  if (!nit) {
    ui_.ShowMessage(msg::si::kNitMissing, Icon::kInformation);
    SetStatus(msg::si::kReady);
    return false;
  }
  networkId_->setText(Q(Format("%04x", nit->networkId)));
  networkName_->setText(QString::fromLatin1(nit->networkName.data(),
                                            static_cast<qsizetype>(nit->networkName.size())));
  deliveries_ = nit->deliveries;
  {
    const QSignalBlocker quiet(deliveryList_);
    for (const DeliveryEntry& entry : deliveries_) {
      deliveryList_->addItem(Q(DescribeDelivery(entry).list));
    }
    deliveryList_->setCurrentRow(-1);
  }
  SetStatus(msg::si::kReady);
  return true;
}

void SiBrowserDialog::ShowDelivery(int row) {
  if (row < 0 || row >= static_cast<int>(deliveries_.size())) return;
  const DeliveryTexts texts = DescribeDelivery(deliveries_[row]);
  frequency_->setText(Q(texts.frequency));
  orbit_->setText(Q(texts.orbit));
  polarisation_->setText(Q(texts.polarisation));
  symbolRate_->setText(Q(texts.symbolRate));
  fec_->setText(Q(texts.fec));
  ReadPat();
}

void SiBrowserDialog::ReadPat() {
  BusyScope busy(ui_);
  SetStatus(msg::si::kReadingPat);
  {
    const QSignalBlocker quietPrograms(programList_);
    const QSignalBlocker quietStreams(streamList_);
    programList_->clear();
    streamList_->clear();
  }
  programs_.clear();
  streams_.clear();
  pmtPid_->clear();
  esPid_->clear();
  pcrPid_->clear();
  const std::optional<PatInfo> pat = pelorus::ReadPat(transport_);
  if (!pat) {
    transportStreamId_->clear();
    SetStatus(msg::si::kErrorReadingPat);
    return;
  }
  transportStreamId_->setText(Q(Format("%04x", pat->transportStreamId)));
  programs_ = pat->programs;
  const QSignalBlocker quiet(programList_);
  for (const PatProgram& program : programs_) {
    programList_->addItem(Q(Format("%d", program.programNumber)));
  }
  programList_->setCurrentRow(-1);
  SetStatus(msg::si::kReady);
}

void SiBrowserDialog::ReadPmt(const PatProgram& program) {
  BusyScope busy(ui_);
  SetStatus(msg::si::kReadingPmt);
  {
    const QSignalBlocker quiet(streamList_);
    streamList_->clear();
  }
  streams_.clear();
  esPid_->clear();
  const std::optional<PmtInfo> pmt = pelorus::ReadPmt(transport_, program);
  if (!pmt) {
    SetStatus(msg::si::kErrorReadingPmt);
    return;
  }
  pcrPid_->setText(Q(Format("%04x", pmt->pcrPid)));
  streams_ = pmt->streams;
  {
    const QSignalBlocker quiet(streamList_);
    for (const PmtStream& stream : streams_) {
      streamList_->addItem(Q(Format("%02x", stream.streamType)));
    }
  }
  streamList_->setFocus();
  if (!streams_.empty()) streamList_->setCurrentRow(0);
  SetStatus(msg::si::kReady);
}

void SiBrowserDialog::ShowStream(int row) {
  if (row < 0 || row >= static_cast<int>(streams_.size())) return;
  esPid_->setText(Q(Format("%04x", streams_[row].pid)));
}

void SiBrowserDialog::ManualTune() {
  const std::optional<TuneRequest> request = AskManualTune(this);
  if (!request) return;
  {
    BusyScope busy(ui_);
    SendTuneCommand(transport_, request->frequencyMhz, request->symbolRate, request->fecIndex,
                    request->vertical);
  }
  QTimer::singleShot(0, this, &SiBrowserDialog::ReadAll);
}

std::optional<TuneRequest> AskManualTune(QWidget* parent) {
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
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);

  auto* layout = new QVBoxLayout(&dialog);
  layout->addLayout(form);
  layout->addWidget(fecBox);
  layout->addWidget(polarityBox);
  layout->addWidget(buttons);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  TuneRequest request;
  request.frequencyMhz = TypedNumber(frequency->text().toStdString());
  request.symbolRate = TypedNumber(symbolRate->text().toStdString());
  request.fecIndex = std::max(fecs.checkedId(), 0);
  request.vertical = vertical->isChecked();
  return request;
}

}  // namespace pelorus
