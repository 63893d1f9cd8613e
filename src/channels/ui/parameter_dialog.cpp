#include "channels/ui/parameter_dialog.h"

#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <string>

#include "channels/bulk_change.h"

namespace pelorus {
namespace {

// Only OK and the close box end the dialog.
class ParameterDialog : public QDialog {
 public:
  using QDialog::QDialog;

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (event->key() == Qt::Key_Escape) return;
    QDialog::keyPressEvent(event);
  }
};

}  // namespace

std::optional<int> RunParameterDialog(QWidget* owner, std::string_view prompt) {
  ParameterDialog dialog(owner);
  dialog.setObjectName(QStringLiteral("parameterDialog"));
  dialog.setWindowTitle(QStringLiteral("Parametri Canale"));
  auto* label =
      new QLabel(QString::fromLatin1(prompt.data(), static_cast<qsizetype>(prompt.size())));
  auto* field = new QLineEdit;
  field->setObjectName(QStringLiteral("parameterValue"));
  field->setMaxLength(99);
  auto* ok = new QPushButton(QStringLiteral("OK"));
  ok->setDefault(true);
  QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(label);
  layout->addWidget(field);
  layout->addWidget(ok);
  field->setFocus();
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return ParseParameterText(field->text().toStdString());
}

}  // namespace pelorus
