#include "streams/ui/ts_report_window.h"

#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "qtgui/font_map.h"
#include "streams/messages.h"

namespace pelorus {

TsReportWindow::TsReportWindow(const std::string& report, QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("tsReport"));
  setWindowTitle(QString::fromUtf8(msg::streams::kReportWindowTitle));
  setSizeGripEnabled(true);
  auto* layout = new QVBoxLayout(this);
  text_ = new QPlainTextEdit(this);
  text_->setReadOnly(true);
  text_->setLineWrapMode(QPlainTextEdit::NoWrap);
  text_->setFont(MappedFont(QStringLiteral("Fixedsys")));
  text_->setPlainText(QString::fromStdString(report));
  layout->addWidget(text_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  layout->addWidget(buttons);

  // Wide enough for the longest line of the header, tall enough for a page of PIDs, and well
  // inside a 1366 x 768 screen.
  const QFontMetrics metrics(text_->font());
  const int width =
      metrics.horizontalAdvance(QStringLiteral("(PID/Count/Continuity Errors/Percentage)"));
  resize(std::min(width + 80, 1000), std::min(metrics.lineSpacing() * 30 + 80, 640));
}

}  // namespace pelorus
