#pragma once

#include <QDialog>
#include <memory>
#include <vector>

#include "common/editor_state.h"
#include "common/ui.h"
#include "service_scan/channel_search.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTreeWidget;

namespace pelorus {

// "Ricerca Canali": where the transponders come from, the LNB, DiSEqC port and position of the
// channels, "Tutti i servizi" and the time-out; then the search with its progress, a live list
// of the services of each transponder, Stop (what was found is kept) and the summary. The
// dialog is accepted by "Aggiungi alla lista"; Found() is then what to merge.
class ChannelSearchDialog : public QDialog {
  Q_OBJECT

 public:
  ChannelSearchDialog(EditorState& state, Ui& ui, std::vector<int> selectedRows,
                      QWidget* parent = nullptr);
  ~ChannelSearchDialog() override;

  const std::vector<FoundService>& Found() const { return found_; }
  bool Running() const { return running_; }

  // The choices of the last search, kept while the program runs.
  struct Choice {
    bool network = true;
    bool table = false;
    bool locks = false;
    bool rows = false;
    QString tableName;
    QString lockFile;
    int lnbIndex = 0;
    int diseqc = 0;  // 0: as in the list, else 1-4
    QString position;
    bool all = false;
    int timeoutSeconds = kDefaultSearchTimeoutSeconds;
  };
  static Choice& LastChoice();

 public slots:
  void StartSearch();
  void StopSearch();
  void reject() override;

 private:
  void BuildSources(class QVBoxLayout* layout);
  void BuildOptions(class QVBoxLayout* layout);
  void BrowseTable();
  void BrowseLocks();
  void SaveChoice();
  bool MakeRequest(ChannelSearchRequest& request);
  void ShowReport(const TransponderReport& report);
  void ShowProgress(int percent, const QString& text);
  void SearchFinished(const RunResult& result);
  void SetInputsEnabled(bool enabled);

  EditorState& state_;
  Ui& ui_;
  std::vector<int> selectedRows_;
  std::unique_ptr<ChannelSearch> search_;
  std::vector<FoundService> found_;
  bool running_ = false;
  bool closing_ = false;  // "Annulla" came during the search
  std::string folder_;

  QCheckBox* network_;
  QCheckBox* table_;
  QComboBox* tableName_;
  QPushButton* browseTable_;
  QCheckBox* locks_;
  QLineEdit* lockFile_;
  QPushButton* browseLocks_;
  QCheckBox* rows_;
  QComboBox* lnb_;
  QComboBox* diseqc_;
  QLineEdit* position_;
  QCheckBox* all_;
  QSpinBox* timeout_;
  QProgressBar* progress_;
  QTreeWidget* services_;
  QLabel* summary_;
  QPushButton* start_;
  QPushButton* stop_;
  QPushButton* add_;
  QPushButton* cancel_;
};

}  // namespace pelorus
