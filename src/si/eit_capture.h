#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>

#include "common/worker.h"
#include "scsi/scsi_transport.h"
#include "si/guide.h"
#include "si/section_walk.h"
#include "si/system_clock.h"

namespace pelorus {

// The EIT browser's worker: one slotted stream of the EIT, SDT and TDT PIDs, read slot by slot,
// each slot's sections assembled and handed to the guide (and the TDT to the clock). It stops
// within a second of being asked, stops the stream, and ends with a result: failed when the
// receiver was lost or went silent (what arrived stays in the guide), or when no service came at
// all; stopped otherwise.
class EitCapture {
 public:
  struct Callbacks {
    // The clock was set (ok) or refused (the system's reason); on the worker's thread.
    std::function<void(TdtClockSync::Result result, const std::string& detail)> clockSync;
    // The worker has stopped the stream and will touch nothing more; on the worker's thread.
    std::function<void(const RunResult& result)> finished;
  };

  EitCapture(ScsiTransport& transport, Guide& guide, SystemClock& clock, Callbacks callbacks);
  ~EitCapture();
  EitCapture(const EitCapture&) = delete;
  EitCapture& operator=(const EitCapture&) = delete;

  // False while a run is still going; a run that has ended is joined first.
  bool Start(bool scsiBusy);
  void RequestStop() { worker_.RequestStop(); }
  // Waits for the worker to end (at most about a second after RequestStop) and gives its result.
  RunResult Join() { return worker_.Join(); }
  bool Running() const { return worker_.Running(); }
  // The worker the capture runs on, for a front end's wait.
  Worker& worker() { return worker_; }

  // "Sync system time to satellite time"; unchecking restarts the TDT count.
  void SetSyncTdt(bool sync);

  // The read lengths of the three slots: EIT 16 packets, SDT 8, TDT 1.
  static constexpr int kSlotPackets[3] = {16, 8, 1};

 private:
  RunResult Run(RunControl& control, bool scsiBusy);
  void Deliver(int slot, std::span<const uint8_t> sections);

  ScsiTransport& transport_;
  Guide& guide_;
  SystemClock& clock_;
  Callbacks callbacks_;
  SectionAssembler assemblers_[3];
  std::mutex tdtLock_;
  TdtClockSync tdt_;
  std::atomic<bool> syncTdt_{false};
  // Last, so that it is destroyed (and its thread joined) before what the thread uses.
  Worker worker_;
};

}  // namespace pelorus
