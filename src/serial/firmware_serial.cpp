#include "serial/firmware_serial.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "common/file_io.h"
#include "common/strfmt.h"
#include "serial/messages.h"
#include "serial/serial_checksum.h"
#include "serial/serial_port.h"
#include "serial/serial_timing.h"
#include "serial/subroutine_upload.h"

#if __has_include("pelorus_lzw.h")
#include "pelorus_lzw.h"
#define PELORUS_SERIAL_FIRMWARE 1
#endif

namespace pelorus {

#ifndef PELORUS_SERIAL_FIRMWARE
bool SerialFirmwareAvailable() { return false; }
bool FirmwareUpgradeSerial(EditorState&, SerialLink&, const FirmwareUpgradeFiles&) { return false; }
#else
bool SerialFirmwareAvailable() { return true; }

namespace {

constexpr int32_t kStepSize = 65536;
constexpr size_t kSendBlock = 1024;
constexpr uint64_t kBootloaderSize = 131072;
constexpr uint32_t kStepMarker = 0x00010001;
constexpr int kUpgradeTimeoutTicks = 80;

// The compressed step file goes away on every path out of the upgrade.
class RemoveOnExit {
 public:
  explicit RemoveOnExit(std::string path) : path_(std::move(path)) {}
  ~RemoveOnExit() {
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
  }
  RemoveOnExit(const RemoveOnExit&) = delete;
  RemoveOnExit& operator=(const RemoveOnExit&) = delete;

