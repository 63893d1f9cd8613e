#include "channels/ui/channel_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>
#include <algorithm>

#include "channels/field_check.h"
#include "channels/messages.h"
#include "common/strfmt.h"

namespace pelorus {
namespace {

QString Text(const char* text) { return QString::fromUtf8(text); }
QString Latin1(const std::string& text) { return QString::fromLatin1(text); }
std::string Latin1(const QString& text) { return text.toLatin1().toStdString(); }

// A group box of radio buttons laid out in a row or column.
QGroupBox* RadioBox(const char* title, QWidget* parent) {
  auto* box = new QGroupBox(Text(title), parent);
  new QVBoxLayout(box);
  return box;
}

QComboBox* Combo(const char* name, QWidget* parent) {
  auto* combo = new QComboBox(parent);
  combo->setObjectName(QString::fromLatin1(name));
  return combo;
}

}  // namespace

QLineEdit* ChannelDialog::AddEdit(const char* label, const char* name, const std::string& text) {
  auto* edit = new QLineEdit(Latin1(text), page_);
  edit->setObjectName(QString::fromLatin1(name));
  static_cast<QFormLayout*>(page_->layout())->addRow(Text(label), edit);
  return edit;
}

QRadioButton* ChannelDialog::AddRadio(const char* caption, const char* name, QButtonGroup* group,
                                      int id) {
  auto* button = new QRadioButton(Text(caption));
  button->setObjectName(QString::fromLatin1(name));
  group->addButton(button, id);
  return button;
}

ChannelDialog::ChannelDialog(const ChannelDialogFields& fields, QWidget* parent, PidMode mode)
    : QDialog(parent), mode_(mode) {
  setWindowTitle(Text(msg::kChannelDialogTitle));

  // The left column: the numbers and PIDs, each a labelled line.
  page_ = new QWidget(this);
  new QFormLayout(page_);
  name_ = AddEdit("Nome:", "name", fields.name);
  name_->setMaxLength(kChannelNameInputLimit);
  serviceId_ = AddEdit("Servizio ID:", "serviceId", fields.serviceId);
  lockCode_ = AddEdit("Codice Blocco:", "lockCode", fields.lockCode);
  frequency_ = AddEdit("Frecquenza:", "frequency", fields.frequency);
  acqBandwidth_ = AddEdit("Acq. BW:", "acqBandwidth", fields.acqBandwidth);
  symbolRate_ = AddEdit("Velocità Dati:", "symbolRate", fields.symbolRate);
  videoPid_ = AddEdit("Video PID:", "videoPid", fields.videoPid);
  audioPid_ = AddEdit("Audio PID:", "audioPid", fields.audioPid);
  pmtPid_ = AddEdit("PMT PID:", "pmtPid", fields.pmtPid);
  textPid_ = AddEdit("Text PID:", "textPid", fields.textPid);
  pcrPid_ = AddEdit("PCR PID:", "pcrPid", fields.pcrPid);
  pmc_ = AddEdit("PMC:", "pmc", fields.pmc);
  tsId_ = AddEdit("TS ID:", "tsId", fields.tsId);
  networkId_ = AddEdit("ID Canali:", "networkId", fields.networkId);
  scrambling_ = AddEdit("Scrambling:", "scrambling", fields.scrambling);

  // The choices, in two columns beside the numbers, so that the dialog fits a small screen.
  auto* choices = new QWidget(this);
  auto* choiceLayout = new QVBoxLayout(choices);
  auto* moreChoices = new QWidget(this);
  auto* moreLayout = new QVBoxLayout(moreChoices);

  QGroupBox* videoBox = RadioBox("Video:", choices);
  video_ = new QButtonGroup(this);
  videoBox->layout()->addWidget(AddRadio("&NTSC", "ntsc", video_, 1));
  videoBox->layout()->addWidget(AddRadio("&PAL", "pal", video_, 0));
  video_->button(fields.ntsc ? 1 : 0)->setChecked(true);
  choiceLayout->addWidget(videoBox);

  QGroupBox* audioBox = RadioBox("Modo Audio :", choices);
  audio_ = new QButtonGroup(this);
  static constexpr const char* kAudioCaptions[] = {"&Normale", "&Invertito", "&Sinistro",
                                                   "&Destro"};
  static constexpr const char* kAudioNames[] = {"audioNormal", "audioInverted", "audioLeft",
                                                "audioRight"};
  for (int i = 0; i < 4; ++i) {
    audioBox->layout()->addWidget(AddRadio(kAudioCaptions[i], kAudioNames[i], audio_, i));
  }
  audio_->button(fields.audioMode & 3)->setChecked(true);
  choiceLayout->addWidget(audioBox);

  QGroupBox* voltBox = RadioBox("12 volt:", choices);
  twelveVolt_ = new QButtonGroup(this);
  voltBox->layout()->addWidget(AddRadio("&Abilitato", "twelveVoltOn", twelveVolt_, 1));
  voltBox->layout()->addWidget(AddRadio("&Disabilitato", "twelveVoltOff", twelveVolt_, 0));
  twelveVolt_->button(fields.twelveVolt ? 1 : 0)->setChecked(true);
  choiceLayout->addWidget(voltBox);

  // A code without a button of its own ticks none; OK then keeps the code.
  QGroupBox* fecBox = RadioBox("FEC:", moreChoices);
  fec_ = new QButtonGroup(this);
  for (const FecButton& button : kFecButtons) {
    const std::string name = "fec" + std::to_string(button.code);
    fecBox->layout()->addWidget(AddRadio(button.caption, name.c_str(), fec_, button.code));
  }
  if (fields.fecCode) fec_->button(*fields.fecCode)->setChecked(true);
  moreLayout->addWidget(fecBox);

  QGroupBox* polarityBox = RadioBox("Polarità:", choices);
  polarity_ = new QButtonGroup(this);
  polarityBox->layout()->addWidget(AddRadio("&Orizzontale", "horizontal", polarity_, 0));
  polarityBox->layout()->addWidget(AddRadio("&Verticale", "vertical", polarity_, 1));
  polarity_->button(fields.horizontal ? 0 : 1)->setChecked(true);
  choiceLayout->addWidget(polarityBox);

  auto* lists = new QFormLayout;
  diseqc_ = Combo("diseqc", moreChoices);
  for (int port = 1; port <= kDiseqcPortCount; ++port) {
    diseqc_->addItem(Latin1(Format(msg::kLnbPortItem, port)));
  }
  diseqc_->setCurrentIndex(fields.diseqcIndex);
  lists->addRow(QStringLiteral("DiSEqC:"), diseqc_);
  inversion_ = Combo("inversion", moreChoices);
  for (const char* item : kInversionItems) inversion_->addItem(Text(item));
  inversion_->setCurrentIndex(fields.inversionIndex);
  lists->addRow(QStringLiteral("Inv. Spec.:"), inversion_);
  serviceType_ = Combo("serviceType", moreChoices);
  for (const char* item : kServiceTypeItems) serviceType_->addItem(Text(item));
  serviceType_->setCurrentIndex(fields.serviceTypeIndex);
  lists->addRow(QStringLiteral("Tipo di Servizio:"), serviceType_);
  moreLayout->addLayout(lists);

  autoPmt_ = new QCheckBox(QStringLiteral("Auto PMT"), moreChoices);
  autoPmt_->setObjectName(QStringLiteral("autoPmt"));
  autoPmt_->setChecked(fields.autoPmt);
  autoPid_ = new QCheckBox(QStringLiteral("Auto PID"), moreChoices);
  autoPid_->setObjectName(QStringLiteral("autoPid"));
  autoPid_->setChecked(fields.autoPid);
  moreLayout->addWidget(autoPmt_);
  moreLayout->addWidget(autoPid_);
  moreLayout->addStretch();
  choiceLayout->addStretch();

  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("ok"));
  ok->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("Cancella"), this);
  cancel->setObjectName(QStringLiteral("cancel"));
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);

  auto* body = new QWidget(this);
  auto* columns = new QHBoxLayout(body);
  columns->setContentsMargins(0, 0, 0, 0);
  columns->addWidget(page_);
  columns->addWidget(choices);
  columns->addWidget(moreChoices);
  // The body scrolls when the screen is smaller than it (large text, high scaling), so OK and
  // Cancel always stay on the screen.
  auto* scroll = new QScrollArea(this);
  scroll->setObjectName(QStringLiteral("body"));
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidgetResizable(true);
  scroll->setWidget(body);
  QSize room = body->sizeHint();
  if (const QScreen* screen = parent != nullptr ? parent->screen() : this->screen()) {
    // Left for the title bar, the buttons, the warning and the margins.
    room = room.boundedTo(screen->availableGeometry().size() - QSize(48, 160));
  }
  scroll->setMinimumSize(room);

  warning_ = new QLabel(this);
  warning_->setObjectName(QStringLiteral("warning"));
  warning_->setWordWrap(true);
  warning_->setStyleSheet(QStringLiteral("color: #b00000"));
  warning_->hide();

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(scroll, 1);
  layout->addWidget(warning_);
  layout->addLayout(buttons);

  name_->selectAll();
  name_->setFocus();
}

