// Reading a recorded stream for the file check, and the command around it.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

#include "common/file_dialogs.h"
#include "common/file_handle.h"
#include "common/file_io.h"
#include "common/read_ahead.h"
#include "common/strfmt.h"
#include "streams/messages.h"
#include "streams/ts_check.h"

namespace pelorus {
namespace {

// What is at `path` when it is not a file that can be read: a folder, a FIFO, a device.
std::string NotAFileReason(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return std::strerror(errno);
  if (S_ISDIR(info.st_mode)) return std::strerror(EISDIR);
  if (S_ISFIFO(info.st_mode)) return msg::streams::kTsIsFifo;
  if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode)) return msg::streams::kTsIsDevice;
  if (S_ISSOCK(info.st_mode)) return msg::streams::kTsIsSocket;
  return msg::streams::kTsNotRegular;
}

std::string OpenFailureText(const std::string& path, const FileContents& status) {
  if (status.problem == FileProblem::kNotRegular) {
    return Format("%s: %s", path.c_str(), NotAFileReason(path).c_str());
  }
  return FileProblemText(path, status);
}

}  // namespace

TsReadResult ReadTsFile(const std::string& path, TsStatistics& stats,
                        const std::function<void(int percent)>& progress, std::string* detail) {
  // Only a regular file: a FIFO or a device would block or never end. Any size is checked.
  FileContents status;
  FileHandle file(OpenRegularFileForReading(path, std::numeric_limits<uint64_t>::max(), status));
  if (file.get() < 0) {
    if (detail != nullptr) *detail = OpenFailureText(path, status);
    return TsReadResult::kCannotOpen;
  }
  struct stat info {};
  if (::fstat(file.get(), &info) != 0) {
    if (detail != nullptr) *detail = Format("%s: %s", path.c_str(), std::strerror(errno));
    return TsReadResult::kCannotOpen;
  }
  const uint64_t size = info.st_size > 0 ? static_cast<uint64_t>(info.st_size) : 0;
  ::posix_fadvise(file.get(), 0, 0, POSIX_FADV_SEQUENTIAL);

  // The next block is read on a thread of its own while the last one is checked.
  ReadAhead reader(file.get(), ReadAhead::kFileBlock);
  uint64_t done = 0;
  int shown = -1;
  for (;;) {
    const ReadAhead::Block block = reader.Next();
    if (block.error != 0) {
      if (detail != nullptr) *detail = Format("%s: %s", path.c_str(), std::strerror(block.error));
      return TsReadResult::kReadFailed;
    }
    if (block.bytes.empty()) break;
    stats.Feed(block.bytes);
    done += block.bytes.size();
    // A file that grows while it is read must not push the bar beyond its end.
    const int percent =
        size > 0 ? static_cast<int>(std::min<uint64_t>(done, size) * 100 / size) : 0;
    if (percent != shown && progress) {
      shown = percent;
      progress(percent);
    }
  }
  stats.Finish();
  return TsReadResult::kDone;
}

bool CheckTsFileAt(const std::string& path, Ui& ui,
                   const std::function<void(const std::string& report)>& showReport) {
  TsStatistics stats;
  TsReadResult result;
  std::string detail;
  {
    BusyScope busy(ui);
    ui.SetStatusText(msg::streams::kCheckingTs);
    ui.SetProgress(0, true);
    result = ReadTsFile(
        path, stats,
        [&ui](int percent) {
          ui.SetProgress(percent, true);
          ui.KeepAlive();
        },
        &detail);
    ui.SetProgress(0, false);
    ui.SetStatusText("");
  }
  if (result == TsReadResult::kCannotOpen) {
    ui.ShowDetailedMessage(msg::streams::kCannotOpenTs, detail, Icon::kNone);
    return false;
  }
  if (result == TsReadResult::kReadFailed) {
    ui.ShowDetailedMessage(msg::streams::kCannotReadTs, detail, Icon::kNone);
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
