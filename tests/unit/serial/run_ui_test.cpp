// The Ui a body on a worker talks through: progress to the worker, the rest to the front end.
#include "serial/run_ui.h"

#include <gtest/gtest.h>

#include <mutex>
#include <vector>

#include "support/fake_ui.h"

namespace pelorus {
namespace {

// A front end whose thread is busy ending the run: it never gets to the call.
class BusyFrontEnd : public FrontEnd {
 public:
  bool Call(const std::function<void(Ui&)>&, const RunControl&) override { return false; }
};

TEST(RunUi, StatusAndProgressGoToTheWorkerTheRestToTheFrontEnd) {
  testing::FakeUi ui;
  ui.answers.push_back(Answer::kYes);
  DirectFrontEnd frontEnd(ui);
  std::vector<std::pair<int, std::string>> progress;
  Worker worker;
  Worker::Callbacks callbacks;
  callbacks.progress = [&progress](int percent, const std::string& text) {
    progress.emplace_back(percent, text);
  };
  Answer answer = Answer::kNo;
  worker.Start(
      [&](RunControl& control) {
        RunUi run(control, frontEnd);
        run.SetStatusText("Scanning horizontal plane...");
        run.SetProgress(40, true);
        run.SetProgress(0, false);
        run.BeginBusy();
        run.KeepAlive();
        run.ShowDetailedMessage("Unable to open file for output", "/x: No space", Icon::kStop);
        answer = run.Ask("Abort frame grab?", Buttons::kYesNo, Icon::kWarning, Answer::kNo);
        return RunResult::Done();
      },
      std::move(callbacks));
  worker.Join();
  EXPECT_EQ(progress,
            (std::vector<std::pair<int, std::string>>{{-1, "Scanning horizontal plane..."},
                                                      {40, "Scanning horizontal plane..."},
                                                      {-1, "Scanning horizontal plane..."}}));
  EXPECT_EQ(answer, Answer::kYes);
  EXPECT_EQ(ui.calls, (std::vector<std::string>{"message stop: Unable to open file for output",
                                                "ask yes/no warning: Abort frame grab?"}));
  EXPECT_EQ(ui.details, std::vector<std::string>{"/x: No space"});
}

TEST(RunUi, AQuestionTheFrontEndCouldNotAskGetsItsDefault) {
  BusyFrontEnd frontEnd;
  Worker worker;
  Answer answer = Answer::kCancel;
  bool chosen = true;
  FileRequest request;
  request.path = "kept.scn";
  worker.Start([&](RunControl& control) {
    RunUi run(control, frontEnd);
    answer = run.Ask("Replace it?", Buttons::kYesNo, Icon::kQuestion, Answer::kNo);
    chosen = run.ShowSaveDialog(request);
    return RunResult::Done();
  });
  worker.Join();
  EXPECT_EQ(answer, Answer::kNo);
  EXPECT_FALSE(chosen);
  EXPECT_EQ(request.path, "kept.scn");
}

}  // namespace
}  // namespace pelorus
