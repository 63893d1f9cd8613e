#include "channels/ui/converter_dialog.h"

#include <QButtonGroup>
#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace pelorus {

bool RunConverterDialog(QWidget* owner, Ui& ui, ConverterForm& form) {
  QDialog dialog(owner);
  dialog.setObjectName(QStringLiteral("converterDialog"));
  dialog.setWindowTitle(QStringLiteral("Convertitore (LNB)"));

  // Two exclusive groups with nothing checked at opening.
  auto* toFrequency = new QRadioButton(QStringLiteral("Banda L a Frequenza"));
  auto* toLBand = new QRadioButton(QStringLiteral("Frequenza a Band L"));
  toFrequency->setObjectName(QStringLiteral("mode1018"));
  toLBand->setObjectName(QStringLiteral("mode1019"));
  auto* modes = new QButtonGroup(&dialog);
  modes->addButton(toFrequency);
  modes->addButton(toLBand);

  auto* kuHigh = new QRadioButton(QStringLiteral("Banda Ku Alta (10750 MHz)"));
  auto* kuLow = new QRadioButton(QStringLiteral("Banda Ku Bassa (9750 MHz)"));
  auto* cBand = new QRadioButton(QStringLiteral("Banda C (5150 MHz)"));
  auto* manual = new QRadioButton(QStringLiteral("Banda in Manuale:"));
  kuHigh->setObjectName(QStringLiteral("lo1020"));
  kuLow->setObjectName(QStringLiteral("lo1022"));
  cBand->setObjectName(QStringLiteral("lo1021"));
  manual->setObjectName(QStringLiteral("lo1023"));
  auto* oscillators = new QButtonGroup(&dialog);
  for (QRadioButton* button : {kuHigh, kuLow, cBand, manual}) oscillators->addButton(button);
  auto* field = new QLineEdit;
  field->setObjectName(QStringLiteral("manualOscillator"));
  field->setEnabled(false);

  QObject::connect(toFrequency, &QRadioButton::clicked, &dialog,
                   [&form] { form.ChooseMode(ConversionMode::kLBandToFrequency); });
  QObject::connect(toLBand, &QRadioButton::clicked, &dialog,
                   [&form] { form.ChooseMode(ConversionMode::kFrequencyToLBand); });
  const auto choose = [&form, field](QRadioButton* button, OscillatorButton which) {
    QObject::connect(button, &QRadioButton::clicked, field, [&form, field, which] {
      form.ChooseOscillator(which);
      field->setEnabled(form.ManualFieldEnabled());
      if (form.ManualFieldEnabled()) field->setFocus();
    });
  };
  choose(kuHigh, OscillatorButton::kKuHigh);
  choose(kuLow, OscillatorButton::kKuLow);
  choose(cBand, OscillatorButton::kCBand);
  choose(manual, OscillatorButton::kManual);

  auto* ok = new QPushButton(QStringLiteral("OK"));
  auto* cancel = new QPushButton(QStringLiteral("Cancella"));
  ok->setDefault(true);
  QObject::connect(ok, &QPushButton::clicked, &dialog, [&dialog, &ui, &form, field] {
    if (form.Confirm(ui, field->text().toStdString())) dialog.accept();
  });
  QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);

  auto* modeBox = new QGroupBox;
  auto* modeLayout = new QVBoxLayout(modeBox);
  modeLayout->addWidget(toFrequency);
  modeLayout->addWidget(toLBand);
  auto* loBox = new QGroupBox;
  auto* loLayout = new QGridLayout(loBox);
  loLayout->addWidget(kuHigh, 0, 0, 1, 2);
  loLayout->addWidget(kuLow, 1, 0, 1, 2);
  loLayout->addWidget(cBand, 2, 0, 1, 2);
  loLayout->addWidget(manual, 3, 0);
  loLayout->addWidget(field, 3, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(modeBox);
  layout->addWidget(loBox);
  layout->addLayout(buttons);
  toFrequency->setFocus();

  return dialog.exec() == QDialog::Accepted;
}

}  // namespace pelorus
