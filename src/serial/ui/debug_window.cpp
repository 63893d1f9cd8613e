#include "serial/ui/debug_window.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QVBoxLayout>

#include "serial/messages.h"

namespace pelorus {

DebugWindow::DebugWindow(QWidget* owner) : QDialog(owner), text_(new QPlainTextEdit(this)) {
  setWindowTitle(QString::fromUtf8(msg::kDebugWindowTitle));
  setAttribute(Qt::WA_DeleteOnClose);
  setModal(false);
  text_->setReadOnly(true);
  text_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(text_);
  resize(480, 320);
}

void DebugWindow::Append(std::string_view text) {
  // A carriage return typed into an edit control starts a new line.
  QString shown = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
  shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  QTextCursor end = text_->textCursor();
  end.movePosition(QTextCursor::End);
  end.insertText(shown);
  text_->verticalScrollBar()->setValue(text_->verticalScrollBar()->maximum());
}

}  // namespace pelorus