ChannelDialogFields ChannelDialog::Fields() const {
  ChannelDialogFields fields;
  fields.name = Latin1(name_->text());
  fields.serviceId = Latin1(serviceId_->text());
  fields.lockCode = Latin1(lockCode_->text());
  fields.ntsc = video_->checkedId() == 1;
  fields.audioMode = std::max(audio_->checkedId(), 0);
  fields.twelveVolt = twelveVolt_->checkedId() == 1;
  fields.diseqcIndex = diseqc_->currentIndex();
  fields.frequency = Latin1(frequency_->text());
  fields.acqBandwidth = Latin1(acqBandwidth_->text());
  fields.symbolRate = Latin1(symbolRate_->text());
  fields.inversionIndex = inversion_->currentIndex();
  if (fec_->checkedId() >= 0) fields.fecCode = static_cast<uint8_t>(fec_->checkedId());
  fields.horizontal = polarity_->checkedId() == 0;
  fields.videoPid = Latin1(videoPid_->text());
  fields.audioPid = Latin1(audioPid_->text());
  fields.pmtPid = Latin1(pmtPid_->text());
  fields.textPid = Latin1(textPid_->text());
  fields.pcrPid = Latin1(pcrPid_->text());
  fields.pmc = Latin1(pmc_->text());
  fields.tsId = Latin1(tsId_->text());
  fields.networkId = Latin1(networkId_->text());
  fields.scrambling = Latin1(scrambling_->text());
  fields.serviceTypeIndex = serviceType_->currentIndex();
  fields.autoPmt = autoPmt_->isChecked();
  fields.autoPid = autoPid_->isChecked();
  return fields;
}

