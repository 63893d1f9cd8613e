#pragma once

#include <cstdio>
#include <optional>
#include <string>

#include "common/ui.h"

namespace pelorus {

// The console's side of the Ui seam: messages and status texts on stderr exactly as the main
// window shows them, questions answered by --yes / --no or on the terminal.
class CliUi : public Ui {
 public:
  explicit CliUi(std::FILE* errors = stderr, std::FILE* input = stdin);

  // Every question gets this answer (--yes or --no) instead of being asked.
  void SetFixedAnswer(std::optional<bool> yes) { fixedAnswer_ = yes; }

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
  void Beep() override {}
  void SetWindowTitle(std::string_view) override {}
  void RefillChannelList() override {}

 private:
  void EndProgressLine();

  std::FILE* errors_;
  std::FILE* input_;
  bool errorsIsTerminal_;
  bool inputIsTerminal_;
  std::optional<bool> fixedAnswer_;
  std::string lastStatus_;
  bool progressShown_ = false;
};

}  // namespace pelorus
