#pragma once

#include "common/ui.h"

namespace pelorus::testing {

// A Ui that shows nothing and takes every question's default answer: for benchmarks, where
// recording the calls would be part of what is measured.
class QuietUi : public Ui {
 public:
  void ShowMessage(std::string_view, Icon) override {}
  Answer Ask(std::string_view, Buttons, Icon, Answer answer) override { return answer; }
  bool ShowOpenDialog(FileRequest&) override { return false; }
  bool ShowSaveDialog(FileRequest&) override { return false; }
  void SetStatusText(std::string_view) override {}
  void SetProgress(int, bool) override {}
  void BeginBusy() override {}
  void EndBusy() override {}
  void KeepAlive() override {}
  void Beep() override {}
  void SetWindowTitle(std::string_view) override {}
  void RefillChannelList() override {}
};

}  // namespace pelorus::testing
