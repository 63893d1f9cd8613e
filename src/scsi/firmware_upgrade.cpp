#include "scsi/firmware_upgrade.h"

#include <span>
#include <string>

#include "common/file_dialogs.h"
#include "common/file_io.h"
#include "common/strfmt.h"
#include "receiver/receiver_memory.h"
#include "scsi/messages.h"
#include "scsi/receiver_commands.h"
#include "scsi/scsi_guard.h"
#include "scsi/scsi_transport.h"
#include "scsi/transfer_pieces.h"

namespace pelorus {
namespace {

// Write addresses have 24 bits; an image reaching past them would wrap onto address 0.
constexpr uint64_t kAddressSpace = 0x1000000;

bool ChooseFirmwareFile(EditorState& state, Ui& ui, std::string& path) {
  if (!state.commandLineFile.empty()) {
    path = state.commandLineFile;
    state.commandLineFile.clear();
    return true;
  }
  FileRequest request;
  request.title = msg::scsi::kSelectFirmwareTitle;
  request.filterName = msg::scsi::kFirmwareFilterName;
  request.filterPattern = msg::scsi::kFirmwareFilterPattern;
  request.defaultExtension = msg::scsi::kFirmwareExtension;
  if (!AskOpenFile(ui, request, state.options.binInitialDir)) return false;
  path = request.path;
  return true;
}

// Loads and checks the image; shows why when it cannot be sent.
bool LoadImage(Ui& ui, const std::string& path, std::vector<uint8_t>& image) {
  FileContents file = ReadWholeFile(path);
  if (!file.opened) {
    ui.ShowMessage(Format(msg::scsi::kUnableToOpenFirmware, path.c_str()), Icon::kInformation);
    return false;
  }
  if (file.readFailed) {
    ui.ShowMessage(Format(msg::scsi::kUnableToReadFirmware, path.c_str()), Icon::kStop);
    return false;
  }
  // Sending nothing and then starting the firmware would report an upgrade that never was.
  if (file.bytes.empty()) {
    ui.ShowMessage(Format(msg::scsi::kFirmwareEmpty, path.c_str()), Icon::kStop);
    return false;
  }
  image = std::move(file.bytes);
  PadFirmwareImage(image);
  if (FirmwareStartAddress(image.size()) + uint64_t{image.size()} > kAddressSpace) {
    ui.ShowMessage(Format(msg::scsi::kFirmwareTooLarge, path.c_str()), Icon::kStop);
    return false;
  }
  return true;
}

// Sends every piece, moving the progress bar before each. False at the first failed piece.
bool SendImage(ScsiTransport& transport, Ui& ui, std::vector<uint8_t>& image, uint32_t start) {
  uint64_t sent = 0;
  for (const TransferPiece& piece : SplitIntoPieces(start, image.size())) {
    sent += piece.length;
    ui.SetProgress(ProgressPercent(sent, image.size()), true);
    const std::span<uint8_t> data = std::span(image).subspan(piece.offset, piece.length);
    if (!ExecScsiCommandFully(transport, WriteMemoryBlock(piece.address, piece.length),
                              ScsiDirection::kOut, data)) {
      return false;
    }
    ui.KeepAlive();
  }
  return true;
}

}  // namespace

void PadFirmwareImage(std::vector<uint8_t>& image) {
  if (image.size() % 2 != 0) image.push_back(0);
}

uint32_t FirmwareStartAddress(size_t paddedSize) {
  return paddedSize == kBootloaderImageSize ? kBootloaderAddress : kFirmwareAddress;
}

bool UpgradeFirmwareScsi(EditorState& state, Ui& ui) {
  if (!RequireScsi(state, ui)) return false;
  std::string path;
  if (!ChooseFirmwareFile(state, ui, path)) return false;

  bool sent = false;
  {
    BusyScope busy(ui);
    std::vector<uint8_t> image;
    if (!LoadImage(ui, path, image)) return false;
    const uint32_t start = FirmwareStartAddress(image.size());
    if (start == kBootloaderAddress && ui.Ask(msg::scsi::kBootloaderWarning, Buttons::kOkCancel,
                                              Icon::kWarning, Answer::kCancel) != Answer::kOk) {
      return false;
    }
    ui.SetStatusText(msg::scsi::kSendingFirmware);
    ui.SetProgress(0, true);
    sent = SendImage(*state.aspiModule, ui, image, start);
    if (sent) {
      // The receiver restarts into the new image; it may not answer this one.
      ExecScsiCommand(*state.aspiModule, StartFirmwareBlock(), ScsiDirection::kNone, {});
    }
    ui.SetProgress(0, false);
    if (!sent) ui.ShowMessage(msg::scsi::kUpgradeFirmwareFailed, Icon::kStop);
  }
  if (sent) ui.ShowMessage(msg::scsi::kFirmwareUpgraded, Icon::kInformation);
  return sent;
}

}  // namespace pelorus
