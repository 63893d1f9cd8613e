#include "grabber/frame_grab.h"

#include <filesystem>
#include <memory>
#include <new>

#include "common/file_io.h"
#include "common/strfmt.h"
#include "grabber/frame_format.h"
#include "grabber/mem_file.h"
#include "grabber/messages.h"
#include "grabber/serial_frame.h"
#include "scsi/dump_file.h"
#include "scsi/memory_dump.h"
#include "scsi/stream_primitives.h"
#include "serial/serial_port.h"

namespace pelorus {
namespace {

constexpr int kProgressRows = 2;

bool AskForPicture(EditorState& state, GrabSession& session, bool viaScsi, const GrabDialog& dialog,
                   std::string& picturePath) {
  GrabDialogRequest request;
  request.file.title = viaScsi ? msg::grab::kScsiTitle : msg::grab::kSerialTitle;
  request.file.filterName = msg::grab::kJpegFilterName;
  request.file.filterPattern = msg::grab::kJpegFilterPattern;
  request.file.defaultExtension = msg::grab::kDefaultExtension;
  request.file.initialDir = state.options.jpgInitialDir;
  request.file.overwritePrompt = true;
  request.file.path = session.fileName;
  request.bitmapFilterName = msg::grab::kBitmapFilterName;
  request.bitmapFilterPattern = msg::grab::kBitmapFilterPattern;
  if (!dialog(request, session.options)) return false;
  picturePath = request.file.path;
  session.fileName = picturePath;
  state.options.jpgInitialDir = FolderOf(picturePath);
  return true;
}

// The dump's place: a file there that the grabber did not write is not replaced unasked, and
// an old dump never stands in for one that failed to arrive.
bool PrepareMemFile(Ui& ui, GrabSession& session, const std::string& memPath) {
  if (!MemFileReplaceable(memPath, session.memFilesWritten) &&
      ui.Ask(Format(msg::grab::kReplaceForeignMem, memPath.c_str()), Buttons::kYesNo,
             Icon::kQuestion, Answer::kNo) != Answer::kYes) {
    return false;
  }
  {
    DumpFile probe;
    if (!probe.Create(memPath)) {
      ui.ShowMessage(msg::grab::kUnableToOpenTemporary, Icon::kInformation);
      return false;
    }
  }
  std::error_code ignored;
  std::filesystem::remove(memPath, ignored);
  return true;
}

bool ReadFrameScsi(EditorState& state, GrabSession& session, Ui& ui, const std::string& memPath) {
  ReadMemoryToFile(state, ui, memPath);
  std::error_code error;
  // Failed pieces leave a shorter dump, which is converted; no dump at all has been reported.
  if (!std::filesystem::exists(memPath, error)) return false;
  std::optional<PictureSize> size;
  if (state.aspiModule) {
    if (const auto geometry = ReadPictureGeometry(*state.aspiModule)) {
      size = PictureSize{geometry->width, geometry->height};
    }
  }
  if (size || session.pictureSize.width <= 0 || session.pictureSize.height <= 0) {
    TakePictureSize(ui, session, size);
  }
  return true;
}

}  // namespace

bool ConvertGrabbedFrame(Ui& ui, GrabSession& session, const std::string& memPath,
                         const std::string& picturePath, PictureTools& tools) {
  std::unique_ptr<FrameConverter> converter;
  std::vector<uint8_t> bitmap;
  try {
    converter = std::make_unique<FrameConverter>();
    bitmap.assign(kBitmapBytes, 0);
  } catch (const std::bad_alloc&) {
    ui.ShowMessage(msg::grab::kNoMemory, Icon::kStop);
    return false;
  }
  BusyScope busy(ui);
  const FileContents dump = ReadWholeFile(memPath);
  if (!dump.opened) {
    ui.ShowMessage(msg::grab::kCantReopenMem, Icon::kStop);
    return false;
  }
  const std::span<const uint8_t> frame =
      std::span(dump.bytes).first(std::min(dump.bytes.size(), kFrameBytes));
  std::error_code ignored;
  if (session.options.deleteMem) {
    std::filesystem::remove(memPath, ignored);
    session.memFilesWritten.erase(memPath);
  } else {
    session.memFilesWritten.insert(memPath);
  }

  ui.SetStatusText(msg::grab::kLoadingColour);
  converter->LoadChroma(frame);
  ui.SetStatusText(msg::grab::kLoadingLuminance);
  converter->LoadLuma(frame);
  // The chroma is doubled to full size as each row is converted.
  ui.SetStatusText(msg::grab::kConverting422);
  ui.SetStatusText(msg::grab::kConvertingBitmap);
  for (int row = 0; row < kFrameHeight; row += kProgressRows) {
    ui.SetProgress(static_cast<int>(static_cast<double>(row) / kFrameHeight * 100.0), true);
    converter->ConvertRows(session.options.displayMode, row, row + kProgressRows, bitmap);
    ui.KeepAlive();
  }
  ui.SetProgress(0, false);

  // A size outside the buffers never reaches the imaging: the whole frame is used instead.
  const PictureSize size = DecidePictureSize(session.pictureSize).verdict == SizeVerdict::kUsable
                               ? session.pictureSize
                               : PictureSize{kFrameWidth, kFrameHeight};
  if (session.options.interpolate && size.width < kInterpolateBelowWidth) {
    ui.SetStatusText(msg::grab::kInterpolating);
    tools.Stretch(bitmap, size.width, size.height);
  }
  ui.SetStatusText(msg::grab::kGeneratingFile);
  const bool written =
      tools.Write(picturePath, WantsJpeg(picturePath),
                  std::span(bitmap).first(kBitmapStride * size_t(size.height)), size.height);
  ui.SetStatusText("");
  if (!written) {
    ui.ShowMessage(msg::grab::kUnableToOpenForOutput, Icon::kInformation);
    return false;
  }
  if (session.options.showPicture) {
    tools.Show(std::span(bitmap).first(kBitmapStride * size_t(size.height)), size.height);
  }
  return true;
}

bool GrabFrame(EditorState& state, GrabSession& session, SerialLink& link, bool viaScsi,
               const GrabDialog& dialog, PictureTools& tools) {
  Ui& ui = link.ui();
  std::string picturePath;
  if (!AskForPicture(state, session, viaScsi, dialog, picturePath)) return false;
  state.options.readStartAddress = FrameAddress(session.options.frameNumber, viaScsi);
  state.options.readLength = static_cast<uint32_t>(kFrameBytes);

  const std::string memPath = MemFileName(picturePath);
  if (!PrepareMemFile(ui, session, memPath)) return false;
  if (viaScsi) {
    if (!ReadFrameScsi(state, session, ui, memPath)) return false;
  } else {
    const bool read = ReadFrameSerial(state, link, memPath);
    if (read) QueryPictureSizeSerial(link, session);
    link.Close();
    if (!read) return false;
  }
  return ConvertGrabbedFrame(ui, session, memPath, picturePath, tools);
}

}  // namespace pelorus
