#pragma once

#include <QDialog>
#include <string_view>

class QPlainTextEdit;

namespace pelorus {

// "Debug Seriale": a modeless window that shows every byte the reader thread receives, by the
// echo rule of the serial link.
class DebugWindow : public QDialog {
  Q_OBJECT

 public:
  explicit DebugWindow(QWidget* owner);
  void Append(std::string_view text);
  QPlainTextEdit* text() const { return text_; }

 private:
  QPlainTextEdit* text_;
};

}  // namespace pelorus
