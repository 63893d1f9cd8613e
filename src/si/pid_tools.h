#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "channels/pid_format.h"
#include "common/ts_numbers.h"
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
// after the current block.
class PidFinder {
 public:
  struct Callbacks {
    std::function<void(int startPid, const std::string& range)> block;  // before each block
    std::function<void(const std::string& line)> active;
    // The next start PID (8192 or more: the end was reached).
    std::function<void(int nextStartPid)> finished;
  };

  PidFinder(ScsiTransport& transport, Callbacks callbacks);
  ~PidFinder();
  PidFinder(const PidFinder&) = delete;
  PidFinder& operator=(const PidFinder&) = delete;

  void Start(int startPid, int dwellMs, PidMode mode);
  void RequestStop();
  void Join();
  bool Running() const { return running_.load(); }
  void SetUntilStopped(bool untilStopped) { untilStopped_ = untilStopped; }

 private:
  void Run(int startPid, int dwellMs, PidMode mode);

  ScsiTransport& transport_;
  Callbacks callbacks_;
  std::atomic<bool> untilStopped_{false};
  std::atomic<bool> stop_{false};
  std::atomic<bool> running_{false};
  std::mutex waitLock_;
  std::condition_variable wake_;
  std::thread thread_;
};

// The monitor's hex dump of one packet: 12 rows of "oo: " + 16 cells + 16 characters + CR LF,
// and one more CR LF after the last.
std::vector<std::string> PacketDumpRows(std::span<const uint8_t> packet);

// The monitor's worker: every packet of one PID, dumped, until stopped.
class PidMonitor {
 public:
  PidMonitor(ScsiTransport& transport, std::function<void(std::string rows)> packet,
             std::function<void()> finished);
  ~PidMonitor();
  PidMonitor(const PidMonitor&) = delete;
  PidMonitor& operator=(const PidMonitor&) = delete;

  // `maxPackets` 0: until stopped.
  void Start(uint16_t pid, bool scsiBusy, int maxPackets = 0);
  void RequestStop();
  void Join();
  bool Finished() const { return finished_.load(); }

 private:
  void Run(uint16_t pid, bool scsiBusy, int maxPackets);

  ScsiTransport& transport_;
  std::function<void(std::string)> packet_;
  std::function<void()> finishedCallback_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> finished_{false};
  std::mutex waitLock_;
  std::condition_variable wake_;
  std::thread thread_;
};

}  // namespace pelorus
