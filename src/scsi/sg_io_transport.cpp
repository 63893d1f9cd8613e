#include "scsi/sg_io_transport.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <utility>

#include "common/device_access.h"
#include "common/file_handle.h"

namespace pelorus {
namespace {

int ReadOwnId(const std::string& hostFolder, int host) {
  std::ifstream in(hostFolder + "/host" + std::to_string(host) + "/this_id");
  int id = -1;
  if (!(in >> id)) return -1;
  return id;
}

}  // namespace

void BuildSgIoHeader(sg_io_hdr& header, std::span<const uint8_t> cdb, ScsiDirection direction,
                     std::span<uint8_t> buffer, std::span<uint8_t> sense,
                     std::chrono::milliseconds timeout) {
  std::memset(&header, 0, sizeof header);
  header.interface_id = 'S';
  header.cmd_len = static_cast<unsigned char>(cdb.size());
  // The kernel only reads the command block; its field is not const.
  header.cmdp = const_cast<unsigned char*>(cdb.data());
  header.mx_sb_len = static_cast<unsigned char>(std::min<size_t>(sense.size(), 255));
  header.sbp = sense.data();
  header.timeout = static_cast<unsigned int>(timeout.count());
  switch (direction) {
    case ScsiDirection::kIn:
      header.dxfer_direction = SG_DXFER_FROM_DEV;
      break;
    case ScsiDirection::kOut:
      header.dxfer_direction = SG_DXFER_TO_DEV;
      break;
    case ScsiDirection::kNone:
      header.dxfer_direction = SG_DXFER_NONE;
      return;
  }
  header.dxfer_len = static_cast<unsigned int>(buffer.size());
  header.dxferp = buffer.data();
}

int StatusFromSgIoHeader(const sg_io_hdr& header) {
  if ((header.info & SG_INFO_OK_MASK) != SG_INFO_OK) return kScsiError;
  if (header.status != 0 || header.host_status != 0 || header.driver_status != 0) {
    return kScsiError;
  }
  return kScsiSuccess;
}

LinkProblem ProblemFromSgIoHeader(const sg_io_hdr& header) {
  // The host adapter's verdicts (linux/scsi.h): DID_NO_CONNECT, DID_BAD_TARGET and DID_TIME_OUT.
  constexpr unsigned kNoConnect = 0x01;
  constexpr unsigned kTimeOut = 0x03;
  constexpr unsigned kBadTarget = 0x04;
  constexpr unsigned kDriverTimeout = 0x06;  // DRIVER_TIMEOUT, in the low nibble
  if (header.host_status == kTimeOut || (header.driver_status & 0x0F) == kDriverTimeout) {
    return LinkProblem::kSilent;
  }
  if (header.host_status == kNoConnect || header.host_status == kBadTarget) {
    return LinkProblem::kLost;
  }
  return LinkProblem::kRefused;
}

SgIoTransport::SgIoTransport(std::string deviceFolder, std::string hostFolder)
    : deviceFolder_(std::move(deviceFolder)), hostFolder_(std::move(hostFolder)) {}

bool SgIoTransport::ListAdapters(std::vector<ScsiAdapter>& adapters) {
  devices_.clear();
  std::set<int> hosts;
  std::error_code error;
  // The first node this user may not open: with none opened, the receiver is behind one of them.
  std::string denied;
  for (const auto& entry : std::filesystem::directory_iterator(deviceFolder_, error)) {
    const std::string name = entry.path().filename().string();
    if (!name.starts_with("sg")) continue;
    const FileHandle device(::open(entry.path().c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC));
    if (device.get() < 0) {
      const int reason = errno;
      const std::string advice = DeviceAccessAdvice(entry.path().string(), reason);
      if (denied.empty() && !advice.empty()) {
        denied = entry.path().string() + ": " + std::strerror(reason) + "\n" + advice;
      }
      continue;
    }
    sg_scsi_id id{};
    if (::ioctl(device.get(), SG_GET_SCSI_ID, &id) != 0) continue;
    if (id.channel != 0 || id.lun != 0 || id.host_no > 255) continue;
    hosts.insert(id.host_no);
    devices_.emplace(std::make_pair(id.host_no, id.scsi_id), entry.path().string());
  }
  for (int host : hosts) adapters.push_back({host, ReadOwnId(hostFolder_, host)});
  if (adapters.empty()) {
    lastFailure_ = deviceFolder_ + ": no SCSI generic device (sg*) could be opened";
    if (!denied.empty()) lastFailure_ += "\n" + denied;
  }
  return !adapters.empty();
}

int SgIoTransport::Execute(ScsiAddress address, std::span<const uint8_t> cdb,
                           ScsiDirection direction, std::span<uint8_t> buffer, size_t& received) {
  lastFailure_.clear();
  const auto found = devices_.find({address.adapter, address.target});
  if (found == devices_.end()) {
    lastProblem_ = LinkProblem::kLost;
    return kScsiError;
  }
  const FileHandle device(::open(found->second.c_str(), O_RDWR | O_CLOEXEC));
  if (device.get() < 0) {
    // An unplugged adapter or a device that vanished: nothing more will reach the receiver.
    lastFailure_ = found->second + ": " + std::strerror(errno);
    lastProblem_ = LinkProblem::kLost;
    return kScsiError;
  }
  std::array<uint8_t, kSenseLength> sense{};
  sg_io_hdr header;
  BuildSgIoHeader(header, cdb, direction, buffer, sense, Timeout());
  if (::ioctl(device.get(), SG_IO, &header) != 0) {
    lastFailure_ = found->second + ": " + std::strerror(errno);
    lastProblem_ = LinkProblem::kLost;
    return kScsiError;
  }
  if (direction == ScsiDirection::kIn && header.resid >= 0 &&
      static_cast<size_t>(header.resid) <= buffer.size()) {
    received = buffer.size() - static_cast<size_t>(header.resid);
  }
  const int status = StatusFromSgIoHeader(header);
  if (status != kScsiSuccess) {
    lastProblem_ = ProblemFromSgIoHeader(header);
    if (lastProblem_ == LinkProblem::kSilent) {
      lastFailure_ = found->second + ": the receiver did not answer within the time-out";
    } else if (lastProblem_ == LinkProblem::kLost) {
      lastFailure_ = found->second + ": the receiver is no longer on the bus";
    }
  }
  return status;
}

}  // namespace pelorus
