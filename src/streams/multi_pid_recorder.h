#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>

#include "common/link_problem.h"
#include "common/run_output.h"
#include "common/worker.h"
#include "scsi/scsi_transport.h"
#include "streams/psi_templates.h"
#include "streams/record_ring.h"
#include "streams/recorder_plan.h"

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
};

// The dialog's fields after a tick.
struct RecorderDisplay {
  RecordStats stats;
  std::string count;
  std::string piped;
  std::string polls;
  std::string rate;         // empty: unchanged this tick
  std::string runningTime;  // likewise
  bool ended = false;       // the recording has ended (by itself, or after a stop request)
};

// Records the slots of a plan into a transport-stream file. The capture runs as the body of a
// worker: it reads the slots into the ring while a writer thread of its own empties the ring
// into the output, checks continuity and puts the PAT and PMT in every 250 ms. The run ends at a
// stop request, when the output cannot take more, when the receiver is lost or silent, or when
// a slot delivers another PID than its own (another program changed the receiver's stream); the
// receiver's stream is stopped however it ended, and what arrived stays in the output.
class MultiPidRecorder {
 public:
  static constexpr std::chrono::milliseconds kTick{250};
  // The writer hands the file this many packets per call at most; a write that a full disk cuts
  // short loses at most these.
  static constexpr size_t kMaxPacketsPerWrite = 512;

  MultiPidRecorder(ScsiTransport& transport, RunOutput& output, const RecorderPlan& plan,
                   size_t ringCapacity = RecordRing::kDefaultCapacity);
  // Asks a running recording to stop and waits for it.
  ~MultiPidRecorder();
  MultiPidRecorder(const MultiPidRecorder&) = delete;
  MultiPidRecorder& operator=(const MultiPidRecorder&) = delete;

  // The PAT and PMT as the file's first two packets: a header, not data, so a recording that
  // gets nothing leaves the old file as it was. False when they cannot be written.
  bool WriteHeader();
  // Sets up the slotted stream and starts the run. False when the receiver refused the set-up
  // (`*failure`, when given, says why); nothing runs then.
  bool Start(LinkFailure* failure = nullptr);
  // One 250 ms tick of the dialog's timer: the counters as texts, and the rate and running time
  // every fourth tick.
  RecorderDisplay Tick();
  // The counters without counting a tick.
  RecorderDisplay Display() const;
  // Only asks; the run ends within a second (the video runs on to its next picture first).
  void RequestStop() { worker_.RequestStop(); }
  // Asks the run to stop, waits for it and returns how it ended (Done when never started).
  RunResult Stop();
  bool Ended() const { return started_ && !worker_.Running(); }
  // The worker the run is on, for a front end's wait.
  Worker& worker() { return worker_; }

  RecordStats Stats() const;

  // A test hook: the writer sleeps this long once, before its next write.
  void StallWriterOnce(std::chrono::milliseconds stall) { stall_ = stall.count(); }

 private:
  RunResult Run(RunControl& control);
  void FinishVideo(std::span<uint8_t> buffer);
  void Write();
  RunResult Failure(const std::string& message, const std::string& reason) const;

  ScsiTransport& transport_;
  RunOutput& output_;
  RecorderPlan plan_;
  PsiTemplates templates_;
  RecordRing ring_;

  std::atomic<uint64_t> bytesCaptured_ = 0;
  std::atomic<int> polls_ = 0;
  std::atomic<uint64_t> syncErrors_ = 0;
  std::atomic<uint64_t> continuityErrors_ = 0;
  std::atomic<bool> writeFailed_ = false;
  std::atomic<bool> captureEnded_ = false;
  std::atomic<int64_t> stall_ = 0;
  int ticks_ = 0;
  int seconds_ = 0;
  bool started_ = false;
  std::thread writer_;  // the body's own helper, joined before the body returns
  Worker worker_;
};

}  // namespace pelorus
