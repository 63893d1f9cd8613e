#include "scsi/scsi_transport.h"

#include <algorithm>

namespace pelorus {

int ScsiTransport::Exec(ScsiAddress address, std::span<const uint8_t> cdb, ScsiDirection direction,
                        std::span<uint8_t> buffer, size_t* received, LinkFailure* failure) {
  std::lock_guard lock(mutex_);
  size_t count = 0;
  if (direction == ScsiDirection::kIn) std::fill(buffer.begin(), buffer.end(), uint8_t{0});
  lastProblem_ = LinkProblem::kNone;
  const int status = Execute(address, cdb, direction, buffer, count);
  if (status == kScsiSuccess) {
    lastProblem_ = LinkProblem::kNone;
  } else if (lastProblem_ == LinkProblem::kNone) {
    lastProblem_ = LinkProblem::kRefused;
  }
  if (received != nullptr) *received = direction == ScsiDirection::kIn ? count : 0;
  if (failure != nullptr) {
    failure->problem = lastProblem_;
    failure->reason = status == kScsiSuccess ? std::string() : lastFailure_;
  }
  return status;
}

bool ScsiTransport::QueryBus(std::vector<ScsiAdapter>& adapters) {
  std::lock_guard lock(mutex_);
  adapters.clear();
  return ListAdapters(adapters);
}

int ExecScsiCommand(ScsiTransport& transport, std::span<const uint8_t> cdb, ScsiDirection direction,
                    std::span<uint8_t> buffer, size_t* received, LinkFailure* failure) {
  return transport.Exec(transport.receiverAddress, cdb, direction, buffer, received, failure);
}

bool ExecScsiCommandFully(ScsiTransport& transport, std::span<const uint8_t> cdb,
                          ScsiDirection direction, std::span<uint8_t> buffer) {
  size_t received = 0;
  const int status = ExecScsiCommand(transport, cdb, direction, buffer, &received);
  if (status != kScsiSuccess) return false;
  return direction != ScsiDirection::kIn || received == buffer.size();
}

}  // namespace pelorus
