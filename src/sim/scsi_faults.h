#pragma once

#include <atomic>
#include <string>

namespace sim {

// The one misbehaviour --fault asks the SCSI side for: NAME or NAME:N, where N counts the
// commands that are neither a bus request nor INQUIRY (the first is 1, default 1). Names
// without the "scsi-" prefix (the serial side's) leave it well-behaved.
struct ScsiFault {
  enum class Kind {
    kNone,
    kFail,         // "scsi-fail:N": command N ends with status 4
    kHugeCount,    // "scsi-huge-count": the channel count is 65537
    kSilent,       // "scsi-silent:N": command N is never answered
    kDisconnect,   // "scsi-disconnect:N": the connection is closed instead of answering N
    kShortAnswer,  // "scsi-short:N": command N answers half the data asked for, status 1
  };
  Kind kind = Kind::kNone;
  int command = 1;
};

// False for a "scsi-" name it does not know, or an N that is not a positive number.
bool ParseScsiFault(const std::string& text, ScsiFault& fault);

// Counts the commands a fault is aimed at, across all connections.
class FaultCounter {
 public:
  explicit FaultCounter(ScsiFault fault) : fault_(fault) {}
  // Called once per counted command: the fault to apply to it, if any.
  ScsiFault::Kind Next();
  ScsiFault::Kind Always() const { return fault_.kind; }

 private:
  ScsiFault fault_;
  std::atomic<int> count_{0};
};

}  // namespace sim
