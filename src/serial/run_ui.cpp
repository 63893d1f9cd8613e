#include "serial/run_ui.h"

#include <memory>

namespace pelorus {

void RunUi::ShowMessage(std::string_view text, Icon icon) {
  frontEnd_.Call([copy = std::string(text), icon](Ui& ui) { ui.ShowMessage(copy, icon); },
                 control_);
}

void RunUi::ShowDetailedMessage(std::string_view text, std::string_view detail, Icon icon) {
  frontEnd_.Call([copy = std::string(text), why = std::string(detail),
                  icon](Ui& ui) { ui.ShowDetailedMessage(copy, why, icon); },
                 control_);
}

Answer RunUi::Ask(std::string_view text, Buttons buttons, Icon icon, Answer defaultAnswer) {
  const auto answer = std::make_shared<Answer>(defaultAnswer);
  const bool asked =
      frontEnd_.Call([answer, copy = std::string(text), buttons, icon, defaultAnswer](
                         Ui& ui) { *answer = ui.Ask(copy, buttons, icon, defaultAnswer); },
                     control_);
  return asked ? *answer : defaultAnswer;
}

bool RunUi::FileDialog(FileRequest& request, bool save) {
  struct Exchange {
    FileRequest request;
    bool chosen = false;
  };
  const auto exchange = std::make_shared<Exchange>(Exchange{request, false});
  const bool shown = frontEnd_.Call(
      [exchange, save](Ui& ui) {
        exchange->chosen =
            save ? ui.ShowSaveDialog(exchange->request) : ui.ShowOpenDialog(exchange->request);
      },
      control_);
  if (!shown || !exchange->chosen) return false;
  request = exchange->request;
  return true;
}

bool RunUi::ShowOpenDialog(FileRequest& request) { return FileDialog(request, false); }
bool RunUi::ShowSaveDialog(FileRequest& request) { return FileDialog(request, true); }

void RunUi::SetStatusText(std::string_view text) {
  status_ = text;
  control_.Progress(percent_, status_);
}

void RunUi::SetProgress(int percent, bool visible) {
  percent_ = visible ? percent : -1;
  control_.Progress(percent_, status_);
}

void RunUi::Beep() {
  frontEnd_.Call([](Ui& ui) { ui.Beep(); }, control_);
}

void RunUi::SetWindowTitle(std::string_view title) {
  frontEnd_.Call([copy = std::string(title)](Ui& ui) { ui.SetWindowTitle(copy); }, control_);
}

void RunUi::RefillChannelList() {
  frontEnd_.Call([](Ui& ui) { ui.RefillChannelList(); }, control_);
}

}  // namespace pelorus
