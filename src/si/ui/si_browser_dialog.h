#pragma once

#include <QDialog>
#include <atomic>
#include <functional>
#include <optional>
#include <vector>

#include "common/ui.h"
#include "common/worker.h"
#include "scsi/scsi_transport.h"
#include "si/nit.h"
#include "si/psi_tables.h"
#include "si/si_describe.h"

class QLabel;
class QLineEdit;
class QListWidget;

namespace pelorus {

// The numbers "Sintonia Manuale" sends.
struct TuneRequest {
  int frequencyMhz = 0;
  int symbolRate = 0;
  int fecIndex = 0;
  bool vertical = false;
};

// "DVB-SI Parsing": the NIT's delivery list, the PAT's programmes and a programme's streams of
// the tuned multiplex, each read again on demand; "Sintonia Manuale" retunes and reads again.
// Every read runs on a worker: the dialog stays responsive, a new request supersedes the one
// running, and each table's lines arrive on the window's thread.
class SiBrowserDialog : public QDialog {
  Q_OBJECT

 public:
  SiBrowserDialog(ScsiTransport& transport, Ui& ui, QWidget* parent);
  ~SiBrowserDialog() override;

  // Reads everything again: the NIT, then the PAT (whose programmes belong to the multiplex
  // now tuned), which empties the streams.
  void ReadAll();
  void ReadPat();
  void ReadPmt(const PatProgram& program);
  // A read is running or waiting to run.
  bool Reading() const { return busy_; }

 private:
  enum class Step { kNit, kPat, kPmt };
  struct Request {
    Step step = Step::kNit;
    PatProgram program;
    std::optional<TuneRequest> tune;  // sent before the reads
  };

  void Queue(Request request);
  void StartRun(Request request);
  RunResult Run(const Request& request);
  void RunFinished(const RunResult& result);
  // Runs `update` on the window's thread, unless the dialog is gone or closing by then.
  void Post(std::function<void()> update);
  void StopReads();
  void done(int result) override;

  void BeginNit();
  void ShowNit(const std::optional<Nit>& nit);
  void BeginPat();
  void ShowPat(const std::optional<Pat>& pat);
  void BeginPmt();
  void ShowPmt(const std::optional<Pmt>& pmt);
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
  std::optional<Request> pending_;
  bool busy_ = false;
  bool closing_ = false;
  // Cuts a running read short: a newer request or the dialog closing.
  std::atomic<bool> cancel_{false};

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
  // Last, so that its thread is joined before the rest goes.
  Worker worker_;
};

// "Sintonia Manuale": the tune fields. Gives the numbers on OK; a number the command cannot
// carry is refused with a message and the dialog stays open.
std::optional<TuneRequest> AskManualTune(QWidget* parent, Ui& ui);

}  // namespace pelorus
