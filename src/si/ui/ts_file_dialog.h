#pragma once

#include <QDialog>
#include <string>

#include "common/ui.h"
#include "common/worker.h"
#include "si/ts_file_analysis.h"

class QLabel;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QTableWidget;
class QTreeWidget;

namespace pelorus {

// The progress of a recording's analysis: the file's name, a bar, and "Stop", which asks the
// worker to stop. The dialog closes itself when the worker reports that it finished.
class TsFileProgressDialog : public QDialog {
 public:
  TsFileProgressDialog(QWidget* owner, Worker& worker, const std::string& path,
                       TsFileAnalysis& analysis);

  // The run's result once the dialog has closed.
  const RunResult& Result() const { return result_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  Worker& worker_;
  std::string path_;
  TsFileAnalysis& analysis_;
  bool started_ = false;
  RunResult result_;
  QLabel* text_;
  QProgressBar* bar_;
};

// "Analizza File TS": what a recording holds, in three tabs — the SI browser's network,
// programme and stream view with the SDT's services, the EIT browser's services and events
// (written with "Scrivi in File..." and "Scrivi XMLTV..."), and the PID list.
class TsFileDialog : public QDialog {
 public:
  TsFileDialog(const TsFileAnalysis& analysis, const std::string& path, Ui& ui, std::string& folder,
               QWidget* parent);

  QTreeWidget* siTree() const { return siTree_; }
  QListWidget* serviceList() const { return serviceList_; }
  QPlainTextEdit* eventText() const { return eventText_; }
  QTableWidget* pidTable() const { return pidTable_; }

 private:
  QWidget* SiPage();
  QWidget* GuidePage();
  QWidget* PidPage();
  void ShowEvents();

  const TsFileAnalysis& analysis_;
  Ui& ui_;
  std::string& folder_;
  QTreeWidget* siTree_ = nullptr;
  QListWidget* serviceList_ = nullptr;
  QPlainTextEdit* eventText_ = nullptr;
  QTableWidget* pidTable_ = nullptr;
};

// "Analizza File TS...": asks for a recording (starting in `recordingFolder`), analyses it with
// progress and Stop, and shows the result, or why there is none. Guides are written from
// `guideFolder`. Both folders are remembered.
void AnalyseTsFileCommand(Ui& ui, std::string& recordingFolder, std::string& guideFolder,
                          QWidget* parent);

}  // namespace pelorus
