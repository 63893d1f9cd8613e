#include "about_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "app/messages.h"
#include "app/ui/pictures.h"
#include "app/version.h"
#include "common/program.h"
#include "common/strfmt.h"

namespace pelorus {

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QString::fromUtf8(kProgramTitle));
  auto* picture = new QLabel(this);
  picture->setPixmap(ProgramPicture().pixmap(64, 64));

  const VersionInfo version = BuildVersionString(ProgramFileVersion());
  auto* name =
      new QLabel(QStringLiteral("<b>Pelorus</b> — ") + QString::fromUtf8(kProgramTitle), this);
  auto* versionLabel = new QLabel(
      QString::fromStdString(Format(msg::kAboutVersionFormat, version.text.c_str())), this);
  versionLabel->setObjectName(QStringLiteral("version"));
  auto* credits =
      new QLabel(QStringLiteral("Channel list editor for Mediamaster receivers running the "
                                "Tessera firmware.\nWritten by the Pelorus developers."),
                 this);
  credits->setWordWrap(true);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

  auto* texts = new QVBoxLayout;
  texts->addWidget(name);
  texts->addWidget(versionLabel);
  texts->addWidget(credits);
  auto* top = new QHBoxLayout;
  top->addWidget(picture, 0, Qt::AlignTop);
  top->addLayout(texts, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(buttons);
}

}  // namespace pelorus
