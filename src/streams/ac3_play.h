#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "common/editor_state.h"
#include "common/ui.h"
#include "streams/ac3_decoder.h"

namespace pelorus {

class ScsiTransport;

inline constexpr uint32_t kAc3Threshold = 1024;
inline constexpr uint32_t kAc3StreamMode = 2;  // "ES data"
inline constexpr int kAc3PipeSize = 65536;
inline constexpr std::chrono::milliseconds kAc3PollWait{10};
// After a stop the dialog stays this long before it closes.
inline constexpr std::chrono::milliseconds kAc3CloseDelay{2000};

// What the "AC3 Decoder" dialog shows after each poll.
struct Ac3Display {
  std::string bytesRead;            // SizeText of the bytes read
  std::string polls;                // the poll count before this poll
  std::optional<std::string> rate;  // set once each new whole second of playing
  bool noAc3Track = false;          // what arrived so far is not AC-3 (see Ac3TrackProbe)
};

// Byte counts as the stream dialogs show them: "%.2f MB", "%.0f KB" or "%d".
std::string Ac3SizeText(uint64_t bytes);

// The feeding thread: polls the receiver's audio stream, writes what comes into the pipe and
// starts the decoder on the pipe's read end after the first successful read. A stop request
// closes the pipe, stops the decoder and the receiver's stream, joins the decoder's thread,
// waits for the close delay and then calls `finished`. The callbacks run on the feeding thread.
class Ac3Playback {
 public:
  struct Callbacks {
    std::function<void(const Ac3Display&)> display;
    std::function<void()> finished;
  };
  Ac3Playback(ScsiTransport& transport, Ac3Decoder& decoder,
              std::chrono::milliseconds closeDelay = kAc3CloseDelay);
  // Requests a stop and joins; a playback that was never started still stops the stream.
  ~Ac3Playback();
  Ac3Playback(const Ac3Playback&) = delete;
  Ac3Playback& operator=(const Ac3Playback&) = delete;

  // Starts the feeding thread once. False when the pipe could not be made; the receiver's
  // stream is then stopped and `finished` is called at once.
  bool Start(Callbacks callbacks);
  // Only sets the request; the thread ends the playback.
  void RequestStop();
  // Waits until the feeding thread has ended.
  void Join();

  uint64_t BytesRead() const { return bytesRead_.load(); }
  int Polls() const { return polls_.load(); }
  bool DecoderStarted() const { return decoderStarted_.load(); }

 private:
  void Run();
  // Writes all of `bytes` into the pipe; gives up (false) when a stop is requested meanwhile.
  bool WriteToPipe(const uint8_t* bytes, size_t count);
  void Shutdown();

  ScsiTransport& transport_;
  Ac3Decoder& decoder_;
  Callbacks callbacks_;
  std::chrono::milliseconds closeDelay_;
  int readFd_ = -1;
  int writeFd_ = -1;
  std::thread feeder_;
  std::thread decoderThread_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::atomic<bool> stopRequested_{false};
  std::atomic<uint64_t> bytesRead_{0};
  std::atomic<int> polls_{0};
  std::atomic<bool> decoderStarted_{false};
  bool started_ = false;
};

// "Decoder AC3": plays the current service's audio. Refuses without SCSI (nothing sent), sets
// the single-PID capture options to the audio stream, loads the decoder, sets up the stream and
// hands the playback to `runDialog`, which starts it, shows it and returns once it has finished.
// The decoder is released afterwards. False when it did not get as far as playing.
bool PlayAc3(EditorState& state, Ui& ui, const Ac3DecoderLoader& loadDecoder,
             const std::function<void(Ac3Playback& playback)>& runDialog,
             std::chrono::milliseconds closeDelay = kAc3CloseDelay);

}  // namespace pelorus
