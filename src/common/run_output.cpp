#include "common/run_output.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace pelorus {

RunOutput::RunOutput(std::string target, size_t unitSize)
    : target_(std::move(target)), unitSize_(std::max<size_t>(unitSize, 1)) {}

RunOutput::~RunOutput() { Discard(); }

void RunOutput::Fail(const std::string& path, int error) {
  if (failure_.path.empty() && failure_.error == 0 && failure_.reason.empty()) {
    failure_ = WriteFailure{path, error, ""};
  }
}

bool RunOutput::Open() {
  if (fd_ >= 0) return true;
  if (target_.empty()) {
    Fail(target_, ENOENT);
    return false;
  }
  SaveTarget target;
  if (!ResolveSaveTarget(target_, target, &failure_)) return false;
  finalPath_ = target.path;
  fd_ = CreateTemporaryBeside(finalPath_, temporary_);
  if (fd_ < 0) {
    Fail(finalPath_, errno);
    temporary_.clear();
    return false;
  }
  TakeOverOwnership(fd_, target);
  return true;
}

bool RunOutput::WriteThrough(std::span<const uint8_t> bytes) {
  const uint64_t start = FileBytes();
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int error = n < 0 ? errno : ENOSPC;
      // A part unit must not stay at the end of the file: back to where the whole ones end.
      if (::ftruncate(fd_, static_cast<off_t>(start)) != 0) {
        // The length cannot be trusted any more; the data is discarded at the end.
        dataBytes_ = 0;
        headerBytes_ = 0;
      }
      ::lseek(fd_, static_cast<off_t>(FileBytes()), SEEK_SET);
      writeFailed_ = true;
      Fail(temporary_, error);
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

bool RunOutput::WriteHeader(std::span<const uint8_t> bytes) {
  if (fd_ < 0 || writeFailed_) return false;
  if (!WriteThrough(bytes)) return false;
  headerBytes_ += bytes.size();
  return true;
}

bool RunOutput::WriteHeader(std::string_view text) {
  return WriteHeader(std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

bool RunOutput::Write(std::span<const uint8_t> bytes) {
  if (fd_ < 0 || writeFailed_) return false;
  if (unitSize_ == 1) {
    if (!WriteThrough(bytes)) return false;
    dataBytes_ += bytes.size();
    return true;
  }
  // Complete a waiting part unit first, then write every whole unit of the rest in one go.
  if (!partUnit_.empty()) {
    const size_t take = std::min(unitSize_ - partUnit_.size(), bytes.size());
    partUnit_.insert(partUnit_.end(), bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(take));
    bytes = bytes.subspan(take);
    if (partUnit_.size() < unitSize_) return true;
    if (!WriteThrough(partUnit_)) return false;
    dataBytes_ += unitSize_;
    partUnit_.clear();
  }
  const size_t whole = bytes.size() / unitSize_ * unitSize_;
  if (whole > 0) {
    if (!WriteThrough(bytes.first(whole))) return false;
    dataBytes_ += whole;
  }
  partUnit_.assign(bytes.begin() + static_cast<ptrdiff_t>(whole), bytes.end());
  return true;
}

bool RunOutput::Write(std::string_view text) {
  return Write(std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

RunOutput::Ending RunOutput::Finish() {
  if (fd_ < 0) return replaced_ ? Ending::kReplaced : Ending::kNoData;
  partUnit_.clear();
  if (!HasData()) {
    Discard();
    return Ending::kNoData;
  }
  bool placed = ::fsync(fd_) == 0;
  if (!placed) Fail(temporary_, errno);
  // Renamed while still locked, so no other save can take it for a stale one.
  if (placed && ::rename(temporary_.c_str(), finalPath_.c_str()) != 0) {
    Fail(finalPath_, errno);
    placed = false;
  }
  if (!placed) {
    Discard();
    return Ending::kFailed;
  }
  ::close(fd_);
  fd_ = -1;
  ForgetTemporary(temporary_);
  temporary_.clear();
  replaced_ = true;
  return Ending::kReplaced;
}

void RunOutput::Discard() {
  if (fd_ < 0) return;
  ::unlink(temporary_.c_str());
  ::close(fd_);
  fd_ = -1;
  ForgetTemporary(temporary_);
  temporary_.clear();
}

}  // namespace pelorus
