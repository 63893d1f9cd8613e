#include "grabber/serial_frame.h"

#include <algorithm>
#include <array>
#include <vector>

#include "common/strfmt.h"
#include "grabber/messages.h"
#include "scsi/dump_file.h"
#include "serial/serial_port.h"
#include "serial/serial_timing.h"

namespace pelorus {
namespace {

constexpr size_t kChunkBytes = 64 * 1024;
constexpr size_t kReadBytes = 1024;
constexpr int kReadTicks = 20;
constexpr int kResumeTicks = 10;
constexpr int kSizeAttempts = 5;
constexpr size_t kSizeAnswerBytes = 9;

int Percent(int64_t done, int64_t total) {
  return static_cast<int>(static_cast<double>(done) / static_cast<double>(total) * 100.0);
}

enum class ChunkEnd { kWhole, kGoOn, kAbort, kLost };

// Reads one chunk into `chunk`, whose first byte lies at `dumpOffset` in the dump. What did not
// come is zero in the chunk and listed in `missing`.
ChunkEnd ReadChunk(SerialLink& link, std::span<uint8_t> chunk, uint64_t dumpOffset,
                   int64_t& received, int64_t length, const RunControl& control,
                   std::vector<MemoryGap>& missing) {
  Ui& ui = link.ui();
  for (size_t at = 0; at < chunk.size(); at += kReadBytes) {
    if (control.StopRequested()) return ChunkEnd::kAbort;
    ui.SetStatusText(
        received < length
            ? Format(msg::grab::kReadingBytes, static_cast<int>(received), static_cast<int>(length))
            : std::string(msg::grab::kDiscardingExtra));
    const std::span<uint8_t> piece = chunk.subspan(at, kReadBytes);
    const size_t got = link.Read(piece);
    if (got < piece.size()) {
      // What did not come must not show the previous chunk's bytes in its place.
      std::fill(chunk.begin() + static_cast<long>(at + got), chunk.end(), uint8_t{0});
      missing.push_back({dumpOffset + at + got, chunk.size() - at - got});
      if (link.LinkLost()) return ChunkEnd::kLost;
      if (control.StopRequested()) return ChunkEnd::kAbort;
      return ui.Ask(Format(msg::grab::kNoResponseAbort, static_cast<int>(got)), Buttons::kYesNo,
                    Icon::kWarning, Answer::kNo) == Answer::kYes
                 ? ChunkEnd::kAbort
                 : ChunkEnd::kGoOn;
    }
    received += static_cast<int64_t>(kReadBytes);
    ui.SetProgress(Percent(received, length), true);
  }
  return ChunkEnd::kWhole;
}

// Asks for the frame chunk by chunk. A chunk cut short is kept with zeros for what did not
// come, so each chunk still lands at its own place in the dump and the read ends after the
// chunks that cover the frame.
ChunkEnd ReadChunks(SerialLink& link, BusyCursor& busy, const Options& options, DumpFile& file,
                    const RunControl& control, SerialGrab& grab) {
  Ui& ui = link.ui();
  const auto length = static_cast<int64_t>(static_cast<int32_t>(options.readLength));
  uint32_t address = options.readStartAddress;
  const int64_t chunks = (length + int64_t{kChunkBytes} - 1) / int64_t{kChunkBytes};
  int64_t received = 0;
  std::vector<uint8_t> chunk(kChunkBytes, 0);
  for (int64_t index = 0; index < chunks; ++index) {
    if (control.StopRequested()) return ChunkEnd::kAbort;
    link.timeoutTicks = 8;
    link.slowSend = true;
    link.Drain();
    if (!GetAttention(link, busy)) return link.LinkLost() ? ChunkEnd::kLost : ChunkEnd::kAbort;
    link.Write(Format("Q%08X", address));
    link.timeoutTicks = kReadTicks;
    const ChunkEnd end = ReadChunk(link, chunk, static_cast<uint64_t>(index) * kChunkBytes,
                                   received, length, control, grab.missing);
    if (end == ChunkEnd::kAbort || end == ChunkEnd::kLost) return end;
    if (!file.Append(chunk)) {
      ui.ShowDetailedMessage(msg::grab::kUnableToOpenTemporary, file.FailureText(),
                             Icon::kInformation);
      return ChunkEnd::kAbort;
    }
    address += kChunkBytes;
    link.Pause(SerialPause(100));
  }
  return ChunkEnd::kWhole;
}

void QueryPictureSizeSerial(SerialLink& link, GrabSession& session);

}  // namespace

RunResult ReadFrameSerialRun(SerialLink& link, SerialGrab& grab, RunControl& control,
                             FrontEnd& frontEnd) {
  RunUi ui(control, frontEnd);
  const SerialLink::UiScope scope(link, ui);
  grab.missing.clear();
  grab.aborted = false;
  DumpFile file;
  if (!file.Create(grab.memPath)) {
    ui.ShowDetailedMessage(msg::grab::kUnableToOpenTemporary, file.FailureText(),
                           Icon::kInformation);
    return RunResult::Failed("");
  }
  if (!OpenSerialPort(link, grab.portState)) return RunResult::Failed("");
  BusyCursor busy(ui);
  busy.Begin();
  link.slowSend = true;
  if (!GetAttention(link, busy)) return RunResult::Failed("");
  ui.SetStatusText(msg::grab::kPausingVideo);
  link.Write("1");

  ui.SetStatusText(msg::grab::kReadingMemory);
  ui.SetProgress(0, true);
  ChunkEnd end;
  {
    // A stop cuts short only the wait for a chunk that stopped coming.
    const SerialLink::InterruptScope stop(link, [&control] { return control.StopRequested(); });
    end = ReadChunks(link, busy, grab.portState.options, file, control, grab);
  }
  ui.SetStatusText("");
  ui.SetProgress(0, false);
  busy.End();
  RunResult result = RunResult::Done();
  if (end == ChunkEnd::kLost) {
    const std::string reason = link.LostReason();
    link.Close();
    return RunResult::Failed(msg::grab::kGrabLost, reason);
  }
  if (end == ChunkEnd::kAbort) {
    grab.aborted = true;
    // What the receiver still sends of the chunk under way goes by before it is asked again:
    // it answers nothing else before the chunk is out.
    ui.SetStatusText(msg::grab::kDiscardingExtra);
    link.timeoutTicks = 8;
    link.Drain();
  } else if (!file.Commit()) {
    ui.ShowDetailedMessage(msg::grab::kUnableToOpenTemporary, file.FailureText(),
                           Icon::kInformation);
    result = RunResult::Failed("");
  }

  // The video was paused, so it is resumed whatever happened since, as long as the port is
  // still open: a failed handshake has closed it and told the user already.
  link.slowSend = true;
  link.timeoutTicks = kResumeTicks;
  if (link.IsOpen()) {
    BusyCursor resumeBusy(ui);
    if (GetAttention(link, resumeBusy)) link.Write("2");
  }
  if (grab.aborted) {
    link.Close();
    return RunResult::Failed(msg::grab::kGrabAborted);
  }
  if (!result.Failed()) QueryPictureSizeSerial(link, grab.session);
  link.Close();
  return result;
}

void TakePictureSize(Ui& ui, GrabSession& session, std::optional<PictureSize> reported) {
  const SizeDecision decision = DecidePictureSize(reported);
  session.pictureSize = decision.size;
  if (decision.verdict == SizeVerdict::kUnknown) {
    session.options.interpolate = false;
    ui.ShowMessage(msg::grab::kSizeUnknown, Icon::kWarning);
  } else if (decision.verdict == SizeVerdict::kClamped) {
    ui.ShowMessage(Format(msg::grab::kSizeClamped, reported->width, reported->height,
                          decision.size.width, decision.size.height),
                   Icon::kWarning);
  }
}

namespace {

void QueryPictureSizeSerial(SerialLink& link, GrabSession& session) {
  Ui& ui = link.ui();
  BusyCursor busy(ui);
  busy.Begin();
  // Without any size from the receiver the picture is taken whole.
  if (session.pictureSize.width <= 0 || session.pictureSize.height <= 0) {
    session.pictureSize = {kFrameWidth, kFrameHeight};
  }
  // A port closed by a failed handshake has already had its message.
  if (!link.IsOpen()) return;
  link.slowSend = true;
  if (!GetAttention(link, busy)) return;
  std::array<uint8_t, kSizeAnswerBytes> answer{};
  for (int attempt = 1;; ++attempt) {
    ui.SetStatusText(msg::grab::kGettingResolution);
    link.Drain();
    link.Write("K");
    if (link.Read(answer) == answer.size()) break;
    link.Pause(SerialPause(250));
    if (attempt == kSizeAttempts) {
      link.Close();
      busy.End();
      ui.ShowMessage(msg::grab::kNoResolutionAnswer, Icon::kStop);
      return;
    }
    if (!GetAttention(link, busy)) return;
  }
  busy.End();
  TakePictureSize(ui, session, ParsePictureSizeAnswer(answer));
}

}  // namespace
}  // namespace pelorus
