#pragma once

#include <QDialog>
#include <optional>
#include <vector>

#include "common/ui.h"
#include "scsi/scsi_transport.h"
#include "si/psi_tables.h"
#include "si/si_describe.h"

class QLabel;
class QLineEdit;
class QListWidget;

namespace pelorus {

// "DVB-SI Parsing": the NIT's delivery list, the PAT's programmes and a programme's streams of
// the tuned multiplex, each read again on demand; "Sintonia Manuale" retunes and reads again.
class SiBrowserDialog : public QDialog {
  Q_OBJECT

 public:
  SiBrowserDialog(ScsiTransport& transport, Ui& ui, QWidget* parent);

  // Reads everything again: the NIT, and the PAT when the NIT could not be read.
  void ReadAll();
  bool ReadNit();
  void ReadPat();
  void ReadPmt(const PatProgram& program);

 private:
  void ShowDelivery(int row);
  void ShowStream(int row);
  void ManualTune();
  void SetStatus(const char* text);

  ScsiTransport& transport_;
  Ui& ui_;
  std::vector<DeliveryEntry> deliveries_;
  std::vector<PatProgram> programs_;
  std::vector<ProgramTexts> programTexts_;
  std::vector<StreamTexts> streams_;

  QListWidget* deliveryList_;
  QListWidget* programList_;
  QListWidget* streamList_;
  QLineEdit* networkId_;
  QLineEdit* networkName_;
  QLineEdit* frequency_;
  QLineEdit* orbit_;
  QLineEdit* polarisation_;
  QLineEdit* symbolRate_;
  QLineEdit* fec_;
  QLineEdit* transportStreamId_;
  QLineEdit* pmtPid_;
  QLineEdit* pcrPid_;
  QLineEdit* esPid_;
  QLabel* status_;
};

// "Sintonia Manuale": the tune fields. Gives the numbers on OK.
struct TuneRequest {
  int frequencyMhz = 0;
  int symbolRate = 0;
  int fecIndex = 0;
  bool vertical = false;
};
std::optional<TuneRequest> AskManualTune(QWidget* parent);

}  // namespace pelorus