void ChannelDialog::accept() {
  const std::vector<std::string> unreadable = UnreadableChannelFields(Fields(), mode_);
  QString names;
  QLineEdit* first = nullptr;
  for (QLineEdit* edit : page_->findChildren<QLineEdit*>()) {
    const bool bad = std::find(unreadable.begin(), unreadable.end(),
                               edit->objectName().toStdString()) != unreadable.end();
    edit->setStyleSheet(bad ? QStringLiteral("background: #ffd8d8") : QString());
    if (!bad) continue;
    if (first == nullptr) first = edit;
    auto* form = static_cast<QFormLayout*>(page_->layout());
    if (auto* label = qobject_cast<QLabel*>(form->labelForField(edit))) {
      if (!names.isEmpty()) names += QStringLiteral(", ");
      names += label->text().remove(QLatin1Char(':'));
    }
  }
  if (first == nullptr) {
    warning_->hide();
    QDialog::accept();
    return;
  }
  warning_->setText(QString::fromUtf8(msg::kFieldsNotNumbers).arg(names));
  warning_->show();
  first->setFocus();
  first->selectAll();
}

bool ExecChannelDialog(ChannelRecord& record, PidMode mode, QWidget* parent) {
  ChannelDialog dialog(ShowChannelFields(record, mode), parent, mode);
  if (dialog.exec() != QDialog::Accepted) return false;
  ReadChannelFields(dialog.Fields(), mode, record);
  return true;
}

}  // namespace pelorus
