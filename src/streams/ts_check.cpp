#include "streams/ts_check.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <vector>

#include "common/file_dialogs.h"
#include "common/strfmt.h"
#include "streams/messages.h"

namespace pelorus {
namespace {

// Large reads keep the check as fast as the page cache can hand the file over.
constexpr size_t kReadBlock = size_t{1} << 20;

class FileHandle {
 public:
  explicit FileHandle(int fd) : fd_(fd) {}
  ~FileHandle() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

unsigned long long Ull(uint64_t value) { return static_cast<unsigned long long>(value); }

}  // namespace

size_t TsStatistics::Feed(std::span<const uint8_t> bytes) {
  const size_t whole = bytes.size() / kTsCheckPacketSize;
  const uint8_t* packet = bytes.data();
  for (size_t i = 0; i < whole; ++i, packet += kTsCheckPacketSize) {
    const uint8_t b1 = packet[1];
    const uint8_t b3 = packet[3];
    badSync_ += packet[0] != 0x47 ? 1 : 0;
    tsErrors_ += b1 >> 7;
    const uint16_t pid = static_cast<uint16_t>(((b1 & 0x1F) << 8) | packet[2]);
    PidStats& stats = pids_[pid];
    ++stats.packets;
    if (pid == kTsNullPid) continue;
    const uint8_t counter = b3 & 0x0F;
    if (stats.lastCounter == kUnknownCounter) {
      stats.lastCounter = counter;
      continue;
    }
    // A packet with an adaptation field may repeat its counter once; it is not an error.
    if (stats.lastCounter == counter && (b3 & 0x20) != 0) continue;
    if (counter != ((stats.lastCounter + 1) & 0x0F)) ++stats.continuityErrors;
    stats.lastCounter = counter;
  }
  packets_ += whole;
  return whole * kTsCheckPacketSize;
}

std::string TsStatistics::Report() const {
  std::string report = Format(msg::streams::kReportHeader, Ull(packets_));
  for (uint16_t pid = 0; pid < kTsPidCount; ++pid) {
    const PidStats& stats = pids_[pid];
    if (stats.packets == 0) continue;
    const double share = static_cast<double>(stats.packets) / static_cast<double>(packets_) * 100;
    report += Format(msg::streams::kReportPidLine, static_cast<unsigned>(pid), Ull(stats.packets),
                     Ull(stats.continuityErrors), share);
  }
  report += Format(msg::streams::kReportBadSync, Ull(badSync_));
  report += Format(msg::streams::kReportTsErrors, Ull(tsErrors_));
  return report;
}

TsReadResult ReadTsFile(const std::string& path, TsStatistics& stats,
                        const std::function<void(int percent)>& progress) {
  FileHandle file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.get() < 0) return TsReadResult::kCannotOpen;
  struct stat info {};
  if (::fstat(file.get(), &info) != 0 || S_ISDIR(info.st_mode)) return TsReadResult::kCannotOpen;
  const uint64_t size = info.st_size > 0 ? static_cast<uint64_t>(info.st_size) : 0;
  ::posix_fadvise(file.get(), 0, 0, POSIX_FADV_SEQUENTIAL);

  // One spare packet in front of the block holds the tail of the previous read.
  std::unique_ptr<uint8_t[]> buffer(new uint8_t[kReadBlock + kTsCheckPacketSize]);
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
