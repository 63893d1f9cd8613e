#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "common/editor_state.h"
#include "common/ts_numbers.h"
#include "common/ui.h"

namespace pelorus {

// Per-PID and total counts of a transport stream taken in fixed 188-byte steps from its first
// byte, with no re-synchronisation: a file that drifts out of step shows that plainly.
class TsStatistics {
 public:
  // Counts every whole packet of `bytes`; a tail shorter than a packet is ignored. Returns the
  // number of bytes taken (whole packets only), so a reader can carry the tail over.
  size_t Feed(std::span<const uint8_t> bytes);

  uint64_t Packets() const { return packetsTotal_; }
  uint64_t BadSync() const { return badSync_; }
  uint64_t TsErrors() const { return tsErrors_; }
  uint64_t PidPackets(uint16_t pid) const { return pid < ts::kPidCount ? packets_[pid] : 0; }
  uint64_t PidContinuityErrors(uint16_t pid) const {
    return pid < ts::kPidCount ? continuityErrors_[pid] : 0;
  }

  // The report: the header with the total, one line per PID that has packets, in PID order, and
  // the two totals of damaged packets.
  std::string Report() const;

 private:
  static constexpr uint8_t kUnknownCounter = 0xFF;
  // Indexed by the 13-bit PID, so no packet can reach outside them.
  std::array<uint64_t, ts::kPidCount> packets_{};
  std::array<uint64_t, ts::kPidCount> continuityErrors_{};
  std::array<uint8_t, ts::kPidCount> lastCounter_ = [] {
    std::array<uint8_t, ts::kPidCount> unknown{};
    unknown.fill(kUnknownCounter);
    return unknown;
  }();
  uint64_t packetsTotal_ = 0;
  uint64_t badSync_ = 0;
  uint64_t tsErrors_ = 0;
};

enum class TsReadResult { kDone, kCannotOpen, kReadFailed };

// Reads the file at `path` in large blocks into `stats`. `progress` gets the share of the file
// done, in percent, each time it changes.
TsReadResult ReadTsFile(const std::string& path, TsStatistics& stats,
                        const std::function<void(int percent)>& progress);

// Checks the file at `path` with the status line and progress bar, and hands the report to
// `showReport`. False (with the message shown) when the file could not be read.
bool CheckTsFileAt(const std::string& path, Ui& ui,
                   const std::function<void(const std::string& report)>& showReport);

// The menu command: asks for the file (in the folder remembered for stream files), then checks
// it. False when cancelled or failed.
bool CheckTsFile(EditorState& state, Ui& ui,
                 const std::function<void(const std::string& report)>& showReport);

}  // namespace pelorus
