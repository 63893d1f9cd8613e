#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "scsi/scsi_transport.h"
#include "si/guide.h"
#include "si/section_walk.h"
#include "si/system_clock.h"

namespace pelorus {

// The EIT browser's worker: one slotted stream of the EIT, SDT and TDT PIDs, read slot by slot,
// each slot's sections assembled and handed to the guide (and the TDT to the clock). It stops
// within a second of being asked, stops the stream, and says it has finished.
class EitCapture {
 public:
  struct Callbacks {
    // The clock was set (ok) or refused (the system's reason); on the worker's thread.
    std::function<void(TdtClockSync::Result result, const std::string& detail)> clockSync;
    // The worker has stopped the stream and will touch nothing more.
    std::function<void()> finished;
  };

  EitCapture(ScsiTransport& transport, Guide& guide, SystemClock& clock, Callbacks callbacks);
  ~EitCapture();
  EitCapture(const EitCapture&) = delete;
  EitCapture& operator=(const EitCapture&) = delete;

  void Start(bool scsiBusy);
  void RequestStop();
  // Waits for the worker to end; at most about a second after RequestStop.
  void Join();
  bool Finished() const { return finished_.load(); }

  // "Sync system time to satellite time"; unchecking restarts the TDT count.
  void SetSyncTdt(bool sync);

  // The read lengths of the three slots: EIT 16 packets, SDT 8, TDT 1.
  static constexpr int kSlotPackets[3] = {16, 8, 1};

 private:
  void Run(bool scsiBusy);
  void Deliver(int slot, std::span<const uint8_t> sections);

  ScsiTransport& transport_;
  Guide& guide_;
  SystemClock& clock_;
  Callbacks callbacks_;
  SectionAssembler assemblers_[3];
  std::mutex tdtLock_;
  TdtClockSync tdt_;
  std::atomic<bool> syncTdt_{false};
  std::atomic<bool> stop_{false};
  std::atomic<bool> finished_{false};
  std::mutex waitLock_;
  std::condition_variable wake_;
  std::thread thread_;
};

}  // namespace pelorus
