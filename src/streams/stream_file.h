#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace pelorus {

// Where a capture or a recording goes. Stream files grow while the receiver sends, so they are
// written in place, not through a temporary file. Tests put a failing sink in its place.
class StreamSink {
 public:
  virtual ~StreamSink() = default;
  // Writes all of `bytes` and returns true, or returns false with `*written` (if given) saying
  // how many of them reached the file.
  virtual bool Write(std::span<const uint8_t> bytes, size_t* written = nullptr) = 0;
  // Cuts the file back to `length` bytes, so a failed write leaves no part packet behind.
  virtual bool Truncate(uint64_t length) = 0;
};

class StreamFile : public StreamSink {
 public:
  StreamFile() = default;
  ~StreamFile() override;
  StreamFile(const StreamFile&) = delete;
  StreamFile& operator=(const StreamFile&) = delete;

  // Creates `path`, replacing an old file.
  bool Create(const std::string& path);
  bool Write(std::span<const uint8_t> bytes, size_t* written = nullptr) override;
  bool Truncate(uint64_t length) override;
  bool Close();
  bool IsOpen() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

}  // namespace pelorus
