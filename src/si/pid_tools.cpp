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
  worker_.RequestStop();
  worker_.Join();
}

bool PidFinder::Start(int startPid, int dwellMs, PidMode mode) {
  if (worker_.Running()) return false;
  next_ = startPid;
  Worker::Callbacks callbacks;
  if (callbacks_.finished) {
    callbacks.finished = [this](const RunResult& result) { callbacks_.finished(next_, result); };
  }
  return worker_.Start([this, startPid, dwellMs, mode](
                           RunControl& control) { return Run(control, startPid, dwellMs, mode); },
                       std::move(callbacks));
}

RunResult PidFinder::Run(RunControl& control, int startPid, int dwellMs, PidMode mode) {
  int next = startPid;
  std::vector<uint8_t> result(kProbeResultSize);
  RunResult outcome = RunResult::Done();
  while (true) {
    if (callbacks_.block) callbacks_.block(next, ProbeRangeText(next, mode));
    std::vector<uint8_t> block = ProbeBlock(next);
    LinkFailure failure;
    // The probe's status is not examined; a receiver that is gone is.
    if (ExecScsiCommand(transport_, ReceiverCommandBlock(static_cast<uint32_t>(block.size())),
                        ScsiDirection::kOut, block, nullptr, &failure) != kScsiSuccess &&
        EndsTheRun(failure.problem)) {
      outcome = RunResult::Failed(msg::si::kFinderLost, failure.reason);
      break;
    }
    control.Wait(std::chrono::milliseconds(std::max(dwellMs, 0)));
    size_t received = 0;
    std::fill(result.begin(), result.end(), 0);
    failure = {};
    if (ExecScsiCommand(transport_, ReadMemoryBlock(kProbeResultAddress, kProbeResultSize),
                        ScsiDirection::kIn, result, &received, &failure) == kScsiSuccess) {
      for (const std::string& line : ScanProbeResult(
               std::span(result).first(std::min(received, result.size())), next, mode)) {
        if (callbacks_.active) callbacks_.active(line);
      }
    } else if (EndsTheRun(failure.problem)) {
      outcome = RunResult::Failed(msg::si::kFinderLost, failure.reason);
      break;
    }
    next += kProbePids;
    next_ = next;
    // A start beyond the PID space ends after its (empty) block instead of counting for ever.
    if (next >= kPidCount) {
      if (!untilStopped_) break;
      next = 0;
      next_ = 0;
    }
    if (control.StopRequested()) break;
  }
  StopPidStream(transport_, false);
  return outcome;
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
                       std::function<void(const RunResult& result)> finished)
    : transport_(transport), packet_(std::move(packet)), finishedCallback_(std::move(finished)) {}

PidMonitor::~PidMonitor() {
  worker_.RequestStop();
  worker_.Join();
}

bool PidMonitor::Start(uint16_t pid, bool scsiBusy, PidMode mode, int maxPackets) {
  if (worker_.Running()) return false;
  Worker::Callbacks callbacks;
  callbacks.finished = finishedCallback_;
  return worker_.Start(
      [this, pid, scsiBusy, mode, maxPackets](RunControl& control) {
        return Run(control, pid, scsiBusy, mode, maxPackets);
      },
      std::move(callbacks));
}

RunResult PidMonitor::Run(RunControl& control, uint16_t pid, bool scsiBusy, PidMode mode,
                          int maxPackets) {
  SetScsiBusy(transport_, scsiBusy);
  LinkFailure failure;
  RunResult result = RunResult::Done();
  if (!SetupPidStream(transport_, pid, kPacketSize, kModeEntirePackets, true, &failure) &&
      EndsTheRun(failure.problem)) {
    result = RunResult::Failed(msg::si::kMonitorLost, failure.reason);
  }
  const ScsiBlock read = ReadSlotBlock(0, kPacketSize);
  std::vector<uint8_t> packet(kPacketSize);
  int dumped = 0;
  while (!result.Failed() && !control.StopRequested() && (maxPackets == 0 || dumped < maxPackets)) {
    size_t received = 0;
    failure = {};
    const int status =
        ExecScsiCommand(transport_, read, ScsiDirection::kIn, packet, &received, &failure);
    if (status != kScsiSuccess && EndsTheRun(failure.problem)) {
      result = RunResult::Failed(msg::si::kMonitorLost, failure.reason);
      break;
    }
    if (status != kScsiSuccess || received < kPacketSize) {
      control.Wait(kRetryDelay);
      continue;
    }
    std::string rows;
    for (const std::string& row : PacketDumpRows(packet)) rows += row;
    packet_(std::move(rows));
    ++dumped;
  }
  StopPidStream(transport_, true);
  if (!result.Failed() && dumped == 0) {
    const std::string shown = FormatRuntime(PidFormatsFor(mode).display, pid);
    result = RunResult::Failed(Format(msg::si::kMonitorNothing, shown.c_str()));
  }
  return result;
}

}  // namespace pelorus
