#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "streams/ts_packet.h"

namespace pelorus {

// The programme the recorder writes into its file: one service whose PMT names the recorded
// video, audio and PCR PIDs. Audio is labelled AC-3 (stream type 0x81) instead of MPEG-2 audio
// when `ac3` is set.
struct RecordedProgram {
  uint16_t videoPid = 0;
  uint16_t audioPid = 0;
  uint16_t pcrPid = 0;
  bool ac3 = false;
};

// The PAT and PMT packets the recorder writes first and then again on every tick, so that a
// player can start anywhere in the file. Each insertion recomputes both CRCs and then moves
// both continuity counters on by one.
class PsiTemplates {
 public:
  static constexpr uint16_t kPmtPid = 0x0020;

  PsiTemplates();
  explicit PsiTemplates(const RecordedProgram& program) : PsiTemplates() { SetProgram(program); }

  void SetProgram(const RecordedProgram& program);
  // The PAT and then the PMT (376 bytes) with fresh CRCs; the counters advance afterwards.
  std::span<const uint8_t> NextPair();

  ts::Packet Pat() const { return ts::Packet(pair_.data(), ts::kPacketSize); }
  ts::Packet Pmt() const { return ts::Packet(pair_.data() + ts::kPacketSize, ts::kPacketSize); }

 private:
  void RefreshCrcs();

  std::array<uint8_t, 2 * ts::kPacketSize> pair_{};
  uint8_t counter_ = 0;
};

}  // namespace pelorus
