#include "channels/ui/mpeg_search_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>

#include "channels/channel_dialog_model.h"
#include "channels/messages.h"
#include "common/strfmt.h"

namespace pelorus {
namespace {

QComboBox* PortList(const char* name, uint32_t selected, QWidget* parent) {
  auto* combo = new QComboBox(parent);
  combo->setObjectName(QString::fromLatin1(name));
  for (int port = 1; port <= kDiseqcPortCount; ++port) {
    combo->addItem(QString::fromStdString(Format(msg::kLnbPortItem, port)));
  }
  // A stored value outside the list selects nothing, and OK then stores the first port.
  combo->setCurrentIndex(selected < kDiseqcPortCount ? static_cast<int>(selected) : -1);
  return combo;
}

QRadioButton* Radio(const char* caption, const char* name, int id, QButtonGroup* group,
                    QGroupBox* box) {
  auto* button = new QRadioButton(QString::fromUtf8(caption), box);
  button->setObjectName(QString::fromLatin1(name));
  group->addButton(button, id);
  box->layout()->addWidget(button);
  return button;
}

uint32_t PortOf(const QComboBox* combo) {
  return static_cast<uint32_t>(std::max(combo->currentIndex(), 0));
}

}  // namespace

MpegSearchDialog::MpegSearchDialog(Options& options, std::function<void()> paste, QWidget* parent)
    : QDialog(parent), options_(options), paste_(std::move(paste)) {
  setWindowTitle(QString::fromUtf8(msg::kMpegSearchDialogTitle));

  auto* modeBox = new QGroupBox(QStringLiteral("Paste what:"), this);
  new QVBoxLayout(modeBox);
  mode_ = new QButtonGroup(this);
  Radio("Copia Tutto", "all", 0, mode_, modeBox);
  Radio("C-Band", "cBand", 1, mode_, modeBox);
  Radio("Ku-Band", "kuBand", 2, mode_, modeBox);
  if (QAbstractButton* button = mode_->button(static_cast<int>(options.mpegProjectPasteMode))) {
    button->setChecked(true);
  }

  auto* portBox = new QGroupBox(this);
  auto* ports = new QFormLayout(portBox);
  diseqcC_ = PortList("diseqcC", options.mpegProjectDiseqcC, portBox);
  diseqcKu_ = PortList("diseqcKu", options.mpegProjectDiseqcKu, portBox);
  diseqcKuDbs_ = PortList("diseqcKuDbs", options.mpegProjectDiseqcKuDbs, portBox);
  ports->addRow(QStringLiteral("C-Band"), diseqcC_);
  ports->addRow(QStringLiteral("Ku-Band"), diseqcKu_);
  ports->addRow(QStringLiteral("DiSEqC > 12.2 GHz"), diseqcKuDbs_);

  auto* delimiterBox = new QGroupBox(QStringLiteral("Delimita:"), this);
  new QVBoxLayout(delimiterBox);
  delimiter_ = new QButtonGroup(this);
  Radio("Comma", "comma", 0, delimiter_, delimiterBox);
  Radio("Caret", "caret", 1, delimiter_, delimiterBox);
  Radio("Tilde", "tilde", 2, delimiter_, delimiterBox);
  if (QAbstractButton* button =
          delimiter_->button(static_cast<int>(options.mpegProjectDataFormat))) {
    button->setChecked(true);
  }

  markers_ = new QCheckBox(QStringLiteral("Generate Satellite Markers"), this);
  markers_->setObjectName(QStringLiteral("markers"));
  markers_->setChecked(options.mpegProjectAddMarkers == 1);

  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("ok"));
  ok->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("Cancella"), this);
  cancel->setObjectName(QStringLiteral("cancel"));
  connect(ok, &QPushButton::clicked, this, &MpegSearchDialog::Accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  auto* top = new QHBoxLayout;
  top->addWidget(modeBox);
  top->addWidget(portBox);
  top->addWidget(delimiterBox);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(markers_);
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(buttons);
}

void MpegSearchDialog::Accept() {
  options_.mpegProjectPasteMode = mode_->checkedId() == 1 ? 1 : mode_->checkedId() == 2 ? 2 : 0;
  options_.mpegProjectDataFormat = delimiter_->checkedId() == 1   ? 1
                                   : delimiter_->checkedId() == 2 ? 2
                                                                  : 0;
  options_.mpegProjectAddMarkers = markers_->isChecked() ? 1 : 0;
  options_.mpegProjectDiseqcC = PortOf(diseqcC_);
  options_.mpegProjectDiseqcKu = PortOf(diseqcKu_);
  options_.mpegProjectDiseqcKuDbs = PortOf(diseqcKuDbs_);
  if (paste_) paste_();
  accept();
}

}  // namespace pelorus
