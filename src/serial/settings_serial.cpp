#include "serial/settings_serial.h"

#include <array>

#include "channels/messages.h"
#include "channels/read_status.h"
#include "channels/settings_file.h"
#include "common/program.h"
#include "common/require.h"
#include "common/strfmt.h"
#include "receiver/receiver_memory.h"
#include "serial/messages.h"
#include "serial/serial_checksum.h"
#include "serial/serial_port.h"
#include "serial/serial_timing.h"
#include "serial/size_answer.h"

namespace pelorus {
namespace {

constexpr int kSizeAttempts = 5;
constexpr int kProgressEvery = 16;

// Pacing belongs to one command; whatever way it ends, the next one starts at full speed.
class SlowSendScope {
 public:
  explicit SlowSendScope(SerialLink& link) : link_(link) { link_.slowSend = true; }
  ~SlowSendScope() { link_.slowSend = false; }
  SlowSendScope(const SlowSendScope&) = delete;
  SlowSendScope& operator=(const SlowSendScope&) = delete;

 private:
  SerialLink& link_;
};

int Percent(int index, int count) {
  return static_cast<int>(static_cast<double>(index + 1) / count * 100.0);
}

// Asks for the block size until a 10-byte answer comes. No value: the user has been told.
std::optional<uint64_t> AskSettingsSize(SerialLink& link, BusyCursor& busy) {
  Ui& ui = link.ui();
  for (int attempt = 1;; ++attempt) {
    ui.SetStatusText(msg::kSendingSizeCommand);
    link.Write("A");
    std::array<uint8_t, 10> answer{};
    if (link.Read(answer) == answer.size()) return ParseSizeAnswer(answer);
    link.Pause(SerialPause(250));
    if (attempt == kSizeAttempts) {
      link.Close();
      busy.End();
      ui.ShowMessage(msg::kNoAnswerToSizeCommand, Icon::kStop);
      return std::nullopt;
    }
    if (!GetAttention(link, busy)) return std::nullopt;
  }
}

}  // namespace

std::vector<ChannelRecord> RecordsFromReceiverBlock(std::span<const uint8_t> block, int& dropped) {
  std::vector<ChannelRecord> records = DecodeSettingsBytes(block);
  dropped = static_cast<int>(block.size() / kChannelRecordSize - records.size());
  return records;
}

std::string SettingsTooLargeText(uint64_t size) {
  return Format(msg::kSettingsTooLarge, static_cast<unsigned long long>(size),
                static_cast<unsigned long long>(kMaxSettingsBytes));
}

bool ReadSettingsSerial(EditorState& state, SerialLink& link, bool* checksumOk) {
  Ui& ui = link.ui();
  if (checksumOk != nullptr) *checksumOk = false;
  ReadStatusLine status(state, ui);
  if (state.settingsImage) {
    if (ui.Ask(msg::kSettingsAlreadyLoaded, Buttons::kYesNo, Icon::kQuestion, Answer::kNo) !=
        Answer::kYes) {
      link.Close();
      return false;
    }
    state.settingsImage.reset();
    state.settingsModified = false;
    ui.RefillChannelList();
    ui.SetStatusText("");
  }
  ui.SetWindowTitle(kProgramTitle);
  state.currentFileName.clear();

  if (!OpenSerialPort(link, state)) return false;
  BusyCursor busy(ui);
  busy.Begin();
  std::optional<SlowSendScope> pacing(link);
  if (!GetAttention(link, busy)) return false;

  const std::optional<uint64_t> size = AskSettingsSize(link, busy);
  if (!size) return false;
  if (*size > kMaxSettingsBytes) {
    link.Close();
    busy.End();
    ui.ShowMessage(SettingsTooLargeText(*size), Icon::kStop);
    return false;
  }
  const int count = static_cast<int>(*size / kChannelRecordSize);

  if (!GetAttention(link, busy)) return false;
  link.Write("B");
  std::vector<uint8_t> block(static_cast<size_t>(count) * kChannelRecordSize);
  ui.SetProgress(0, true);
  pacing.reset();

  for (int i = 0; i < count; ++i) {
    if (i % kProgressEvery == 0) {
      ui.SetStatusText(Format(msg::kGettingChannel, i + 1, count));
      ui.SetProgress(Percent(i, count), true);
    }
    const auto record = std::span(block).subspan(i * kChannelRecordSize, kChannelRecordSize);
    const size_t received = link.Read(record);
    if (received < record.size()) {
      link.Drain();
      link.Close();
      busy.End();
      ui.SetProgress(0, false);
      ui.ShowMessage(Format(msg::kNoChannelData, static_cast<int>(received)), Icon::kStop);
      return false;
    }
  }
  ui.SetProgress(0, false);
  ui.SetStatusText("");
  uint8_t checksum = 0;
  link.Read(std::span(&checksum, 1));
  const bool checksumMatches = checksum == SerialChecksum(block);
  if (!checksumMatches) ui.ShowMessage(msg::kChecksumIncorrect, Icon::kWarning);
  if (checksumOk != nullptr) *checksumOk = checksumMatches;

  int dropped = 0;
  state.settingsImage = RecordsFromReceiverBlock(block, dropped);
  status.ListRead();
  status.Finish();
  state.settingsModified = false;
  link.Close();
  ui.RefillChannelList();
  busy.End();
  // Row i must show record i, so records that are not channels cannot stay in the image.
  if (dropped > 0)
    ui.ShowMessage(Format(msg::kUntaggedRecordsDropped, dropped), Icon::kInformation);
  return true;
}

bool WriteSettingsSerial(EditorState& state, SerialLink& link) {
  Ui& ui = link.ui();
  if (!RequireSettings(state, ui)) return false;
  // The receiver's table holds no more; a larger list would be stored past it, and its size
  // answer refused on the next read.
  if (static_cast<uint32_t>(state.ChannelCount()) > kMaxChannelCount) {
    ui.ShowMessage(Format(msg::kTooManyChannelsToWrite, state.ChannelCount(), kMaxChannelCount),
                   Icon::kStop);
    return false;
  }
  if (!OpenSerialPort(link, state)) return false;
  BusyCursor busy(ui);
  busy.Begin();
  ui.SetStatusText(msg::kSendingSettingsSize);
  std::optional<SlowSendScope> pacing(link);
  if (!GetAttention(link, busy)) return false;

  // The image itself stays in host order; the block is its copy in the receiver's order.
  const std::vector<uint8_t> block = EncodeSettingsBytes(*state.settingsImage);
  const int count = state.ChannelCount();
  size_t sent = 0;
  const std::string command = Format("C%08X", static_cast<unsigned>(block.size()));
  const bool commandSent = link.Write(command) == command.size();
  link.Pause(SerialPause(50));
  ui.SetProgress(0, true);
  pacing.reset();

  for (int i = 0; commandSent && i < count; ++i) {
    if (i % kProgressEvery == 0) {
      ui.SetStatusText(Format(msg::kSendingChannel, i + 1, count));
      ui.SetProgress(Percent(i, count), true);
    }
    sent += link.Write(std::span(block).subspan(i * kChannelRecordSize, kChannelRecordSize));
  }
  ui.SetProgress(0, false);
  const uint8_t checksum = SerialChecksum(block);
  if (commandSent) sent += link.Write(std::span(&checksum, 1));
  // Bytes the driver took are not yet bytes the receiver got: a line cut after the first few
  // hundred bytes still took them all.
  const bool delivered = commandSent && sent == block.size() + 1 && link.FinishSending();

  link.Close();
  ui.SetStatusText("");
  busy.End();
  if (!delivered) {
    ui.ShowMessage(msg::kSettingsNotSent, Icon::kStop);
    return false;
  }
  state.settingsModified = false;
  return true;
}

}  // namespace pelorus
