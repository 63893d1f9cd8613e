#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "channels/pid_format.h"
#include "common/ts_numbers.h"
#include "common/worker.h"
#include "scsi/scsi_transport.h"

namespace pelorus {

inline constexpr int kPidCount = ts::kPidCount;
inline constexpr int kProbePids = 32;
inline constexpr int kProbeAreaSize = 256;
inline constexpr uint32_t kProbeResultAddress = 0x01050000;
inline constexpr uint32_t kProbeResultSize = kProbePids * kProbeAreaSize;
inline constexpr int kDefaultDwellMs = 750;

// The probe command's data: 0x3F, the PIDs from `startPid` (at most 32, none above 0x1FFF) as
// 16-bit numbers, 0xFF 0xFF, and a pad byte that makes the length even.
std::vector<uint8_t> ProbeBlock(int startPid);
// How many PIDs a block from `startPid` probes.
int ProbeBlockCount(int startPid);
// "first - last" with the display format; the last is 8192 when the block reached the end.
std::string ProbeRangeText(int startPid, PidMode mode);

// The finder's lines for one probe result: for each area whose bytes hold a packet header of
// its PID, "PID <pid> active TSF=<scrambling>".
std::vector<std::string> ScanProbeResult(std::span<const uint8_t> result, int startPid,
                                         PidMode mode);
std::string PidActiveLine(int pid, int scrambling, PidMode mode);

// The start PID the dialog shows when it opens: a stored value beyond the PID space is 0.
inline int OpeningStartPid(int stored) { return stored >= 0 && stored < kPidCount ? stored : 0; }

// The finder's worker: probe blocks of 32 PIDs from a start PID until the end of the PID space
// (or, told to, round and round until stopped). A stop request cuts the dwell short and ends
// after the current block; a lost or silent receiver ends the run at once, as a failure.
class PidFinder {
 public:
  struct Callbacks {
    std::function<void(int startPid, const std::string& range)> block;  // before each block
    std::function<void(const std::string& line)> active;
    // The next start PID (8192 or more: the end was reached) and how the run ended.
    std::function<void(int nextStartPid, const RunResult& result)> finished;
  };

  PidFinder(ScsiTransport& transport, Callbacks callbacks);
  ~PidFinder();
  PidFinder(const PidFinder&) = delete;
  PidFinder& operator=(const PidFinder&) = delete;

  // False while a run is still going.
  bool Start(int startPid, int dwellMs, PidMode mode);
  void RequestStop() { worker_.RequestStop(); }
  RunResult Join() { return worker_.Join(); }
  bool Running() const { return worker_.Running(); }
  Worker& worker() { return worker_; }
  void SetUntilStopped(bool untilStopped) { untilStopped_ = untilStopped; }

 private:
  RunResult Run(RunControl& control, int startPid, int dwellMs, PidMode mode);

  ScsiTransport& transport_;
  Callbacks callbacks_;
  std::atomic<bool> untilStopped_{false};
  std::atomic<int> next_{0};
  Worker worker_;
};

// The monitor's hex dump of one packet: 12 rows of "oo: " + 16 cells + 16 characters + CR LF,
// and one more CR LF after the last.
std::vector<std::string> PacketDumpRows(std::span<const uint8_t> packet);

// The monitor's worker: every packet of one PID, dumped, until stopped (or `maxPackets` were
// shown). A lost or silent receiver ends it at once; a run that showed no packet has failed.
class PidMonitor {
 public:
  PidMonitor(ScsiTransport& transport, std::function<void(std::string rows)> packet,
             std::function<void(const RunResult& result)> finished);
  ~PidMonitor();
  PidMonitor(const PidMonitor&) = delete;
  PidMonitor& operator=(const PidMonitor&) = delete;

  // `maxPackets` 0: until stopped. False while a run is still going.
  bool Start(uint16_t pid, bool scsiBusy, PidMode mode, int maxPackets = 0);
  void RequestStop() { worker_.RequestStop(); }
  RunResult Join() { return worker_.Join(); }
  // A run was started and has ended.
  bool Finished() const { return worker_.Result().has_value(); }
  Worker& worker() { return worker_; }

 private:
  RunResult Run(RunControl& control, uint16_t pid, bool scsiBusy, PidMode mode, int maxPackets);

  ScsiTransport& transport_;
  std::function<void(std::string)> packet_;
  std::function<void(const RunResult&)> finishedCallback_;
  Worker worker_;
};

}  // namespace pelorus
