#include "streams/ts_check.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <limits>
#include <memory>
#include <vector>

#include "common/file_dialogs.h"
#include "common/file_handle.h"
#include "common/file_io.h"
#include "common/strfmt.h"
#include "streams/messages.h"

namespace pelorus {
namespace {

// Reads large enough that the system calls cost nothing, small enough that each block is still
// in the processor's cache when its packets are counted.
constexpr size_t kReadBlock = size_t{256} << 10;

unsigned long long Ull(uint64_t value) { return static_cast<unsigned long long>(value); }

}  // namespace

size_t TsStatistics::Feed(std::span<const uint8_t> bytes) {
  const size_t whole = bytes.size() / ts::kPacketSize;
  const uint8_t* packet = bytes.data();
  uint64_t badSync = 0;
  uint64_t tsErrors = 0;
  // Branch-free: null packets and the stream's irregular PID order would otherwise keep the
  // branch predictor guessing, and the check has to keep up with the page cache.
  for (size_t i = 0; i < whole; ++i, packet += ts::kPacketSize) {
    const uint8_t b1 = packet[1];
    const uint8_t b3 = packet[3];
    badSync += packet[0] != ts::kSyncByte;
    tsErrors += b1 >> 7;
    const unsigned pid = ((b1 & 0x1Fu) << 8) | packet[2];
    ++packets_[pid];
    const unsigned counter = b3 & 0x0Fu;
    const unsigned last = lastCounter_[pid];
    // A packet with an adaptation field may repeat its counter once; it is not an error. A
    // repeat leaves the counter as it was, which is the counter it carries.
    const bool repeat = last == counter && (b3 & 0x20) != 0;
    const bool error = last != kUnknownCounter && !repeat && counter != ((last + 1) & 0x0Fu) &&
                       pid != ts::kNullPid;
    continuityErrors_[pid] += error;
    lastCounter_[pid] = static_cast<uint8_t>(counter);
  }
  badSync_ += badSync;
  tsErrors_ += tsErrors;
  packetsTotal_ += whole;
  return whole * ts::kPacketSize;
}

std::string TsStatistics::Report() const {
  std::string report = Format(msg::streams::kReportHeader, Ull(packetsTotal_));
  for (uint16_t pid = 0; pid < ts::kPidCount; ++pid) {
    if (packets_[pid] == 0) continue;
    const double share =
        static_cast<double>(packets_[pid]) / static_cast<double>(packetsTotal_) * 100;
    report += Format(msg::streams::kReportPidLine, static_cast<unsigned>(pid), Ull(packets_[pid]),
                     Ull(continuityErrors_[pid]), share);
  }
  report += Format(msg::streams::kReportBadSync, Ull(badSync_));
  report += Format(msg::streams::kReportTsErrors, Ull(tsErrors_));
  return report;
}

TsReadResult ReadTsFile(const std::string& path, TsStatistics& stats,
                        const std::function<void(int percent)>& progress) {
  // Only a regular file: a FIFO or a device would block or never end. Any size is checked.
  FileContents status;
  FileHandle file(OpenRegularFileForReading(path, std::numeric_limits<uint64_t>::max(), status));
  if (file.get() < 0) return TsReadResult::kCannotOpen;
  struct stat info {};
  if (::fstat(file.get(), &info) != 0) return TsReadResult::kCannotOpen;
  const uint64_t size = info.st_size > 0 ? static_cast<uint64_t>(info.st_size) : 0;
  ::posix_fadvise(file.get(), 0, 0, POSIX_FADV_SEQUENTIAL);

  // One spare packet in front of the block holds the tail of the previous read.
  std::unique_ptr<uint8_t[]> buffer(new uint8_t[kReadBlock + ts::kPacketSize]);
  size_t carried = 0;
  uint64_t done = 0;
  int shown = -1;
  for (;;) {
    const ssize_t got = ::read(file.get(), buffer.get() + carried, kReadBlock);
    if (got < 0) {
      if (errno == EINTR) continue;
      return TsReadResult::kReadFailed;
    }
    if (got == 0) break;
    const size_t have = carried + static_cast<size_t>(got);
    const size_t taken = stats.Feed({buffer.get(), have});
    carried = have - taken;
    if (carried > 0) std::copy(buffer.get() + taken, buffer.get() + have, buffer.get());
    done += static_cast<uint64_t>(got);
    // A file that grows while it is read must not push the bar beyond its end.
    const int percent =
        size > 0 ? static_cast<int>(std::min<uint64_t>(done, size) * 100 / size) : 0;
    if (percent != shown && progress) {
      shown = percent;
      progress(percent);
    }
  }
  return TsReadResult::kDone;
}

bool CheckTsFileAt(const std::string& path, Ui& ui,
                   const std::function<void(const std::string& report)>& showReport) {
  TsStatistics stats;
  TsReadResult result;
  {
    BusyScope busy(ui);
    ui.SetStatusText(msg::streams::kCheckingTs);
    ui.SetProgress(0, true);
    result = ReadTsFile(path, stats, [&ui](int percent) {
      ui.SetProgress(percent, true);
      ui.KeepAlive();
    });
    ui.SetProgress(0, false);
    ui.SetStatusText("");
  }
  if (result == TsReadResult::kCannotOpen) {
    ui.ShowMessage(msg::streams::kCannotOpenTs, Icon::kNone);
    return false;
  }
  if (result == TsReadResult::kReadFailed) {
    ui.ShowMessage(msg::streams::kCannotReadTs, Icon::kNone);
    return false;
  }
  showReport(stats.Report());
  return true;
}

bool CheckTsFile(EditorState& state, Ui& ui,
                 const std::function<void(const std::string& report)>& showReport) {
  FileRequest request;
  request.title = msg::streams::kCheckTsTitle;
  request.filterName = msg::streams::kTsFilterName;
  request.filterPattern = msg::streams::kTsFilterPattern;
  request.defaultExtension = msg::streams::kTsExtension;
  if (!AskOpenFile(ui, request, state.options.mppInitialDir)) return false;
  return CheckTsFileAt(request.path, ui, showReport);
}

}  // namespace pelorus
