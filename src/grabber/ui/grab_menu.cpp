// "Cattura Immagine..." of the serial and SCSI menus, and Ctrl+G: the frame grabber.

#include <QPointer>
#include <QWidget>

#include "app/commands.h"
#include "app/ui/gui_command.h"
#include "grabber/frame_grab.h"
#include "grabber/messages.h"
#include "grabber/qt/qt_picture_tools.h"
#include "grabber/ui/grab_dialog.h"
#include "grabber/ui/picture_window.h"
#include "serial/ui/gui_front_end.h"
#include "serial/ui/run_dialog.h"

namespace pelorus {
namespace {

// The grab options, the last picture size and name last as long as the program runs.
GrabSession& Session() {
  static GrabSession session;
  return session;
}

class WindowPictureTools : public QtPictureTools {
 public:
  explicit WindowPictureTools(QWidget* owner) : owner_(owner) {}
  void Show(std::span<const uint8_t> bitmap, int height) override {
    PictureWindow window(owner_, GrabImage(bitmap, height).copy());
    window.exec();
  }

 private:
  QWidget* owner_;
};

// A serial grab under way: its own link, its worker and its window, which stays beside the
// main window while the menus go on working. It goes away once the picture is done.
class SerialGrabJob : public QObject {
 public:
  SerialGrabJob(const GuiContext& context, GrabPlan plan)
      : QObject(context.window),
        context_(context),
        plan_(std::move(plan)),
        link_(context.ui),
        grab_(PrepareSerialGrab(context.state, Session(), plan_)),
        frontEnd_(new GuiFrontEnd(context.ui, this)) {
    setObjectName(QStringLiteral("serialGrab"));
    dialog_ = new RunDialog(context.window, context.ui, QString::fromUtf8(msg::grab::kSerialTitle),
                            worker_, [this](RunControl& control) {
                              return ReadFrameSerialRun(link_, grab_, control, *frontEnd_);
                            });
    dialog_->setObjectName(QStringLiteral("grabProgress"));
    dialog_->setAttribute(Qt::WA_DeleteOnClose);
    dialog_->setWindowModality(Qt::NonModal);
    Ui& ui = context.ui;
    dialog_->confirmStop = [&ui] {
      return ui.Ask(msg::grab::kAbortQuestion, Buttons::kYesNo, Icon::kWarning, Answer::kNo) ==
             Answer::kYes;
    };
    dialog_->finished = [this](const RunResult& result) { Finished(result); };
  }
  ~SerialGrabJob() override {
    worker_.RequestStop();
    worker_.Join();
  }

  void Show() { dialog_->show(); }
  void Raise() {
    if (!dialog_) return;
    dialog_->raise();
    dialog_->activateWindow();
  }

 private:
  void Finished(const RunResult& result) {
    ShowRunResult(context_.ui, result);
    WindowPictureTools tools(context_.window);
    FinishSerialGrab(context_.ui, Session(), plan_, grab_, result, tools);
    deleteLater();
  }

  GuiContext context_;
  GrabPlan plan_;
  SerialLink link_;
  SerialGrab grab_;
  GuiFrontEnd* frontEnd_;
  Worker worker_;
  QPointer<RunDialog> dialog_;
};

void RunGrab(GuiContext& context, bool viaScsi) {
  // One grab at a time: the one under way is brought forward.
  if (context.window != nullptr) {
    if (auto* running = context.window->findChild<SerialGrabJob*>(QStringLiteral("serialGrab"),
                                                                  Qt::FindDirectChildrenOnly)) {
      running->Raise();
      return;
    }
  }
  QWidget* owner = context.window;
  const std::optional<GrabPlan> plan =
      PlanGrab(context.state, Session(), context.ui, viaScsi,
               [owner](GrabDialogRequest& request, GrabOptions& options) {
                 return ShowGrabDialog(owner, request, options);
               });
  if (!plan) return;
  if (viaScsi) {
    WindowPictureTools tools(context.window);
    GrabOverScsi(context.state, Session(), context.ui, *plan, tools);
    return;
  }
  (new SerialGrabJob(context, *plan))->Show();
}

void RunSerialGrab(GuiContext& context) { RunGrab(context, false); }
void RunScsiGrab(GuiContext& context) { RunGrab(context, true); }
void RunGrabAccelerator(GuiContext& context) { RunGrab(context, context.scsiAvailable); }

const GuiCommandRegistrar kSerialGrab(cmd::kSerialGrab, RunSerialGrab);
const GuiCommandRegistrar kScsiGrab(cmd::kScsiGrab, RunScsiGrab);
const GuiCommandRegistrar kGrab(cmd::kGrab, RunGrabAccelerator);

}  // namespace
}  // namespace pelorus
