#include "serial/serial_port.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "common/strfmt.h"
#include "serial/messages.h"
#include "serial/serial_timing.h"

namespace pelorus {

std::string SerialPortPath(const EditorState& state) {
  if (!state.links.serialPort.empty()) return state.links.serialPort;
  if (!state.options.serialDevice.empty()) return state.options.serialDevice;
  const uint32_t port = state.options.port >= 1 && state.options.port <= 8 ? state.options.port : 1;
  return Format("/dev/ttyS%u", port - 1);
}

int SerialBaud(const Options& options) {
  switch (options.speed) {
    case 2:
      return 19200;
    case 3:
      return 38400;
    default:
      return 9600;
  }
}

bool OpenSerialPort(SerialLink& link, const EditorState& state) {
  return link.Open(SerialPortPath(state), SerialBaud(state.options));
}

bool GetAttention(SerialLink& link, BusyCursor& busy) {
  static constexpr int kAttempts = 5;
  static constexpr std::array<uint8_t, 5> kAnswer = {'\r', 'O', 'K', '\r', '\n'};
  Ui& ui = link.ui();
  ui.SetStatusText(msg::kGettingAttention);
  link.Write("CBEG");
  for (int attempt = 1;; ++attempt) {
    std::array<uint8_t, 5> answer{};
    if (link.Read(answer) == answer.size() && answer == kAnswer) return true;
    link.Pause(SerialPause(250));
    if (attempt == kAttempts) break;
    ui.SetStatusText(msg::kGettingAttention);
    link.Write("CBEG");
  }
  link.Close();
  busy.End();
  ui.ShowMessage(msg::kNoAnswerOnSerialPort, Icon::kStop);
  return false;
}

}  // namespace pelorus
