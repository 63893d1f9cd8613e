#include "scsi/settings_transfer.h"

#include <algorithm>
#include <optional>
#include <span>
#include <vector>

#include "channels/read_status.h"
#include "channels/settings_file.h"
#include "common/program.h"
#include "common/require.h"
#include "common/strfmt.h"
#include "receiver/receiver_memory.h"
#include "scsi/messages.h"
#include "scsi/receiver_commands.h"
#include "scsi/scsi_guard.h"
#include "scsi/scsi_transport.h"
#include "scsi/transfer_pieces.h"

namespace pelorus {
namespace {

std::optional<uint32_t> GetChannelCount(ScsiTransport& transport) {
  std::vector<uint8_t> answer(4);
  if (!ExecScsiCommandFully(transport, GetChannelCountBlock(), ScsiDirection::kIn, answer)) {
    return std::nullopt;
  }
  return ParseChannelCount(answer);
}

// Runs one command per piece of `bytes` at the channel table; the number that failed.
// `failedBytes` (when given) adds up their lengths.
int TransferTable(ScsiTransport& transport, Ui& ui, std::span<uint8_t> bytes, bool write,
                  uint64_t* failedBytes = nullptr) {
  int failed = 0;
  for (const TransferPiece& piece : SplitIntoPieces(kChannelTableAddress, bytes.size())) {
    const std::span<uint8_t> place = bytes.subspan(piece.offset, piece.length);
    const ScsiBlock block = write ? WriteMemoryBlock(piece.address, piece.length)
                                  : ReadMemoryBlock(piece.address, piece.length);
    if (!ExecScsiCommandFully(transport, block, write ? ScsiDirection::kOut : ScsiDirection::kIn,
                              place)) {
      // Whatever part of a failed piece came is not trusted: its records must read as empty.
      if (!write) std::fill(place.begin(), place.end(), uint8_t{0});
      ++failed;
      if (failedBytes != nullptr) *failedBytes += piece.length;
    }
    ui.KeepAlive();
  }
  return failed;
}

struct TableRead {
  bool countRead = false;
  uint32_t count = 0;
  int failedPieces = 0;
  int unread = 0;   // records of pieces that failed: never arrived, not the data's fault
  int dropped = 0;  // records that arrived without the channel tag
  bool imageRead = false;
};

// Steps under the busy cursor; the messages come after it, so the user reads them with an arrow.
TableRead ReadTable(EditorState& state, Ui& ui, ScsiTransport& transport) {
  BusyScope busy(ui);
  TableRead result;
  ui.SetStatusText(msg::scsi::kGettingChannelCount);
  const std::optional<uint32_t> count = GetChannelCount(transport);
  if (!count) return result;
  result.countRead = true;
  result.count = *count;
  // The count sizes the allocation, so one the table cannot hold is refused.
  if (*count > kMaxChannelCount) return result;

  // Zeroed, so that the records of a failed piece carry no tag and are dropped below.
  std::vector<uint8_t> table(size_t{*count} * kChannelRecordSize);
  ui.SetStatusText(msg::scsi::kGettingChannels);
  uint64_t failedBytes = 0;
  result.failedPieces = TransferTable(transport, ui, table, false, &failedBytes);
  state.settingsImage = DecodeSettingsBytes(table);
  result.imageRead = true;
  // Pieces hold whole records, so the failed bytes are whole records.
  result.unread = static_cast<int>(failedBytes / kChannelRecordSize);
  result.dropped = static_cast<int>(*count) - result.unread - state.ChannelCount();
  ui.RefillChannelList();
  return result;
}

}  // namespace

bool ReadSettingsScsi(EditorState& state, Ui& ui) {
  if (!RequireScsi(state, ui)) return false;
  ReadStatusLine status(state, ui);
  if (state.settingsImage) {
    if (ui.Ask(msg::scsi::kSettingsAlreadyLoaded, Buttons::kYesNo, Icon::kQuestion, Answer::kNo) !=
        Answer::kYes) {
      return false;
    }
    state.settingsImage.reset();
    ui.RefillChannelList();
    ui.SetStatusText("");
  }
  // The list now comes from the receiver, not from a file: the title must not name one.
  state.currentFileName.clear();
  ui.SetWindowTitle(kProgramTitle);

  const TableRead read = ReadTable(state, ui, *state.aspiModule);
  if (read.imageRead) status.ListRead();
  status.Finish();
  if (!read.countRead) {
    ui.ShowMessage(msg::scsi::kUnableToGetChannelCount, Icon::kStop);
    return false;
  }
  if (read.count > kMaxChannelCount) {
    ui.ShowMessage(Format(msg::scsi::kTooManyChannels, read.count, kMaxChannelCount), Icon::kStop);
    return false;
  }
  if (read.failedPieces > 0) {
    ui.ShowDetailedMessage(msg::scsi::kReadChannelsFailed,
                           Format(msg::scsi::kRecordsUnread, read.unread), Icon::kWarning);
  }
  if (read.dropped > 0) {
    ui.ShowMessage(Format(msg::scsi::kRecordsDropped, read.dropped), Icon::kInformation);
  }
  return read.failedPieces == 0;
}

bool WriteSettingsScsi(EditorState& state, Ui& ui) {
  if (!RequireSettings(state, ui)) return false;
  if (!RequireScsi(state, ui)) return false;
  // Past this size the table's last pieces would be addressed beyond it and, with 24-bit
  // addresses, wrap round onto the bootloader.
  if (static_cast<uint32_t>(state.ChannelCount()) > kMaxChannelCount) {
    ui.ShowMessage(
        Format(msg::scsi::kTooManyChannelsToWrite, state.ChannelCount(), kMaxChannelCount),
        Icon::kStop);
    return false;
  }
  int failed = 0;
  {
    BusyScope busy(ui);
    // The image itself stays in host order; the receiver gets a converted copy.
    std::vector<uint8_t> table = EncodeSettingsBytes(*state.settingsImage);
    ui.SetStatusText(msg::scsi::kSendingChannels);
    failed = TransferTable(*state.aspiModule, ui, table, true);
    ui.SetStatusText("");
  }
  // A partly written receiver does not hold the edits, so they still count as unsaved.
  if (failed == 0) state.settingsModified = false;
  if (failed > 0) ui.ShowMessage(msg::scsi::kWriteChannelsFailed, Icon::kWarning);
  return failed == 0;
}

}  // namespace pelorus
