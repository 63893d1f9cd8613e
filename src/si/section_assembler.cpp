#include "si/section_assembler.h"

#include <algorithm>

namespace pelorus {
namespace {

constexpr uint8_t kTransportError = 0x80;
constexpr uint8_t kAdaptationField = 0x20;
constexpr uint8_t kPayload = 0x10;

}  // namespace

PsiPayload SplitPsiPayload(std::span<const uint8_t> packet) {
  PsiPayload split;
  if (packet.size() != ts::kPacketSize || packet[0] != ts::kSyncByte) return split;
  size_t payloadAt = ts::kHeaderSize;
  if ((packet[3] & kAdaptationField) != 0) {
    payloadAt += size_t{1} + packet[4];
    if (payloadAt > ts::kPacketSize) return split;
  }
  if ((packet[3] & kPayload) == 0 || payloadAt == ts::kPacketSize) {
    split.status = PsiPayload::Status::kNoPayload;
    return split;
  }
  const std::span<const uint8_t> payload = packet.subspan(payloadAt);
  split.unitStart = (packet[1] & ts::kPayloadUnitStartFlag) != 0;
  if (!split.unitStart) {
    split.status = PsiPayload::Status::kOk;
    split.tail = payload;
    return split;
  }
  const size_t pointer = payload[0];
  if (pointer + 1 > payload.size()) return split;
  split.status = PsiPayload::Status::kOk;
  split.tail = payload.subspan(1, pointer);
  split.start = payload.subspan(1 + pointer);
  return split;
}

void SectionAssembler::Reset() {
  held_.clear();
  assembling_ = false;
  lastCounter_ = -1;
}

void SectionAssembler::Lose() {
  if (assembling_) ++lost_;
  held_.clear();
  assembling_ = false;
}

void SectionAssembler::Emit(std::span<const uint8_t> bytes, const SectionSink& sink) {
  const std::optional<Section> section = Section::Parse(bytes);
  if (!section) {
    ++lost_;
    return;
  }
  sink(*section);
}

bool SectionAssembler::Continuous(uint8_t counter) {
  if (lastCounter_ >= 0) {
    if (counter == lastCounter_) return false;
    if (counter != ((lastCounter_ + 1) & 0x0F)) Lose();
  }
  lastCounter_ = counter;
  return true;
}

void SectionAssembler::Continue(std::span<const uint8_t> bytes, const SectionSink& sink) {
  if (held_.size() < ts::kSectionHeaderSize) {
    const size_t take = std::min(ts::kSectionHeaderSize - held_.size(), bytes.size());
    held_.insert(held_.end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(take));
    bytes = bytes.subspan(take);
    if (held_.size() < ts::kSectionHeaderSize) return;
    if (SectionSizeAt(held_) > maxSectionSize_) {
      Lose();
      return;
    }
  }
  const size_t size = SectionSizeAt(held_);
  const size_t take = std::min(size - held_.size(), bytes.size());
  held_.insert(held_.end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(take));
  if (held_.size() < size) return;
  Emit(held_, sink);
  held_.clear();
  assembling_ = false;
}

void SectionAssembler::Start(std::span<const uint8_t> bytes, const SectionSink& sink) {
  while (!bytes.empty() && bytes[0] != ts::kStuffingByte) {
    const size_t size = SectionSizeAt(bytes);
    if (size == 0 || size > bytes.size()) {
      // Begins here, ends in a later packet (if its header is sane).
      if (size > maxSectionSize_) {
        ++lost_;
        return;
      }
      held_.assign(bytes.begin(), bytes.end());
      assembling_ = true;
      return;
    }
    if (size > maxSectionSize_) {
      ++lost_;
      return;
    }
    Emit(bytes.first(size), sink);
    bytes = bytes.subspan(size);
  }
}

void SectionAssembler::Feed(std::span<const uint8_t> packet, const SectionSink& sink) {
  const PsiPayload split = SplitPsiPayload(packet);
  if (split.status == PsiPayload::Status::kBroken || (packet[1] & kTransportError) != 0) {
    Lose();
    lastCounter_ = -1;
    return;
  }
  if (split.status == PsiPayload::Status::kNoPayload) return;
  if (!Continuous(packet[3] & 0x0F)) return;
  if (split.unitStart) {
    if (assembling_) Continue(split.tail, sink);
    // A section the pointer field should have finished and did not is lost.
    Lose();
    Start(split.start, sink);
  } else if (assembling_) {
    Continue(split.tail, sink);
  }
}

void SectionAssembler::FeedPackets(std::span<const uint8_t> packets, const SectionSink& sink) {
  for (size_t at = 0; at + kPacketSize <= packets.size(); at += kPacketSize) {
    Feed(packets.subspan(at, kPacketSize), sink);
  }
}

void SectionAssembler::FeedRead(std::span<const uint8_t> packets, const Sink& sink) {
  for (size_t at = 0; at + kPacketSize <= packets.size(); at += kPacketSize) {
    const PsiPayload split = SplitPsiPayload(packets.subspan(at, kPacketSize));
    if (split.status == PsiPayload::Status::kBroken) return;
    if (split.status == PsiPayload::Status::kNoPayload) continue;
    if (split.unitStart) {
      if (!held_.empty()) {
        held_.insert(held_.end(), split.tail.begin(), split.tail.end());
        sink(held_);
        held_.clear();
      }
      held_.assign(split.start.begin(), split.start.end());
    } else if (!held_.empty()) {
      held_.insert(held_.end(), split.tail.begin(), split.tail.end());
    }
    if (held_.size() > kMaxHeld) held_.clear();
  }
}

}  // namespace pelorus
