// "Cattura Immagine..." of the serial and SCSI menus, and Ctrl+G: the frame grabber.

#include <QWidget>

#include "app/commands.h"
#include "app/ui/gui_command.h"
#include "grabber/frame_grab.h"
#include "grabber/messages.h"
#include "grabber/qt/qt_picture_tools.h"
#include "grabber/ui/grab_dialog.h"
#include "grabber/ui/picture_window.h"
#include "serial/ui/serial_gui.h"

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

void RunGrab(GuiContext& context, bool viaScsi) {
  WindowPictureTools tools(context.window);
  QWidget* owner = context.window;
  GrabFrame(
      context.state, Session(), SerialGui::For(context).link(), viaScsi,
      [owner](GrabDialogRequest& request, GrabOptions& options) {
        return ShowGrabDialog(owner, request, options);
      },
      tools);
}

void RunSerialGrab(GuiContext& context) { RunGrab(context, false); }
void RunScsiGrab(GuiContext& context) { RunGrab(context, true); }
void RunGrabAccelerator(GuiContext& context) { RunGrab(context, context.scsiAvailable); }

const GuiCommandRegistrar kSerialGrab(cmd::kSerialGrab, RunSerialGrab);
const GuiCommandRegistrar kScsiGrab(cmd::kScsiGrab, RunScsiGrab);
const GuiCommandRegistrar kGrab(cmd::kGrab, RunGrabAccelerator);

}  // namespace
}  // namespace pelorus
