#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "common/ui.h"
#include "common/worker.h"

namespace pelorus {

// How a long run on a worker's thread reaches the user. The front end runs `call` with its own
// Ui on its own thread and returns true once it ran. A front end whose thread may be busy ending
// the run gives up waiting when `control` asks the run to stop (false): `call` may then still
// run later, so it keeps what it hands back in storage of its own, never on the caller's stack,
// and the caller reads that storage only after a true.
class FrontEnd {
 public:
  virtual ~FrontEnd() = default;
  virtual bool Call(const std::function<void(Ui&)>& call, const RunControl& control) = 0;
};

// The console: its Ui belongs to the run's thread while the main thread only waits for the run.
class DirectFrontEnd : public FrontEnd {
 public:
  explicit DirectFrontEnd(Ui& ui) : ui_(ui) {}
  bool Call(const std::function<void(Ui&)>& call, const RunControl&) override {
    call(ui_);
    return true;
  }

 private:
  Ui& ui_;
};

// The Ui of a body that runs on a Worker. The status text and the progress bar go to the
// worker's progress callback (the bar as -1 while hidden); messages, questions and file dialogs
// go to the front end; the busy cursor and the keep-alive mean nothing on the worker's thread.
// A question the front end could not ask before the run was stopped gets its default answer.
class RunUi : public Ui {
 public:
  RunUi(RunControl& control, FrontEnd& frontEnd) : control_(control), frontEnd_(frontEnd) {}

  void ShowMessage(std::string_view text, Icon icon) override;
  void ShowDetailedMessage(std::string_view text, std::string_view detail, Icon icon) override;
  Answer Ask(std::string_view text, Buttons buttons, Icon icon, Answer defaultAnswer) override;
  bool ShowOpenDialog(FileRequest& request) override;
  bool ShowSaveDialog(FileRequest& request) override;
  void SetStatusText(std::string_view text) override;
  void SetProgress(int percent, bool visible) override;
  void BeginBusy() override {}
  void EndBusy() override {}
  void KeepAlive() override {}
  void Beep() override;
  void SetWindowTitle(std::string_view title) override;
  void RefillChannelList() override;

  RunControl& control() { return control_; }

 private:
  bool FileDialog(FileRequest& request, bool save);

  RunControl& control_;
  FrontEnd& frontEnd_;
  std::string status_;
  int percent_ = -1;
};

}  // namespace pelorus
