#include "serial/ui/serial_gui.h"

#include <cstdio>

namespace pelorus {

SerialGui& SerialGui::For(GuiContext& context) {
  auto* existing = context.window->findChild<SerialGui*>(QString(), Qt::FindDirectChildrenOnly);
  return existing ? *existing : *new SerialGui(context.window, context.ui);
}

SerialGui::SerialGui(QWidget* window, Ui& ui) : QObject(window), window_(window), link_(ui) {
  link_.SetDebugSink(this);
  terminalTimer_.setInterval(250);
  connect(&terminalTimer_, &QTimer::timeout, this, [this] {
    for (const uint8_t byte : link_.TakeWaiting()) std::fputc(byte, stdout);
    std::fflush(stdout);
  });
}

SerialGui::~SerialGui() {
  link_.Close();
  link_.SetDebugSink(nullptr);
}

void SerialGui::StartDebugTerminal() {
  // The terminal stays until the program exits; bytes flow while the port is held open.
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  terminalTimer_.start();
}

void SerialGui::PortOpened(bool serialDebug) {
  if (debugWindow_) debugWindow_->close();
  windowShown_ = false;
  if (!serialDebug) return;
  debugWindow_ = new DebugWindow(window_);
  connect(debugWindow_, &QObject::destroyed, this, [this] { windowShown_ = false; });
  debugWindow_->show();
  windowShown_ = true;
}

void SerialGui::Echo(std::string_view text) {
  // Called on the reader thread: the text is only queued to this object on the GUI thread.
  QMetaObject::invokeMethod(
      this,
      [this, copy = std::string(text)] {
        if (debugWindow_) debugWindow_->Append(copy);
      },
      Qt::QueuedConnection);
}

}  // namespace pelorus
