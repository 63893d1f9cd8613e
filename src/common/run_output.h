#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/file_io.h"

namespace pelorus {

// The file a long run writes (a capture, a recording, a scan, a guide). What arrives goes to a
// temporary file beside the target, in whole units (188-byte packets, lines), and replaces the
// target when the run ends with data; a run that ends before any data arrived leaves the target
// exactly as it was. A write that fails (a full disk) keeps the whole units already written, and
// they still replace the target at the end: the run reports the failure and what was kept.
class RunOutput {
 public:
  // `unitSize` 1 writes bytes as they come (callers of text write whole lines at a time).
  explicit RunOutput(std::string target, size_t unitSize = 1);
  ~RunOutput();
  RunOutput(const RunOutput&) = delete;
  RunOutput& operator=(const RunOutput&) = delete;

  // Creates the temporary file. False, with Failure() saying why, when the target cannot be
  // replaced (not a regular file, a folder that cannot be written, a name too long).
  bool Open();
  bool IsOpen() const { return fd_ >= 0; }

  // What opens the file (a scan's header line, a recording's PAT and PMT). It is written but is
  // not data: a file that holds only its header does not replace the target.
  bool WriteHeader(std::span<const uint8_t> bytes);
  bool WriteHeader(std::string_view text);
  // Appends data. Only whole units reach the file; the bytes of a part unit wait for the rest
  // (and are dropped at the end). False once a write failed: nothing more is written then.
  bool Write(std::span<const uint8_t> bytes);
  bool Write(std::string_view text);

  // Whole units of data in the file (the header not counted), and the file's length.
  uint64_t DataBytes() const { return dataBytes_; }
  uint64_t FileBytes() const { return headerBytes_ + dataBytes_; }
  bool HasData() const { return dataBytes_ > 0; }
  bool WriteFailed() const { return writeFailed_; }

  enum class Ending {
    kReplaced,  // the data is in place at the target
    kNoData,    // nothing arrived: the target is as it was
    kFailed,    // the data could not be put in place (Failure()); the target is as it was
  };
  // Ends the output: flushes the temporary to disk and renames it over the target when data
  // arrived, or removes it. Safe to call more than once; the destructor discards.
  Ending Finish();
  // Removes the temporary, whatever it holds; the target stays as it was.
  void Discard();

  const std::string& Target() const { return target_; }
  // The first write or save that failed: "PATH: reason".
  const WriteFailure& Failure() const { return failure_; }
  std::string FailureText() const { return WriteFailureText(failure_); }

 private:
  bool WriteThrough(std::span<const uint8_t> bytes);
  void Fail(const std::string& path, int error);

  std::string target_;
  size_t unitSize_;
  std::string finalPath_;  // the target with its links followed
  std::string temporary_;
  int fd_ = -1;
  uint64_t headerBytes_ = 0;
  uint64_t dataBytes_ = 0;
  std::vector<uint8_t> partUnit_;
  bool writeFailed_ = false;
  bool replaced_ = false;
  WriteFailure failure_;
};

}  // namespace pelorus
