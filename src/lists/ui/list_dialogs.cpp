#include "lists/ui/list_dialogs.h"

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
#include <QScrollArea>
#include <QVBoxLayout>
#include <algorithm>

#include "channels/messages.h"
#include "common/strfmt.h"
#include "lists/list_writers.h"
#include "lists/messages.h"

namespace pelorus {
namespace {

QString Text(const std::string& text) { return QString::fromStdString(text); }

QHBoxLayout* OkCancel(QDialog* dialog, QPushButton*& ok) {
  ok = new QPushButton(QStringLiteral("OK"), dialog);
  ok->setObjectName(QStringLiteral("ok"));
  ok->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("Cancella"), dialog);
  cancel->setObjectName(QStringLiteral("cancel"));
  QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  return buttons;
}

// Sets a satellite's port in the choices kept, replacing what was kept for it.
void SetPort(DiseqcPorts& ports, int orbital, int port) {
  auto& list = ports.byOrbital;
  list.erase(std::remove_if(list.begin(), list.end(),
                            [orbital](const auto& entry) { return entry.first == orbital; }),
             list.end());
  list.emplace_back(orbital, port);
}

}  // namespace

ImportListDialog::ImportListDialog(const std::vector<int>& satellites, ImportChoice& choice,
                                   QWidget* parent)
    : QDialog(parent), choice_(choice), satellites_(satellites) {
  setWindowTitle(QString::fromUtf8(msg::kImportDialogTitle));
  auto* layout = new QVBoxLayout(this);

  all_ = new QCheckBox(QString::fromUtf8(msg::kAllServices), this);
  all_->setObjectName(QStringLiteral("allServices"));
  all_->setChecked(choice.options.all);
  layout->addWidget(all_);

  if (!satellites.empty()) {
    auto* portBox = new QGroupBox(QStringLiteral("Porta DiSEqC"));
    auto* form = new QFormLayout(portBox);
    for (const int orbital : satellites) {
      auto* combo = new QComboBox(portBox);
      combo->setObjectName(Text(Format("diseqc%d", orbital)));
      for (int port = 1; port <= 4; ++port) {
        combo->addItem(Text(Format(msg::kLnbPortItem, port)));
      }
      combo->setCurrentIndex(choice.options.diseqc.PortOf(orbital) - 1);
      form->addRow(Text(SatellitePositionText(orbital)), combo);
      ports_.push_back(combo);
    }
    // Published lists may hold dozens of satellites: the rows scroll rather than grow the
    // dialog past the screen.
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("ports"));
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidget(portBox);
    scroll->setMaximumHeight(320);
    layout->addWidget(scroll);
  }

  auto* modeBox = new QGroupBox(this);
  auto* mode = new QVBoxLayout(modeBox);
  auto* append = new QRadioButton(QStringLiteral("Aggiungi alla lista"), modeBox);
  append->setObjectName(QStringLiteral("append"));
  replace_ = new QRadioButton(QStringLiteral("Sostituisci la lista"), modeBox);
  replace_->setObjectName(QStringLiteral("replace"));
  (choice.replace ? replace_ : append)->setChecked(true);
  mode->addWidget(append);
  mode->addWidget(replace_);
  layout->addWidget(modeBox);

  QPushButton* ok = nullptr;
  layout->addLayout(OkCancel(this, ok));
  connect(ok, &QPushButton::clicked, this, &ImportListDialog::Accept);
}

void ImportListDialog::Accept() {
  choice_.options.all = all_->isChecked();
  for (size_t i = 0; i < satellites_.size(); ++i) {
    SetPort(choice_.options.diseqc, satellites_[i], std::max(ports_[i]->currentIndex(), 0) + 1);
  }
  choice_.replace = replace_->isChecked();
  accept();
}

ExportListDialog::ExportListDialog(ExportChoice& choice, QWidget* parent)
    : QDialog(parent), choice_(choice) {
  setWindowTitle(QString::fromUtf8(msg::kExportDialogTitle));
  auto* layout = new QVBoxLayout(this);

  auto* formatBox = new QGroupBox(QStringLiteral("Formato"), this);
  auto* formats = new QVBoxLayout(formatBox);
  auto* enigma2 = new QRadioButton(QStringLiteral("Enigma2 (lamedb e bouquet)"), formatBox);
  enigma2->setObjectName(QStringLiteral("enigma2"));
  vdr_ = new QRadioButton(QStringLiteral("VDR (channels.conf)"), formatBox);
  vdr_->setObjectName(QStringLiteral("vdr"));
  (choice.format == ExportFormat::kVdr ? vdr_ : enigma2)->setChecked(true);
  formats->addWidget(enigma2);
  formats->addWidget(vdr_);
  layout->addWidget(formatBox);

  auto* satelliteBox = new QGroupBox(QStringLiteral("Satellite per porta DiSEqC"), this);
  auto* form = new QFormLayout(satelliteBox);
  for (int port = 1; port <= 4; ++port) {
    auto* field = new QLineEdit(satelliteBox);
    field->setObjectName(Text(Format("satellite%d", port)));
    field->setPlaceholderText(Text(SatellitePositionText(kDefaultExportOrbital)));
    if (const std::optional<int> orbital = choice.diseqc.OrbitalOf(port)) {
      field->setText(Text(SatellitePositionText(*orbital)));
    }
    form->addRow(Text(Format(msg::kLnbPortItem, port)), field);
    satellites_.push_back(field);
  }
  layout->addWidget(satelliteBox);

  problem_ = new QLabel(this);
  problem_->setObjectName(QStringLiteral("problem"));
  layout->addWidget(problem_);

  QPushButton* ok = nullptr;
  layout->addLayout(OkCancel(this, ok));
  connect(ok, &QPushButton::clicked, this, &ExportListDialog::Accept);
}

void ExportListDialog::Accept() {
  DiseqcPorts ports;
  for (size_t i = 0; i < satellites_.size(); ++i) {
    const std::string text = satellites_[i]->text().trimmed().toStdString();
    if (text.empty()) continue;
    const std::optional<int> orbital = ParseSatellitePosition(text);
    if (!orbital) {
      problem_->setText(QString::fromUtf8(msg::kNotASatellitePosition).arg(Text(text)));
      satellites_[i]->setFocus();
      satellites_[i]->selectAll();
      return;
    }
    ports.byOrbital.emplace_back(*orbital, static_cast<int>(i) + 1);
  }
  choice_.format = vdr_->isChecked() ? ExportFormat::kVdr : ExportFormat::kEnigma2;
  choice_.diseqc = std::move(ports);
  accept();
}

}  // namespace pelorus
