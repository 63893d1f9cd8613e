#include "scsi_faults.h"

#include <cstdlib>

namespace sim {

ScsiFault ParseScsiFault(const std::string& text) {
  using Kind = ScsiFault::Kind;
  ScsiFault fault;
  const size_t colon = text.find(':');
  const std::string name = text.substr(0, colon);
  if (colon != std::string::npos) {
    fault.command = std::atoi(text.c_str() + colon + 1);
    if (fault.command < 1) fault.command = 1;
  }
  if (name == "scsi-fail") fault.kind = Kind::kFail;
  if (name == "scsi-huge-count") fault.kind = Kind::kHugeCount;
  if (name == "scsi-silent") fault.kind = Kind::kSilent;
  if (name == "scsi-disconnect") fault.kind = Kind::kDisconnect;
  if (name == "scsi-short") fault.kind = Kind::kShortAnswer;
  return fault;
}

ScsiFault::Kind FaultCounter::Next() {
  const int number = ++count_;
  if (fault_.kind == ScsiFault::Kind::kHugeCount) return fault_.kind;
  return number == fault_.command ? fault_.kind : ScsiFault::Kind::kNone;
}

}  // namespace sim
