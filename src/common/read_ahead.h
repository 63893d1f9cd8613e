#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

namespace pelorus {

// Reads a file descriptor in blocks on a thread of its own, one block ahead of the reader, into
// two page-aligned buffers: the kernel's copy of the next block runs while the last one is
// looked at, and into an aligned buffer it is several times faster.
class ReadAhead {
 public:
  // The block for reading a whole recording. Handing a block from one thread to the other costs
  // tens of microseconds on a virtual machine, as much as copying 200 KiB: with fewer, larger
  // blocks the hand-offs vanish beside the copy, and 4 MiB still sits in the shared cache when
  // it is looked at.
  static constexpr size_t kFileBlock = size_t{4} << 20;

  ReadAhead(int file, size_t blockSize);
  // Stops reading (a block being read is finished) and joins the thread.
  ~ReadAhead();
  ReadAhead(const ReadAhead&) = delete;
  ReadAhead& operator=(const ReadAhead&) = delete;

  struct Block {
    std::span<const uint8_t> bytes;  // empty at the end of the file or after an error
    int error = 0;                   // errno of a failed read
  };
  // The next block; the one returned before is given back for reading into.
  Block Next();

 private:
  struct Slot {
    uint8_t* data = nullptr;
    bool full = false;
    size_t size = 0;
    int error = 0;
  };
  void Run();

  int file_;
  size_t blockSize_;
  std::vector<uint8_t> storage_;
  Slot slots_[2];
  int next_ = 0;          // the slot Next returns
  bool holding_ = false;  // the reader holds the slot before next_
  bool stop_ = false;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::thread thread_;
};

}  // namespace pelorus
