#include "channels/ui/find_dialog.h"

#include <QCheckBox>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace pelorus {

bool RunFindDialog(QWidget* owner, FindRequest& request) {
  QDialog dialog(owner);
  dialog.setObjectName(QStringLiteral("findDialog"));
  dialog.setWindowTitle(QStringLiteral("Trova"));
  auto* label = new QLabel(QStringLiteral("Trova:"));
  auto* text = new QLineEdit(QString::fromLatin1(request.text.c_str()));
  text->setObjectName(QStringLiteral("findText"));
  text->setMaxLength(static_cast<int>(kSearchLength));
  text->selectAll();
  label->setBuddy(text);
  auto* matchCase = new QCheckBox(QStringLiteral("&Maiuscole/Minuscole"));
  matchCase->setObjectName(QStringLiteral("matchCase"));
  matchCase->setChecked(request.matchCase);
  auto* search = new QPushButton(QStringLiteral("Cerca"));
  search->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("Cancella"));
  QObject::connect(search, &QPushButton::clicked, &dialog, &QDialog::accept);
  QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);

  auto* row = new QHBoxLayout;
  row->addWidget(label);
  row->addWidget(text);
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(search);
  buttons->addWidget(cancel);
  auto* fields = new QVBoxLayout;
  fields->addLayout(row);
  fields->addWidget(matchCase);
  auto* layout = new QHBoxLayout(&dialog);
  layout->addLayout(fields);
  layout->addLayout(buttons);
  text->setFocus();

  if (dialog.exec() != QDialog::Accepted) return false;
  // Names are 8-bit text; Latin-1 keeps one byte per character.
  request.text = text->text().toLatin1().toStdString();
  request.matchCase = matchCase->isChecked();
  return true;
}

}  // namespace pelorus
