#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "common/run_output.h"
#include "common/ts_numbers.h"
#include "common/worker.h"
#include "scsi/scsi_transport.h"

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

// Watches a stream of whole packets as it arrives in reads of any length: every packet must
// begin with the sync byte and carry the PID that was asked for. Anything else means the
// receiver's filter is no longer ours — another program set up a stream of its own.
class PacketGuard {
 public:
  explicit PacketGuard(uint16_t pid) : pid_(pid) {}
  // False at the first packet that breaks the rule; Problem() then says which.
  bool Check(std::span<const uint8_t> bytes);
  const std::string& Problem() const { return problem_; }

 private:
  bool CheckPacket(std::span<const uint8_t> packet);

  uint16_t pid_;
  std::array<uint8_t, ts::kPacketSize> carry_{};
  size_t carried_ = 0;
  uint64_t packets_ = 0;
  std::string problem_;
};

// The three fields of the capture dialog after a poll.
struct CaptureProgress {
  std::string count;   // bytes written, as SizeText
  std::string polls;   // polls before this one
  std::string rate;    // empty: leave the field as it is
  bool ended = false;  // the run is over (the last report): the run's result says how it ended
};

// Polls the receiver's stream on a worker of its own and writes what comes to the output, until
// stopped, until the output cannot take more, or until the receiver is lost or its stream is
// taken over. Progress goes to a callback on the worker's thread; none comes after Stop returns.
// The worker stops the receiver's stream before it ends.
class CaptureWorker {
 public:
  using ProgressCallback = std::function<void(const CaptureProgress&)>;

  CaptureWorker(ScsiTransport& transport, RunOutput& output, const CaptureSettings& settings);
  ~CaptureWorker();
  CaptureWorker(const CaptureWorker&) = delete;
  CaptureWorker& operator=(const CaptureWorker&) = delete;

  void Start(ProgressCallback progress);
  void RequestStop() { worker_.RequestStop(); }
  // Asks the worker to stop and waits for it; also when it was never started.
  RunResult Stop();
  bool Ended() const { return started_ && !worker_.Running(); }
  // The worker the capture runs on, for a front end's wait.
  Worker& worker() { return worker_; }

  uint64_t BytesWritten() const { return bytesWritten_; }
  int Polls() const { return polls_; }

 private:
  RunResult Run(RunControl& control);
  RunResult Failure(const char* message, const std::string& reason) const;
  void Report(const CaptureProgress& progress);

  ScsiTransport& transport_;
  RunOutput& output_;
  CaptureSettings settings_;
  std::mutex callbackMutex_;
  ProgressCallback progress_;
  std::atomic<uint64_t> bytesWritten_ = 0;
  std::atomic<int> polls_ = 0;
  bool started_ = false;
  Worker worker_;
};

}  // namespace pelorus
