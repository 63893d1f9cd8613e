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
#include "streams/continuity.h"
#include "streams/ts_packet.h"

namespace pelorus {

// Per-PID and total counts of a transport stream taken in 188-byte steps from its first byte.
// A packet whose sync byte is damaged while the stream stays in step (sync bytes 188 and 376
// bytes further on) is counted as a bad packet. Where the stream falls out of step, the bytes up
// to the next sync byte confirmed 188 and 376 bytes further on are skipped and counted apart, so
// that one lost byte does not make every later packet bad.
class TsStatistics {
 public:
  // Counts the next piece of the stream; pieces may be cut anywhere. Bytes that cannot be judged
  // before more arrive are kept for the next piece.
  void Feed(std::span<const uint8_t> bytes);
  // The stream has ended: what was kept is judged, and bytes too few for a packet are the tail.
  void Finish();

  uint64_t Packets() const { return packetsTotal_; }
  uint64_t BadSync() const { return badSync_; }
  uint64_t TsErrors() const { return tsErrors_; }
  uint64_t SkippedBytes() const { return skippedBytes_; }
  uint64_t SyncLosses() const { return syncLosses_; }
  uint64_t TailBytes() const { return tailBytes_; }
  uint64_t PidPackets(uint16_t pid) const { return pid < ts::kPidCount ? packets_[pid] : 0; }
  uint64_t PidContinuityErrors(uint16_t pid) const {
    return pid < ts::kPidCount ? continuityErrors_[pid] : 0;
  }

  // The report: the header with the total, one line per PID that has packets, in PID order, the
  // two totals of damaged packets, and, when there were any, the bytes skipped to find the sync
  // byte again and the tail too short for a packet.
  std::string Report() const;

 private:
  // Counts what it can of `bytes` and returns how many it used; at the end of the stream it uses
  // them all.
  size_t Step(const uint8_t* bytes, size_t size, bool atEnd);
  // From `at` while the stream is out of step: skips to the next confirmed sync byte (and leaves
  // the search) or to where more bytes are needed.
  size_t Search(const uint8_t* bytes, size_t size, size_t at, bool atEnd);
  void CountPacket(const uint8_t* packet);

  // The most a piece can leave undecided is the look-ahead of two packets and a byte; joining
  // it with the start of the next piece needs room for that twice over.
  static constexpr size_t kCarryRoom = 1024;

  std::array<uint64_t, ts::kPidCount> packets_{};
  std::array<uint64_t, ts::kPidCount> continuityErrors_{};
  ContinuityChecker continuity_;
  uint64_t packetsTotal_ = 0;
  uint64_t badSync_ = 0;
  uint64_t tsErrors_ = 0;
  uint64_t skippedBytes_ = 0;
  uint64_t syncLosses_ = 0;
  uint64_t tailBytes_ = 0;
  bool started_ = false;  // the first packet is confirmed like one found after lost sync
  bool searching_ = false;
  std::array<uint8_t, kCarryRoom> carry_{};
  size_t carried_ = 0;
};

enum class TsReadResult { kDone, kCannotOpen, kReadFailed };

// Reads the file at `path` in large blocks into `stats`. `progress` gets the share of the file
// done, in percent, each time it changes. On failure `detail` (when given) says "PATH: reason".
TsReadResult ReadTsFile(const std::string& path, TsStatistics& stats,
                        const std::function<void(int percent)>& progress,
                        std::string* detail = nullptr);

// Checks the file at `path` with the status line and progress bar, and hands the report to
// `showReport`. False (with the message and its reason shown) when the file could not be read.
bool CheckTsFileAt(const std::string& path, Ui& ui,
                   const std::function<void(const std::string& report)>& showReport);

// The menu command: asks for the file (in the folder remembered for stream files), then checks
// it. False when cancelled or failed.
bool CheckTsFile(EditorState& state, Ui& ui,
                 const std::function<void(const std::string& report)>& showReport);

}  // namespace pelorus
