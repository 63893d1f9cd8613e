#pragma once

#include <QDialog>
#include <string>

class QPlainTextEdit;

namespace pelorus {

// The file check's report: the whole text, never cut, in a fixed-width face so the columns line
// up, in a window that scrolls and can be resized.
class TsReportWindow : public QDialog {
  Q_OBJECT

 public:
  TsReportWindow(const std::string& report, QWidget* parent);
  QPlainTextEdit* text() const { return text_; }

 private:
  QPlainTextEdit* text_;
};

}  // namespace pelorus
