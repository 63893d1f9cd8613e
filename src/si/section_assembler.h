#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "common/ts_numbers.h"
#include "si/section.h"

namespace pelorus {

// What one 188-byte packet carries for the section layer. Without a unit start the whole
// payload is `tail` (the continuation of a section begun earlier); with one, `tail` is what the
// pointer field skips and `start` runs from the first section that begins in this packet.
struct PsiPayload {
  enum class Status {
    kOk,
    kNoPayload,  // adaptation field only (or the reserved control value): nothing to assemble
    kBroken,     // no sync byte, an adaptation field or pointer field past the packet
  };
  Status status = Status::kBroken;
  bool unitStart = false;
  std::span<const uint8_t> tail;
  std::span<const uint8_t> start;
};
// Reads the header, skips an adaptation field, follows the pointer field.
PsiPayload SplitPsiPayload(std::span<const uint8_t> packet);

// Assembles the sections of one PID from its packets, in one of two ways; one assembler is used
// one way only.
//
// Section by section (`Feed`): every section goes to the sink as soon as its last byte is in,
// parsed once and its CRC checked: several sections in one packet, a section across many, the
// pointer field, stuffing (0xFF) after the last section of a packet. A lost or repeated packet
// (continuity counter), a damaged one (transport error) or a section longer than the limit
// loses the section being assembled, never the next one. The section handed to the sink views
// the assembler's bytes: it is valid during the call only.
//
// Unit by unit (`FeedRead`), as the EIT browser's capture does per slot: a packet that starts a
// unit finishes the bytes held (up to its pointer field) and hands them on, then starts holding
// again after the pointer; other packets are appended while something is held. Bytes are
// handed on only when the next unit starts, and holding more than kMaxHeld bytes drops them.
class SectionAssembler {
 public:
  // Longer than any unit the EIT browser's walk accepts; holding more means the stream lost
  // its way.
  static constexpr size_t kMaxHeld = 3908;
  static constexpr size_t kPacketSize = ts::kPacketSize;

  using Sink = std::function<void(std::span<const uint8_t> sections)>;
  using SectionSink = std::function<void(const Section& section)>;

  explicit SectionAssembler(size_t maxSectionSize = ts::kMaxSectionSize)
      : maxSectionSize_(maxSectionSize) {}

  // One packet (188 bytes; anything else is ignored).
  void Feed(std::span<const uint8_t> packet, const SectionSink& sink);
  // Every whole packet of `packets`; a short tail is ignored.
  void FeedPackets(std::span<const uint8_t> packets, const SectionSink& sink);
  // Sections begun but never finished, or too long, or too short to be a section.
  size_t LostSections() const { return lost_; }

  // One read of packets, unit by unit. A packet without the sync byte, or a pointer field that
  // cannot fit in its packet, ends the read there. A short tail is ignored.
  void FeedRead(std::span<const uint8_t> packets, const Sink& sink);

  // The bytes held: of the section being assembled, or of the unit.
  size_t Held() const { return held_.size(); }
  // Forgets what is held and the continuity counter (after a retune or a stream restart).
  void Reset();

 private:
  void Lose();
  void Emit(std::span<const uint8_t> bytes, const SectionSink& sink);
  // Adds the continuation of the held section; bytes after its end are stuffing.
  void Continue(std::span<const uint8_t> bytes, const SectionSink& sink);
  // The sections that begin at `bytes`, up to stuffing or the end of the packet.
  void Start(std::span<const uint8_t> bytes, const SectionSink& sink);
  // False for a packet to skip: a repeat of the last one. A gap loses the held section.
  bool Continuous(uint8_t counter);

  size_t maxSectionSize_;
  std::vector<uint8_t> held_;
  bool assembling_ = false;
  int lastCounter_ = -1;
  size_t lost_ = 0;
};

}  // namespace pelorus
