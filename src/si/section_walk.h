#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "common/ts_numbers.h"

namespace pelorus {

// Assembles the sections of one PID from whole 188-byte packets, as the EIT browser's capture
// does per slot: a packet that starts a unit finishes the bytes held (up to its pointer field)
// and hands them on, then starts holding again after the pointer; other packets are appended
// while something is held. Bytes are handed on only when the next unit starts.
class SectionAssembler {
 public:
  // Longer than any section the walk accepts; holding more means the stream lost its way.
  static constexpr size_t kMaxHeld = 3908;
  static constexpr size_t kPacketSize = ts::kPacketSize;

  using Sink = std::function<void(std::span<const uint8_t> sections)>;

  // One read of packets. A packet without the sync byte, or a pointer field that cannot fit
  // in its packet, ends the read there. A short tail is ignored.
  void FeedRead(std::span<const uint8_t> packets, const Sink& sink);
  size_t Held() const { return held_.size(); }

 private:
  std::vector<uint8_t> held_;
};

// Walks the sections of an assembled buffer: stuffing bytes are skipped, each section is
// checked by its CRC-32 (a mismatch counts one error and ends the walk), a table_id 0x00 ends
// it, stuffing tables (0x72) are skipped, every other section goes to `parse`. Each
// `parse` receives the whole section, CRC included.
void WalkSections(std::span<const uint8_t> data,
                  const std::function<void(std::span<const uint8_t> section)>& parse,
                  int& crcErrors);

}  // namespace pelorus
