#pragma once

#include <deque>
#include <string>
#include <vector>

#include "common/ui.h"

namespace pelorus::testing {

// A scripted Ui: answers questions and file dialogs from queues the test fills, and records
// every call as one line of text, so a test can assert texts, icons and their order.
class FakeUi : public Ui {
 public:
  std::vector<std::string> calls;
  std::deque<Answer> answers;             // consumed by Ask, in order
  std::deque<std::string> openPaths;      // consumed by ShowOpenDialog; empty: cancel
  std::deque<std::string> savePaths;      // consumed by ShowSaveDialog; empty: cancel
  std::vector<FileRequest> fileRequests;  // every request a dialog was shown
  std::vector<std::string> details;       // the detail of each detailed message, in order
  int keepAliveCount = 0;
  int busyDepth = 0;

  void ShowMessage(std::string_view text, Icon icon) override {
    calls.push_back("message " + IconName(icon) + ": " + std::string(text));
  }
  // Recorded as the message alone, so that the described text is asserted the same way; the
  // detail goes to `details`.
  void ShowDetailedMessage(std::string_view text, std::string_view detail, Icon icon) override {
    ShowMessage(text, icon);
    details.emplace_back(detail);
  }
  Answer Ask(std::string_view text, Buttons buttons, Icon icon, Answer) override {
    calls.push_back("ask " + ButtonsName(buttons) + " " + IconName(icon) + ": " +
                    std::string(text));
    if (answers.empty()) return buttons == Buttons::kYesNo ? Answer::kNo : Answer::kCancel;
    const Answer answer = answers.front();
    answers.pop_front();
    return answer;
  }
  bool ShowOpenDialog(FileRequest& request) override { return Dialog("open", request, openPaths); }
  bool ShowSaveDialog(FileRequest& request) override { return Dialog("save", request, savePaths); }
  void SetStatusText(std::string_view text) override {
    calls.push_back("status: " + std::string(text));
  }
  void SetProgress(int percent, bool visible) override {
    calls.push_back("progress " + std::to_string(percent) + (visible ? "" : " hidden"));
  }
  void BeginBusy() override {
    ++busyDepth;
    calls.push_back("busy");
  }
  void EndBusy() override {
    --busyDepth;
    calls.push_back("idle");
  }
  void KeepAlive() override { ++keepAliveCount; }
  void Beep() override { calls.push_back("beep"); }
  void SetWindowTitle(std::string_view title) override {
    calls.push_back("title: " + std::string(title));
  }
  void RefillChannelList() override { calls.push_back("refill"); }

  static std::string IconName(Icon icon) {
    switch (icon) {
      case Icon::kStop:
        return "stop";
      case Icon::kWarning:
        return "warning";
      case Icon::kInformation:
        return "information";
      case Icon::kQuestion:
        return "question";
      default:
        return "none";
    }
  }
  static std::string ButtonsName(Buttons buttons) {
    switch (buttons) {
      case Buttons::kOk:
        return "ok";
      case Buttons::kOkCancel:
        return "ok/cancel";
      case Buttons::kYesNo:
        return "yes/no";
      default:
        return "yes/no/cancel";
    }
  }

 private:
  bool Dialog(const char* kind, FileRequest& request, std::deque<std::string>& paths) {
    fileRequests.push_back(request);
    calls.push_back(std::string(kind) + " dialog: " + request.title);
    if (paths.empty()) return false;
    request.path = paths.front();
    paths.pop_front();
    return true;
  }
};

// The recorded calls that start with `prefix`, in order.
inline std::vector<std::string> Matching(const std::vector<std::string>& calls,
                                         const std::string& prefix) {
  std::vector<std::string> found;
  for (const std::string& call : calls) {
    if (call.starts_with(prefix)) found.push_back(call);
  }
  return found;
}

}  // namespace pelorus::testing
