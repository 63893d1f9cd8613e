#include "serial/select_channel.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>

#include "common/strfmt.h"
#include "scsi/receiver_commands.h"
#include "scsi/scsi_transport.h"
#include "serial/messages.h"
#include "serial/serial_port.h"

namespace pelorus {
namespace {

constexpr uint8_t kSelectChannelCode = 0x16;
constexpr int kAnswerAttempts = 5;
constexpr char kOkAnswer[] = "\rOK\r\n";

void SelectOverSerial(EditorState& state, SerialLink& link, int channel, BusyCursor& busy) {
  if (!OpenSerialPort(link, state)) return;
  if (!GetAttention(link, busy)) return;
  link.Write(SelectChannelSerialText(channel));
  for (int attempt = 0; attempt < kAnswerAttempts; ++attempt) {
    std::array<uint8_t, 5> answer{};
    const size_t received = link.Read(answer);
    if (received == answer.size() && std::memcmp(answer.data(), kOkAnswer, answer.size()) == 0) {
      break;
    }
    if (received > 0) link.Pause(std::chrono::milliseconds(100));
  }
  link.Close();
}

}  // namespace

std::vector<uint8_t> SelectChannelCommand(int channel) {
  const std::string digits = Format("%.4u", static_cast<unsigned>(channel));
  std::vector<uint8_t> data(8, 0);
  data[0] = kSelectChannelCode;
  data[1] = 0x01;
  data[2] = 0x01;
  for (size_t i = 0; i < 4 && i < digits.size(); ++i) data[3 + i] = static_cast<uint8_t>(digits[i]);
  return data;
}

std::string SelectChannelSerialText(int channel) { return Format("Z%04d", channel); }

bool SelectChannelOnReceiver(EditorState& state, SerialLink& link, std::span<const int> selection) {
  BusyCursor busy(link.ui());
  busy.Begin();
  const auto first = std::min_element(selection.begin(), selection.end());
  if (first == selection.end() || *first < 0) return false;
  const int channel = *first + 1;
  // Only four digits reach the receiver: row 12345 would select channel 2345.
  if (channel > kMaxSelectableChannel) {
    busy.End();
    link.ui().ShowMessage(Format(msg::kRowBeyondSelection, channel), Icon::kStop);
    return false;
  }
  if (state.aspiModule) {
    std::vector<uint8_t> data = SelectChannelCommand(channel);
    ExecScsiCommand(*state.aspiModule, ReceiverCommandBlock(static_cast<uint32_t>(data.size())),
                    ScsiDirection::kOut, data);
    return true;
  }
  SelectOverSerial(state, link, channel, busy);
  return true;
}

}  // namespace pelorus
