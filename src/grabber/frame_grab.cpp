#include "grabber/frame_grab.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <new>

#include "common/file_io.h"
#include "common/strfmt.h"
#include "grabber/frame_format.h"
#include "grabber/mem_file.h"
#include "grabber/messages.h"
#include "grabber/missing_parts.h"
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

// The dump's place: a file there that the grabber did not write is not replaced unasked. The
// old file stays until the new dump takes its place, and is never read in place of one.
bool PrepareMemFile(Ui& ui, GrabSession& session, const std::string& memPath) {
  if (!MemFileReplaceable(memPath, session.memFilesWritten) &&
      ui.Ask(Format(msg::grab::kReplaceForeignMem, memPath.c_str()), Buttons::kYesNo,
             Icon::kQuestion, Answer::kNo) != Answer::kYes) {
    return false;
  }
  DumpFile probe;
  if (!probe.Create(memPath)) {
    ui.ShowDetailedMessage(msg::grab::kUnableToOpenTemporary, probe.FailureText(),
                           Icon::kInformation);
    return false;
  }
  return true;
}

}  // namespace

std::optional<GrabPlan> PlanGrab(EditorState& state, GrabSession& session, Ui& ui, bool viaScsi,
                                 const GrabDialog& dialog) {
  GrabPlan plan;
  plan.viaScsi = viaScsi;
  if (!AskForPicture(state, session, viaScsi, dialog, plan.picturePath)) return std::nullopt;
  const std::optional<PictureFormat> format = PictureFormatFor(plan.picturePath);
  if (!format) {
    ui.ShowMessage(Format(msg::grab::kUnknownPictureType, plan.picturePath.c_str()),
                   Icon::kInformation);
    return std::nullopt;
  }
  plan.format = *format;
  state.options.readStartAddress = FrameAddress(session.options.frameNumber, viaScsi);
  state.options.readLength = static_cast<uint32_t>(kFrameBytes);
  plan.memPath = MemFileName(plan.picturePath);
  if (!PrepareMemFile(ui, session, plan.memPath)) return std::nullopt;
  return plan;
}

GrabOutcome GrabOverScsi(EditorState& state, GrabSession& session, Ui& ui, const GrabPlan& plan,
                         PictureTools& tools) {
  std::vector<MemoryGap> gaps;
  const bool whole = ReadMemoryToFile(state, ui, plan.memPath, &gaps);
  // A dump that could not be made has been reported; failed pieces are black in the picture.
  if (!whole && gaps.empty()) return {};
  session.memFilesWritten.insert(plan.memPath);
  std::optional<PictureSize> size;
  if (state.aspiModule) {
    if (const auto geometry = ReadPictureGeometry(*state.aspiModule)) {
      size = PictureSize{geometry->width, geometry->height};
    }
  }
  if (size || session.pictureSize.width <= 0 || session.pictureSize.height <= 0) {
    TakePictureSize(ui, session, size);
  }
  return ConvertGrabbedFrame(ui, session, plan, gaps, tools);
}

SerialGrab PrepareSerialGrab(const EditorState& state, const GrabSession& session,
                             const GrabPlan& plan) {
  SerialGrab grab;
  grab.portState.options = state.options;
  grab.portState.links = state.links;
  grab.session = session;
  grab.memPath = plan.memPath;
  return grab;
}

GrabOutcome FinishSerialGrab(Ui& ui, GrabSession& session, const GrabPlan& plan,
                             const SerialGrab& grab, const RunResult& result, PictureTools& tools) {
  session.pictureSize = grab.session.pictureSize;
  session.options.interpolate = grab.session.options.interpolate;
  if (result.Failed()) return {};
  session.memFilesWritten.insert(plan.memPath);
  return ConvertGrabbedFrame(ui, session, plan, grab.missing, tools);
}

GrabOutcome ConvertGrabbedFrame(Ui& ui, GrabSession& session, const GrabPlan& plan,
                                std::span<const MemoryGap> missing, PictureTools& tools) {
  std::unique_ptr<FrameConverter> converter;
  std::vector<uint8_t> bitmap;
  try {
    converter = std::make_unique<FrameConverter>();
    bitmap.assign(kBitmapBytes, 0);
  } catch (const std::bad_alloc&) {
    ui.ShowMessage(msg::grab::kNoMemory, Icon::kStop);
    return {};
  }
  BusyScope busy(ui);
  const FileContents dump = ReadWholeFile(plan.memPath);
  if (!dump.opened) {
    ui.ShowMessage(msg::grab::kCantReopenMem, Icon::kStop);
    return {};
  }
  const std::span<const uint8_t> frame =
      std::span(dump.bytes).first(std::min(dump.bytes.size(), kFrameBytes));
  // Only the dump this grab wrote is deleted.
  std::error_code ignored;
  if (session.options.deleteMem) {
    std::filesystem::remove(plan.memPath, ignored);
    session.memFilesWritten.erase(plan.memPath);
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
  const std::vector<MemoryGap> gaps =
      MissingFromDump({missing.begin(), missing.end()}, frame.size());
  BlackenMissing(gaps, session.options.displayMode, bitmap);

  // A size outside the buffers never reaches the imaging: the whole frame is used instead.
  const PictureSize size = DecidePictureSize(session.pictureSize).verdict == SizeVerdict::kUsable
                               ? session.pictureSize
                               : PictureSize{kFrameWidth, kFrameHeight};
  if (session.options.interpolate && size.width < kInterpolateBelowWidth) {
    ui.SetStatusText(msg::grab::kInterpolating);
    tools.Stretch(bitmap, size.width, size.height);
  }
  ui.SetStatusText(msg::grab::kGeneratingFile);
  std::string reason;
  const bool written = tools.Write(plan.picturePath, plan.format == PictureFormat::kJpeg,
                                   std::span(bitmap).first(kBitmapStride * size_t(size.height)),
                                   size.height, reason);
  ui.SetStatusText("");
  if (!written) {
    ui.ShowDetailedMessage(
        msg::grab::kUnableToOpenForOutput,
        plan.picturePath + ": " +
            (reason.empty() ? std::string("the picture could not be written") : reason),
        Icon::kInformation);
    return {false, !gaps.empty()};
  }
  if (session.options.showPicture) {
    tools.Show(std::span(bitmap).first(kBitmapStride * size_t(size.height)), size.height);
  }
  return {true, !gaps.empty()};
}

GrabOutcome GrabFrame(EditorState& state, GrabSession& session, SerialLink& link, bool viaScsi,
                      const GrabDialog& dialog, PictureTools& tools) {
  Ui& ui = link.ui();
  const std::optional<GrabPlan> plan = PlanGrab(state, session, ui, viaScsi, dialog);
  if (!plan) return {};
  if (viaScsi) return GrabOverScsi(state, session, ui, *plan, tools);
  SerialGrab grab = PrepareSerialGrab(state, session, *plan);
  DirectFrontEnd frontEnd(ui);
  Worker worker;
  Worker::Callbacks callbacks;
  // This thread only waits: the worker's own is the one that uses the Ui meanwhile.
  callbacks.progress = [&ui](int percent, const std::string& text) {
    ui.SetStatusText(text);
    ui.SetProgress(std::max(percent, 0), percent >= 0);
  };
  worker.Start(
      [&](RunControl& control) { return ReadFrameSerialRun(link, grab, control, frontEnd); },
      std::move(callbacks));
  const RunResult result = worker.Join();
  ShowRunResult(ui, result);
  return FinishSerialGrab(ui, session, *plan, grab, result, tools);
}

}  // namespace pelorus
