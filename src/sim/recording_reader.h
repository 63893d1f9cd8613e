#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "multiplex.h"
#include "recording_tables.h"

namespace sim {

// Continuity across the loop of a replayed recording: each PID's counters are shifted by one
// amount per pass, chosen when the PID first shows up in the pass so that its first packet
// follows the last one sent. Within a pass the file's own counters (and their faults) stay.
class ContinuityRewriter {
 public:
  ContinuityRewriter();
  void NewPass() { ++pass_; }
  void Rewrite(Packet& packet);

 private:
  uint32_t pass_ = 0;
  std::array<int8_t, 8192> last_{};         // last counter sent, -1 none
  std::array<uint8_t, 8192> shift_{};       // added to the file's counters in this pass
  std::array<uint32_t, 8192> shiftPass_{};  // the pass `shift_` was chosen for, plus one
};

// Reads a recording's packets one after another, for ever: at the end it starts again. 192-byte
// packets lose their time code; a packet whose sync byte is wrong but whose neighbours are in
// step is served as it is; where the sync is lost (a cut), the bytes up to the next three
// packets in step are skipped and counted. A partial packet at the end is left out.
class RecordingReader {
 public:
  RecordingReader(std::string path, PacketFormat format);
  ~RecordingReader();
  RecordingReader(const RecordingReader&) = delete;
  RecordingReader& operator=(const RecordingReader&) = delete;

  // False when the file cannot be read or holds no packet at all.
  bool Next(Packet& out);
  uint64_t Passes() const { return passes_; }
  uint64_t SkippedBytes() const { return skipped_; }

 private:
  bool Fill(size_t wanted);  // at least `wanted` bytes buffered from `at_`, unless at the end
  bool Rewind();

  std::string path_;
  PacketFormat format_;
  std::FILE* file_ = nullptr;
  std::vector<uint8_t> buffer_;
  size_t at_ = 0;
  bool atEnd_ = false;
  bool packetsThisPass_ = false;
  uint64_t passes_ = 0;
  uint64_t skipped_ = 0;
  ContinuityRewriter continuity_;
};

}  // namespace sim
