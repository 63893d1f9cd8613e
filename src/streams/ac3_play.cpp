#include "streams/ac3_play.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "common/byte_reader.h"
#include "common/strfmt.h"
#include "common/ts_numbers.h"
#include "receiver/receiver_memory.h"
#include "scsi/receiver_commands.h"
#include "scsi/scsi_guard.h"
#include "scsi/scsi_transport.h"
#include "scsi/stream_primitives.h"
#include "streams/ac3_track_probe.h"
#include "streams/messages.h"

namespace pelorus {
namespace {

constexpr size_t kAudioPidOffset = 34;
// A full pipe is waited on in short steps so that a stop request is seen at once.
constexpr int kPipeWaitMs = 50;

}  // namespace

std::string Ac3SizeText(uint64_t bytes) {
  if (bytes > 1048576) return Format("%.2f MB", static_cast<double>(bytes) / 1048576);
  if (bytes > 1024) return Format("%.0f KB", static_cast<double>(bytes) / 1024);
  return Format("%llu", static_cast<unsigned long long>(bytes));
}

Ac3Playback::Ac3Playback(ScsiTransport& transport, Ac3Decoder& decoder,
                         std::chrono::milliseconds closeDelay)
    : transport_(transport), decoder_(decoder), closeDelay_(closeDelay) {}

Ac3Playback::~Ac3Playback() {
  RequestStop();
  Join();
  if (!started_) StopPidStream(transport_, false);
}

bool Ac3Playback::Start(Callbacks callbacks) {
  if (started_) return true;
  started_ = true;
  callbacks_ = std::move(callbacks);
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) {
    StopPidStream(transport_, false);
    if (callbacks_.finished) callbacks_.finished();
    return false;
  }
  readFd_ = fds[0];
  writeFd_ = fds[1];
  ::fcntl(writeFd_, F_SETPIPE_SZ, kAc3PipeSize);
  feeder_ = std::thread([this] { Run(); });
  return true;
}

void Ac3Playback::RequestStop() {
  {
    std::lock_guard lock(mutex_);
    stopRequested_ = true;
  }
  wake_.notify_all();
}

void Ac3Playback::Join() {
  if (feeder_.joinable() && feeder_.get_id() != std::this_thread::get_id()) feeder_.join();
}

bool Ac3Playback::WriteToPipe(const uint8_t* bytes, size_t count) {
  while (count > 0) {
    if (stopRequested_) return false;
    pollfd waiting{writeFd_, POLLOUT, 0};
    const int ready = ::poll(&waiting, 1, kPipeWaitMs);
    if (ready < 0 && errno != EINTR) return false;
    if (ready <= 0) continue;
    const ssize_t written = ::write(writeFd_, bytes, count);
    if (written < 0) {
      if (errno == EINTR || errno == EAGAIN) continue;
      return false;
    }
    bytes += written;
    count -= static_cast<size_t>(written);
  }
  return true;
}

void Ac3Playback::Run() {
  // The write end must never block for good: a decoder that stops reading would otherwise hold
  // the stop request off for ever.
  ::fcntl(writeFd_, F_SETFL, ::fcntl(writeFd_, F_GETFL) | O_NONBLOCK);
  std::vector<uint8_t> buffer(kAc3Threshold);
  const ScsiBlock readStream = ReadStreamBlock(kAc3Threshold);
  const auto start = std::chrono::steady_clock::now();
  int64_t rateShownForSecond = 0;
  Ac3TrackProbe probe;
  while (!stopRequested_) {
    size_t received = 0;
    const int status =
        ExecScsiCommand(transport_, readStream, ScsiDirection::kIn, buffer, &received);
    // Only the bytes that came go to the decoder: padding a short answer would corrupt frames.
    if (status == kScsiSuccess && received > 0) {
      probe.Feed(std::span(buffer.data(), received));
      if (!WriteToPipe(buffer.data(), received)) break;
      bytesRead_ += received;
      if (!decoderStarted_) {
        decoderStarted_ = true;
        decoderThread_ = std::thread([this] { decoder_.Start(readFd_); });
      }
    }
    Ac3Display display;
    display.bytesRead = Ac3SizeText(bytesRead_);
    display.polls = Format("%d", polls_.load());
    const std::optional<bool> isAc3 = probe.Verdict();
    display.noAc3Track = isAc3.has_value() && !*isAc3;
    const auto elapsedMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                               std::chrono::steady_clock::now() - start)
                               .count();
    // The rate is shown once each time another whole second has gone by.
    if (elapsedMs / 1000 > rateShownForSecond) {
      rateShownForSecond = elapsedMs / 1000;
      const double seconds = static_cast<double>(elapsedMs) * 0.001;
      display.rate =
          Format(msg::streams::kRateText, static_cast<double>(bytesRead_.load()) / seconds / 128);
    }
    if (callbacks_.display) callbacks_.display(display);
    ++polls_;
    std::unique_lock lock(mutex_);
    wake_.wait_for(lock, kAc3PollWait, [this] { return stopRequested_.load(); });
  }
  Shutdown();
}

void Ac3Playback::Shutdown() {
  const auto stopAt = std::chrono::steady_clock::now();
  ::close(writeFd_);
  writeFd_ = -1;
  decoder_.Stop();
  StopPidStream(transport_, false);
  if (decoderThread_.joinable()) decoderThread_.join();
  ::close(readFd_);
  readFd_ = -1;
  std::this_thread::sleep_until(stopAt + closeDelay_);
  if (callbacks_.finished) callbacks_.finished();
}

bool PlayAc3(EditorState& state, Ui& ui, const Ac3DecoderLoader& loadDecoder,
             const std::function<void(Ac3Playback& playback)>& runDialog,
             std::chrono::milliseconds closeDelay) {
  if (!RequireScsi(state, ui)) return false;
  state.options.streamThreshold = kAc3Threshold;
  state.options.streamMode = kAc3StreamMode;
  std::unique_ptr<Ac3Decoder> decoder = loadDecoder ? loadDecoder() : nullptr;
  if (!decoder) {
    ui.ShowMessage(msg::streams::kUnableToLoadAc3, Icon::kStop);
    return false;
  }
  ScsiTransport& transport = *state.aspiModule;
  std::vector<uint8_t> service(kCurrentServiceSize);
  ExecScsiCommand(transport, ReadMemoryBlock(kCurrentServiceAddress, kCurrentServiceSize),
                  ScsiDirection::kIn, service);
  ByteReader reader(service);
  reader.Skip(kAudioPidOffset);
  const uint16_t audioPid = reader.U16();
  // A PID the receiver cannot filter is refused before the stream is set up.
  if (audioPid > ts::kMaxPid) {
    ui.ShowMessage(Format(msg::streams::kAudioPidInvalid, static_cast<unsigned>(audioPid)),
                   Icon::kStop);
    return false;
  }
  state.options.streamPid = audioPid;
  if (!SetupPidStream(transport, audioPid, kAc3Threshold, kAc3StreamMode, false)) {
    ui.ShowMessage(msg::streams::kSetupPidStreamFailed, Icon::kStop);
    return false;
  }
  {
    Ac3Playback playback(transport, *decoder, closeDelay);
    runDialog(playback);
  }
  return true;
}

}  // namespace pelorus
