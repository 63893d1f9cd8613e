#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "scsi/scsi_transport.h"
#include "streams/psi_templates.h"
#include "streams/record_ring.h"
#include "streams/recorder_plan.h"
#include "streams/stream_file.h"

namespace pelorus {

// The recorder's counters as the dialog shows them.
struct RecordStats {
  uint64_t bytesCaptured = 0;
  uint64_t pipedBytes = 0;  // nothing is piped in this build
  int polls = 0;
  size_t ringFill = 0;
  size_t ringCapacity = 0;
  uint64_t syncErrors = 0;  // packets without the sync byte
  uint64_t continuityErrors = 0;
  uint64_t dropped = 0;  // packets the full ring could not take
  int seconds = 0;
  bool writeFailed = false;
};

// The dialog's fields after a tick.
struct RecorderDisplay {
  RecordStats stats;
  std::string count;
  std::string piped;
  std::string polls;
  std::string rate;         // empty: unchanged this tick
  std::string runningTime;  // likewise
  bool ended = false;       // the recording stopped by itself: the file could not be written
};

// Records the slots of a plan into a transport-stream file: a capture thread reads the slots
// into the ring, a writer thread empties it into the file, checks continuity, and inserts the
// PAT and PMT whenever a tick asks for them.
class MultiPidRecorder {
 public:
  static constexpr std::chrono::milliseconds kTick{250};

  MultiPidRecorder(ScsiTransport& transport, StreamSink& sink, const RecorderPlan& plan,
                   size_t ringCapacity = RecordRing::kDefaultCapacity);
  ~MultiPidRecorder();
  MultiPidRecorder(const MultiPidRecorder&) = delete;
  MultiPidRecorder& operator=(const MultiPidRecorder&) = delete;

  // The PAT and PMT as the file's first two packets. False when they cannot be written.
  bool WriteHeader();
  // Sets up the slotted stream and starts both threads. False when the receiver refused the
  // set-up (nothing runs then).
  bool Start();
  // One 250 ms tick of the dialog's timer: the counters as texts, the rate and running time
  // every fourth tick, and a request for the next PAT and PMT.
  RecorderDisplay Tick();
  // The counters without counting a tick.
  RecorderDisplay Display() const;
  // Stops capturing, lets the writer empty the ring, stops the receiver's stream and joins
  // both threads. Safe to call more than once.
  void Stop();

  RecordStats Stats() const;

  // A test hook: the writer sleeps this long once, before its next write.
  void StallWriterOnce(std::chrono::milliseconds stall) { stall_ = stall.count(); }

 private:
  void Capture(const std::stop_token& stop);
  void FinishVideo(std::span<uint8_t> buffer);
  void Write();
  bool WriteBytes(std::span<const uint8_t> bytes);

  ScsiTransport& transport_;
  StreamSink& sink_;
  RecorderPlan plan_;
  PsiTemplates templates_;
  RecordRing ring_;

  std::atomic<uint64_t> bytesCaptured_ = 0;
  std::atomic<int> polls_ = 0;
  std::atomic<uint64_t> syncErrors_ = 0;
  std::atomic<uint64_t> continuityErrors_ = 0;
  std::atomic<bool> writeFailed_ = false;
  std::atomic<bool> captureEnded_ = false;
  std::atomic<bool> psiRequested_ = false;
  std::atomic<int64_t> stall_ = 0;
  uint64_t fileLength_ = 0;  // writer thread only (and the header before it starts)
  int ticks_ = 0;
  int seconds_ = 0;
  bool started_ = false;
  bool stopped_ = false;
  std::jthread writer_;
  std::jthread capture_;
};

}  // namespace pelorus
