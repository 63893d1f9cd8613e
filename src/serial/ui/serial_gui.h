#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <atomic>
#include <memory>

#include "app/ui/gui_command.h"
#include "serial/serial_link.h"
#include "serial/ui/debug_window.h"

namespace pelorus {

// The GUI's serial link: one per main window, living as long as it, so that the port can stay
// held for the debug terminal between commands. Also the link's debug sink.
class SerialGui : public QObject, public SerialDebugSink {
  Q_OBJECT

 public:
  // The one belonging to the context's window, created on first use.
  static SerialGui& For(GuiContext& context);
  ~SerialGui() override;

  SerialLink& link() { return link_; }
  // Drains the held port to the process's terminal on every tick of 250 ms.
  void StartDebugTerminal();

  // SerialDebugSink
  void PortOpened(bool serialDebug) override;
  bool WindowShown() const override { return windowShown_.load(); }
  void Echo(std::string_view text) override;

 private:
  SerialGui(QWidget* window, Ui& ui);

  QWidget* window_;
  SerialLink link_;
  QPointer<DebugWindow> debugWindow_;
  std::atomic<bool> windowShown_{false};
  QTimer terminalTimer_;
};

}  // namespace pelorus