 private:
  std::string path_;
};

std::string ChooseFirmwareFile(EditorState& state, Ui& ui) {
  if (!state.commandLineFile.empty()) {
    std::string file = std::move(state.commandLineFile);
    state.commandLineFile.clear();
    return file;
  }
  FileRequest request;
  request.title = msg::kSelectFirmwareTitle;
  request.filterName = msg::kFirmwareFilterName;
  request.filterPattern = msg::kFirmwareFilterPattern;
  request.defaultExtension = msg::kFirmwareExtension;
  request.initialDir = state.options.binInitialDir;
  request.path = msg::kFirmwareInitialName;
  if (!ui.ShowOpenDialog(request)) return {};
  state.options.binInitialDir = FolderOf(request.path);
  return request.path;
}

// The status letter as the messages show it: a time-out or an unprintable byte is a space.
char ShownLetter(size_t received, uint8_t letter) {
  return received == 1 && letter >= 32 && letter <= 126 ? static_cast<char>(letter) : ' ';
}

struct StepContext {
  SerialLink& link;
  BusyCursor& busy;
  int steps;
};

// Ends the upgrade after a wrong status letter.
bool FailWithLetter(StepContext& context, const char* format, char letter) {
  context.busy.End();
  context.link.ui().ShowMessage(FormatRuntime(format, letter), Icon::kStop);
  context.link.Close();
  context.link.ui().SetStatusText("");
  return false;
}

// Sends one compressed step and follows the receiver through verification, decompression and
// programming. False when the upgrade has ended with a message.
bool SendStep(StepContext& context, const std::string& compressedFile, int32_t compressedSize,
              int step) {
  SerialLink& link = context.link;
  Ui& ui = link.ui();
  ui.SetProgress(0, true);
  FileContents compressed = ReadWholeFile(compressedFile);
  if (compressed.readFailed || compressed.bytes.size() < static_cast<size_t>(compressedSize)) {
    context.busy.End();
    ui.ShowMessage(msg::kCompressedReadShort, Icon::kStop);
    link.Close();
    return false;
  }
  std::vector<uint8_t> block(compressed.bytes.begin(), compressed.bytes.begin() + compressedSize);
  const uint16_t crc = Crc16Xmodem(block);
  block.push_back(static_cast<uint8_t>(crc >> 8));
  block.push_back(static_cast<uint8_t>(crc));

  link.WriteLong(static_cast<uint32_t>(compressedSize));
  link.WriteLong(kStepMarker);
  ui.SetProgress(0, true);
  for (size_t offset = 0; offset < block.size(); offset += kSendBlock) {
    const size_t length = std::min(kSendBlock, block.size() - offset);
    ui.SetStatusText(Format(msg::kFirmwareRemaining,
                            static_cast<int>(block.size() - offset - length), step, context.steps));
    ui.SetProgress(static_cast<int>((offset + length) * 100 / block.size()), true);
    link.Write(std::span(block).subspan(offset, length));
  }

  ui.SetProgress(0, false);
  uint8_t letter = 0;
  ui.SetStatusText(Format(msg::kVerifyingStep, step, context.steps));
  size_t received = link.Read(std::span(&letter, 1));
  if (received != 1 || letter != 'B') {
    if (received == 1 && letter == 'C') {
      context.busy.End();
      ui.ShowMessage(msg::kIncorrectCrc, Icon::kStop);
      link.Close();
      ui.SetStatusText("");
      return false;
    }
    return FailWithLetter(context, msg::kUnknownAfterTransfer, ShownLetter(received, letter));
  }
  ui.SetStatusText(Format(msg::kDecompressingStep, step, context.steps));
  received = link.Read(std::span(&letter, 1));
  if (received != 1 || letter != 'D') {
    return FailWithLetter(context, msg::kUnknownAfterDecompression, ShownLetter(received, letter));
  }
  ui.SetStatusText(Format(msg::kProgrammingStep, step, context.steps));
  received = link.Read(std::span(&letter, 1));
  if (received != 1 || letter != 'F') {
    return FailWithLetter(context, msg::kUnknownAfterTransfer, ShownLetter(received, letter));
  }
  return true;
}

}  // namespace

bool FirmwareUpgradeSerial(EditorState& state, SerialLink& link,
                           const FirmwareUpgradeFiles& files) {
  Ui& ui = link.ui();
  const std::string firmware = ChooseFirmwareFile(state, ui);
  if (firmware.empty()) return false;
  if (state.options.flashEraseAll == 1 && ui.Ask(msg::kEraseAllWarning, Buttons::kOkCancel,
                                                 Icon::kWarning, Answer::kCancel) != Answer::kOk) {
    return false;
  }
  BusyCursor busy(ui);
  busy.Begin();

  // A file that cannot be read is refused before the receiver is disturbed.
  const FileContents contents = ReadWholeFile(firmware);
  if (!contents.opened || contents.readFailed) {
    busy.End();
    ui.ShowDetailedMessage(Format(msg::kUnableToOpenFirmware, firmware.c_str()),
                           FileProblemText(firmware, contents), Icon::kStop);
    return false;
  }
  const uint64_t size = contents.bytes.size();
  const int steps = static_cast<int>((size + kStepSize - 1) / kStepSize);
  const bool bootloader = size == kBootloaderSize;
  if (bootloader && ui.Ask(msg::kBootloaderWarning, Buttons::kOkCancel, Icon::kWarning,
                           Answer::kCancel) != Answer::kOk) {
    busy.End();
    return false;
  }

  const std::string compressedFile =
      !files.compressedStep.empty()
          ? files.compressedStep
          : (std::filesystem::temp_directory_path() / Format("pelorus-%d.tmp", ::getpid()))
                .string();
  RemoveOnExit removeCompressed(compressedFile);
  const std::string flashSubroutine =
      (std::filesystem::path(files.programFolder) / msg::kFlashSubroutineName).string();
  if (!UploadSubroutine(link, state, flashSubroutine, true, busy)) {
    busy.End();
    link.Close();
    return false;
  }

  ui.SetStatusText(msg::kWaitingForMediamaster);
  link.Pause(SerialPause(1500));
  link.Drain();
  link.timeoutTicks = kUpgradeTimeoutTicks;
  link.Write(state.options.flashEraseAll == 1 ? "Y" : "N");
  link.Write(bootloader ? "Y" : "N");
  uint8_t ready = 0;
  if (link.Read(std::span(&ready, 1)) != 1 || ready != 'A') {
    busy.End();
    ui.ShowMessage(msg::kNoAnswerAfterFlashSubroutine, Icon::kStop);
    link.Close();
    return false;
  }

  StepContext context{link, busy, steps};
  int step = 1;
  int64_t offset = 0;
  ui.SetStatusText(Format(msg::kCompressingStep, step, steps));
  int32_t compressedSize = LZWencode(compressedFile.c_str(), firmware.c_str(), kStepSize, 0);
  while (compressedSize > 0) {
    if (!SendStep(context, compressedFile, compressedSize, step)) return false;
    offset += kStepSize;
    ++step;
    ui.SetStatusText(Format(msg::kCompressingStep, step, steps));
    compressedSize = offset < INT32_MAX ? LZWencode(compressedFile.c_str(), firmware.c_str(),
                                                    kStepSize, static_cast<int32_t>(offset))
                                        : 0;
  }
  // The coder also answers 0 when it cannot work (no temporary file); with firmware left that
  // is a failure, not the end of the image.
  if (static_cast<uint64_t>(offset) < size) {
    busy.End();
    ui.ShowMessage(Format(msg::kUnableToCompressFirmware, step, steps), Icon::kStop);
    link.Close();
    ui.SetStatusText("");
    return false;
  }
  link.WriteLong(0);
  ui.SetStatusText("");
  busy.End();
  ui.ShowMessage(msg::kFirmwareUpgradeDone, Icon::kInformation);
  link.Close();
  return true;
}
#endif

}  // namespace pelorus
