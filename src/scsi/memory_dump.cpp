#include "scsi/memory_dump.h"

#include <algorithm>
#include <span>
#include <vector>

#include "common/file_io.h"
#include "common/strfmt.h"
#include "receiver/scsi_opcodes.h"
#include "scsi/dump_file.h"
#include "scsi/messages.h"
#include "scsi/number_text.h"
#include "scsi/receiver_commands.h"
#include "scsi/scsi_guard.h"
#include "scsi/scsi_transport.h"
#include "scsi/transfer_pieces.h"

namespace pelorus {
namespace {

MemoryRange RangeOf(const Options& options) {
  return {static_cast<int32_t>(options.readStartAddress), static_cast<int32_t>(options.readLength)};
}

struct DumpResult {
  int failedPieces = 0;
  bool writeFailed = false;
};

DumpResult DumpRange(ScsiTransport& transport, Ui& ui, const MemoryRange& range, DumpFile& file,
                     std::vector<MemoryGap>* gaps) {
  BusyScope busy(ui);
  DumpResult result;
  std::vector<uint8_t> buffer(kScsiMaxPiece);
  ui.SetStatusText(msg::scsi::kReadingMemory);
  ui.SetProgress(0, true);
  const auto length = static_cast<uint64_t>(range.length);
  uint64_t done = 0;
  for (const TransferPiece& piece : SplitIntoPieces(static_cast<uint32_t>(range.address), length)) {
    done += piece.length;
    ui.SetProgress(ProgressPercent(done, length), true);
    const std::span<uint8_t> data = std::span(buffer).first(piece.length);
    bool read = ExecScsiCommandFully(transport, ReadMemoryBlock(piece.address, piece.length),
                                     ScsiDirection::kIn, data);
    if (!read) {
      ++result.failedPieces;
      if (gaps != nullptr) {
        gaps->push_back({done - piece.length, piece.length});
        std::fill(data.begin(), data.end(), uint8_t{0});
      }
    }
    if ((read || gaps != nullptr) && !file.Append(data)) {
      result.writeFailed = true;
      break;
    }
    ui.KeepAlive();
  }
  if (!result.writeFailed && !file.Commit()) result.writeFailed = true;
  ui.SetStatusText("");
  ui.SetProgress(0, false);
  return result;
}

}  // namespace

bool ReadMemoryToFile(EditorState& state, Ui& ui, const std::string& path,
                      std::vector<MemoryGap>* gaps) {
  if (!RequireScsi(state, ui)) return false;
  const MemoryRange range = RangeOf(state.options);
  if (!range.Valid()) return false;
  DumpFile file;
  if (!file.Create(path)) {
    ui.ShowDetailedMessage(msg::scsi::kUnableToOpenForOutput, file.FailureText(),
                           Icon::kInformation);
    return false;
  }
  const DumpResult result = DumpRange(*state.aspiModule, ui, range, file, gaps);
  if (result.writeFailed) {
    if (gaps != nullptr) gaps->clear();
    ui.ShowDetailedMessage(Format(msg::scsi::kUnableToWriteFile, path.c_str()), file.FailureText(),
                           Icon::kStop);
    return false;
  }
  if (result.failedPieces > 0) ui.ShowMessage(msg::scsi::kReadMemoryFailed, Icon::kWarning);
  return result.failedPieces == 0;
}

bool SaveReceiverMemory(EditorState& state, Ui& ui, const MemoryDialog& dialog) {
  if (!RequireScsi(state, ui)) return false;
  MemoryDialogRequest request;
  request.file.title = msg::scsi::kSaveMemoryTitle;
  request.file.filterName = msg::scsi::kMemoryFilterName;
  request.file.filterPattern = msg::scsi::kMemoryFilterPattern;
  request.file.defaultExtension = msg::scsi::kMemoryExtension;
  request.file.path = msg::scsi::kMemoryInitialName;
  request.file.initialDir = state.options.memInitialDir;
  request.file.overwritePrompt = true;
  const MemoryRange shown = RangeOf(state.options);
  request.addressText = RangeFieldText(shown, shown.address);
  request.lengthText = RangeFieldText(shown, shown.length);

  const bool confirmed = dialog(request);
  const MemoryRange range = ParseRangeFields(request.addressText, request.lengthText);
  state.options.readStartAddress = static_cast<uint32_t>(range.address);
  state.options.readLength = static_cast<uint32_t>(range.length);
  if (!confirmed || !range.Valid()) return false;
  state.options.memInitialDir = FolderOf(request.file.path);
  return ReadMemoryToFile(state, ui, request.file.path);
}

}  // namespace pelorus
