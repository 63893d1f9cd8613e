#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "scsi/scsi_transport.h"
#include "streams/stream_file.h"

namespace pelorus {

// One PID as the receiver filters it: the threshold is the length of every read.
struct CaptureSettings {
  uint16_t pid = 0;
  uint16_t threshold = 32768;
  uint16_t mode = 2;
  bool ts2es = false;      // whole packets to elementary-stream bytes (mode 6 only)
  bool syncVideo = false;  // write nothing before the first video sequence header
};

inline constexpr uint16_t kModeEntirePackets = 6;

// What one poll's read becomes in the file: the optional TS->ES conversion, then the wait for
// the first sequence header.
class CaptureFilter {
 public:
  explicit CaptureFilter(const CaptureSettings& settings);

  // The bytes to write for this read (possibly none), or no value when the conversion found
  // nothing in it and the round is dropped altogether. Valid until the next call.
  std::optional<std::span<const uint8_t>> Process(std::span<const uint8_t> read);
  bool VideoSynced() const { return videoSynced_; }

 private:
  CaptureSettings settings_;
  std::vector<uint8_t> converted_;
  bool videoSynced_ = false;
};

// The three fields of the capture dialog after a poll.
struct CaptureProgress {
  std::string count;   // bytes written, as SizeText
  std::string polls;   // polls before this one
  std::string rate;    // empty: leave the field as it is
  bool ended = false;  // the worker stopped by itself: the file could not be written
};

// Polls the receiver's stream on a thread of its own and writes what comes to the sink, until
// stopped. Progress goes to a callback on the worker's thread; none comes after Stop returns.
class CaptureWorker {
 public:
  using ProgressCallback = std::function<void(const CaptureProgress&)>;

  CaptureWorker(ScsiTransport& transport, StreamSink& sink, const CaptureSettings& settings);
  ~CaptureWorker();
  CaptureWorker(const CaptureWorker&) = delete;
  CaptureWorker& operator=(const CaptureWorker&) = delete;

  void Start(ProgressCallback progress);
  // Stops the receiver's stream and waits for the worker; also when it was never started.
  void Stop();

  bool WriteFailed() const { return writeFailed_; }
  uint64_t BytesWritten() const { return bytesWritten_; }
  int Polls() const { return polls_; }

 private:
  void Run(const std::stop_token& stop);
  void Report(const CaptureProgress& progress);

  ScsiTransport& transport_;
  StreamSink& sink_;
  CaptureSettings settings_;
  std::mutex callbackMutex_;
  ProgressCallback progress_;
  std::atomic<bool> writeFailed_ = false;
  std::atomic<uint64_t> bytesWritten_ = 0;
  std::atomic<int> polls_ = 0;
  bool stopped_ = false;
  std::jthread thread_;
};

}  // namespace pelorus
