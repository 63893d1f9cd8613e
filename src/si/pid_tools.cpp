#include "si/pid_tools.h"

#include <algorithm>
#include <chrono>

#include "common/strfmt.h"
#include "scsi/receiver_commands.h"
#include "scsi/stream_primitives.h"
#include "si/messages.h"

namespace pelorus {
namespace {

constexpr uint8_t kProbeCommand = 0x3F;
using ts::kPacketSize;
constexpr int kDumpRowBytes = 16;
constexpr uint16_t kModeEntirePackets = 6;
constexpr auto kRetryDelay = std::chrono::milliseconds(10);

}  // namespace

int ProbeBlockCount(int startPid) {
  if (startPid < 0 || startPid >= kPidCount) return 0;
  return std::min(kProbePids, kPidCount - startPid);
}

std::vector<uint8_t> ProbeBlock(int startPid) {
  std::vector<uint8_t> block = {kProbeCommand};
  const int count = ProbeBlockCount(startPid);
  for (int k = 0; k < count; ++k) {
    const int pid = startPid + k;
    block.push_back(static_cast<uint8_t>(pid >> 8));
    block.push_back(static_cast<uint8_t>(pid));
  }
  block.push_back(0xFF);
  block.push_back(0xFF);
  if (block.size() % 2 != 0) block.push_back(0);
  return block;
}

std::string ProbeRangeText(int startPid, PidMode mode) {
  const PidFormats formats = PidFormatsFor(mode);
  const int count = ProbeBlockCount(startPid);
  const int last = startPid + count >= kPidCount ? kPidCount : startPid + count - 1;
  return FormatRuntime(formats.display, startPid) + " - " + FormatRuntime(formats.display, last);
}

std::string PidActiveLine(int pid, int scrambling, PidMode mode) {
  const std::string format = FormatRuntime(msg::si::kPidActive, PidFormatsFor(mode).display);
  return FormatRuntime(format.c_str(), pid, scrambling);
}

std::vector<std::string> ScanProbeResult(std::span<const uint8_t> result, int startPid,
                                         PidMode mode) {
  std::vector<std::string> lines;
  const int count = ProbeBlockCount(startPid);
  for (int k = 0; k < count; ++k) {
    const size_t from = static_cast<size_t>(k) * kProbeAreaSize;
    if (from >= result.size()) break;
    const auto area = result.subspan(from, std::min<size_t>(kProbeAreaSize, result.size() - from));
    const int pid = startPid + k;
    // The header's PID bytes and the scrambling byte after them must lie inside the area.
    for (size_t i = 0; i + 3 < area.size(); ++i) {
      if (area[i] != ts::kSyncByte || (((area[i + 1] << 8) | area[i + 2]) & ts::kPidMask) != pid)
        continue;
      lines.push_back(PidActiveLine(pid, area[i + 3] >> 6, mode));
      break;
    }
  }
  return lines;
}

PidFinder::PidFinder(ScsiTransport& transport, Callbacks callbacks)
    : transport_(transport), callbacks_(std::move(callbacks)) {}

PidFinder::~PidFinder() {
  RequestStop();
  Join();
}

void PidFinder::Start(int startPid, int dwellMs, PidMode mode) {
  Join();
  stop_ = false;
  running_ = true;
  thread_ = std::thread([this, startPid, dwellMs, mode] { Run(startPid, dwellMs, mode); });
}

void PidFinder::RequestStop() {
  {
    std::lock_guard guard(waitLock_);
    stop_ = true;
  }
  wake_.notify_all();
}

void PidFinder::Join() {
  if (thread_.joinable()) thread_.join();
}

void PidFinder::Run(int startPid, int dwellMs, PidMode mode) {
  int next = startPid;
  std::vector<uint8_t> result(kProbeResultSize);
  while (true) {
    if (callbacks_.block) callbacks_.block(next, ProbeRangeText(next, mode));
    std::vector<uint8_t> block = ProbeBlock(next);
    ExecScsiCommand(transport_, ReceiverCommandBlock(static_cast<uint32_t>(block.size())),
                    ScsiDirection::kOut, block);
    {
      std::unique_lock guard(waitLock_);
      wake_.wait_for(guard, std::chrono::milliseconds(std::max(dwellMs, 0)),
                     [this] { return stop_.load(); });
    }
    size_t received = 0;
    std::fill(result.begin(), result.end(), 0);
    if (ExecScsiCommand(transport_, ReadMemoryBlock(kProbeResultAddress, kProbeResultSize),
                        ScsiDirection::kIn, result, &received) == kScsiSuccess) {
      for (const std::string& line : ScanProbeResult(
               std::span(result).first(std::min(received, result.size())), next, mode)) {
        if (callbacks_.active) callbacks_.active(line);
      }
    }
    next += kProbePids;
    // A start beyond the PID space ends after its (empty) block instead of counting for ever.
    if (next >= kPidCount) {
      if (!untilStopped_) break;
      next = 0;
    }
    if (stop_) break;
  }
  StopPidStream(transport_, false);
  running_ = false;
  if (callbacks_.finished) callbacks_.finished(next);
}

std::vector<std::string> PacketDumpRows(std::span<const uint8_t> packet) {
  std::vector<std::string> rows;
  for (size_t offset = 0; offset < kPacketSize; offset += kDumpRowBytes) {
    std::string row = Format("%02x: ", static_cast<unsigned>(offset));
    std::string characters;
    for (size_t i = offset; i < offset + kDumpRowBytes; ++i) {
      if (i < kPacketSize && i < packet.size()) {
        row += Format("%02x ", packet[i]);
        characters += (packet[i] < 0x20 || packet[i] >= 0x80) ? '.' : static_cast<char>(packet[i]);
      } else {
        row += "   ";
        characters += ' ';
      }
    }
    row += characters;
    row += "\r\n";
    rows.push_back(std::move(row));
  }
  rows.back() += "\r\n";
  return rows;
}

PidMonitor::PidMonitor(ScsiTransport& transport, std::function<void(std::string rows)> packet,
                       std::function<void()> finished)
    : transport_(transport), packet_(std::move(packet)), finishedCallback_(std::move(finished)) {}

PidMonitor::~PidMonitor() {
  RequestStop();
  Join();
}

void PidMonitor::Start(uint16_t pid, bool scsiBusy, int maxPackets) {
  Join();
  stop_ = false;
  finished_ = false;
  thread_ = std::thread([this, pid, scsiBusy, maxPackets] { Run(pid, scsiBusy, maxPackets); });
}

void PidMonitor::RequestStop() {
  {
    std::lock_guard guard(waitLock_);
    stop_ = true;
  }
  wake_.notify_all();
}

void PidMonitor::Join() {
  if (thread_.joinable()) thread_.join();
}

void PidMonitor::Run(uint16_t pid, bool scsiBusy, int maxPackets) {
  SetScsiBusy(transport_, scsiBusy);
  SetupPidStream(transport_, pid, kPacketSize, kModeEntirePackets, true);
  const ScsiBlock read = ReadSlotBlock(0, kPacketSize);
  std::vector<uint8_t> packet(kPacketSize);
  int dumped = 0;
  while (!stop_ && (maxPackets == 0 || dumped < maxPackets)) {
    size_t received = 0;
    if (ExecScsiCommand(transport_, read, ScsiDirection::kIn, packet, &received) != kScsiSuccess ||
        received < kPacketSize) {
      std::unique_lock guard(waitLock_);
      wake_.wait_for(guard, kRetryDelay, [this] { return stop_.load(); });
      continue;
    }
    std::string rows;
    for (const std::string& row : PacketDumpRows(packet)) rows += row;
    packet_(std::move(rows));
    ++dumped;
  }
  StopPidStream(transport_, true);
  finished_ = true;
  if (finishedCallback_) finishedCallback_();
}

}  // namespace pelorus
