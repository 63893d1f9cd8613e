#pragma once

#include <string>

#include "common/editor_state.h"
#include "common/ui.h"
#include "serial/serial_link.h"

namespace pelorus {

// The device the serial features use: the command line's or environment's override, else the
// device typed in the preferences, else COM1..COM8 as /dev/ttyS0../dev/ttyS7.
std::string SerialPortPath(const EditorState& state);
// The line speed of the `Speed` option: 1 = 9600, 2 = 19200, 3 = 38400 bit/s.
int SerialBaud(const Options& options);

// OpenSerialPort with the configured port and speed.
bool OpenSerialPort(SerialLink& link, const EditorState& state);

// The busy cursor of one serial command. Whichever path ends it first restores the normal
// cursor; ending it again does nothing.
class BusyCursor {
 public:
  explicit BusyCursor(Ui& ui) : ui_(ui) {}
  ~BusyCursor() { End(); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
  void Begin() {
    if (!on_) ui_.BeginBusy();
    on_ = true;
  }
  void End() {
    if (on_) ui_.EndBusy();
    on_ = false;
  }

 private:
  Ui& ui_;
  bool on_ = false;
};

// The attention handshake every command needs: "CBEG" until the receiver answers "\rOK\r\n",
// five attempts. On failure the port is closed, the cursor restored and the user told.
bool GetAttention(SerialLink& link, BusyCursor& busy);

}  // namespace pelorus
