#pragma once

#include <scsi/sg.h>

#include <chrono>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "scsi/scsi_transport.h"

namespace pelorus {

// Linux SCSI generic devices (/dev/sg*): the adapter is the host number and the target the
// SCSI id; only channel 0, LUN 0 devices are reachable.
class SgIoTransport : public ScsiTransport {
 public:
  // `deviceFolder` is where the sg nodes are; `hostFolder` where the kernel tells each host's
  // own id (this_id). Both are parameters so that nothing else is hard-wired.
  explicit SgIoTransport(std::string deviceFolder = "/dev",
                         std::string hostFolder = "/sys/class/scsi_host");

 protected:
  int Execute(ScsiAddress address, std::span<const uint8_t> cdb, ScsiDirection direction,
              std::span<uint8_t> buffer, size_t& received) override;
  bool ListAdapters(std::vector<ScsiAdapter>& adapters) override;

 private:
  std::string deviceFolder_;
  std::string hostFolder_;
  std::map<std::pair<int, int>, std::string> devices_;  // (host, id) -> device path
};

inline constexpr unsigned char kSenseLength = 14;

// Fills the request header of one command. The header points into `cdb`, `buffer` and
// `sense`, which must outlive the ioctl.
void BuildSgIoHeader(sg_io_hdr& header, std::span<const uint8_t> cdb, ScsiDirection direction,
                     std::span<uint8_t> buffer, std::span<uint8_t> sense,
                     std::chrono::milliseconds timeout);

// kScsiSuccess when the kernel, the adapter and the device all report a clean completion.
int StatusFromSgIoHeader(const sg_io_hdr& header);
// Why a command with a failed status failed: the adapter's time-out, a target that is gone, or
// the receiver's own refusal.
LinkProblem ProblemFromSgIoHeader(const sg_io_hdr& header);

}  // namespace pelorus
