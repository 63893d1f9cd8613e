// A receiver that answers the settings read with arbitrary bytes: the whole read runs over a
// real pseudo-terminal, handshakes, size answer, records and checksum included.
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <thread>
#include <vector>

#include "serial/serial_timing.h"
#include "serial/settings_serial.h"
#include "support/fake_ui.h"
#include "unit/serial/pty_pair.h"

namespace {

// Sends the stream once the editor has opened the port and begun its first handshake.
void AnswerWith(pelorus::testing::PtyPair& pty, const std::vector<uint8_t>& stream) {
  const auto sent = pty.Received(std::chrono::milliseconds(50));
  (void)sent;
  pty.Send(stream);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static pelorus::testing::PtyPair pty;
  pelorus::SetSerialTickForTesting(std::chrono::milliseconds(1));
  pelorus::testing::FakeUi ui;
  pelorus::SerialLink link(ui);
  pelorus::EditorState state;
  state.links.serialPort = pty.slave;
  std::thread receiver(AnswerWith, std::ref(pty), std::vector<uint8_t>(data, data + size));
  const bool read = pelorus::ReadSettingsSerial(state, link);
  receiver.join();
  pty.Received(std::chrono::milliseconds(1));
  if (read != state.settingsImage.has_value()) __builtin_trap();
  if (state.settingsImage) {
    for (const pelorus::ChannelRecord& record : *state.settingsImage) {
      if (!record.HasTag() || record.polarity > 1 || record.videoPid > 0x1FFF) __builtin_trap();
    }
  }
  return 0;
}
