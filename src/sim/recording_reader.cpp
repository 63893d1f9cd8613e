#include "recording_reader.h"

#include <algorithm>

namespace sim {
namespace {

constexpr uint8_t kSync = 0x47;
constexpr size_t kChunk = 1 << 20;

}  // namespace

ContinuityRewriter::ContinuityRewriter() { last_.fill(-1); }

void ContinuityRewriter::Rewrite(Packet& packet) {
  if (packet[0] != kSync) return;
  const uint16_t pid = static_cast<uint16_t>((packet[1] & 0x1F) << 8 | packet[2]);
  if (pid == kNullPid) return;  // null packets' counters mean nothing
  const bool payload = (packet[3] & 0x10) != 0;
  const int counter = packet[3] & 0x0F;
  if (shiftPass_[pid] != pass_ + 1) {
    // A packet with payload follows the last one sent; one without repeats its counter.
    const int last = last_[pid];
    const int wanted = last < 0 ? counter : payload ? (last + 1) & 0x0F : last;
    shift_[pid] = static_cast<uint8_t>((wanted - counter) & 0x0F);
    shiftPass_[pid] = pass_ + 1;
  }
  const int sent = (counter + shift_[pid]) & 0x0F;
  packet[3] = static_cast<uint8_t>((packet[3] & 0xF0) | sent);
  last_[pid] = static_cast<int8_t>(sent);
}

RecordingReader::RecordingReader(std::string path, PacketFormat format)
    : path_(std::move(path)), format_(format) {
  file_ = std::fopen(path_.c_str(), "rb");
  if (file_ != nullptr && std::fseek(file_, static_cast<long>(format_.offset), SEEK_SET) != 0) {
    std::fclose(file_);
    file_ = nullptr;
  }
}

RecordingReader::~RecordingReader() {
  if (file_ != nullptr) std::fclose(file_);
}

bool RecordingReader::Fill(size_t wanted) {
  while (!atEnd_ && buffer_.size() - at_ < wanted) {
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<long>(at_));
    at_ = 0;
    const size_t old = buffer_.size();
    buffer_.resize(old + kChunk);
    const size_t got = std::fread(buffer_.data() + old, 1, kChunk, file_);
    buffer_.resize(old + got);
    if (got == 0) atEnd_ = true;
  }
  return buffer_.size() - at_ >= wanted;
}

bool RecordingReader::Rewind() {
  if (std::fseek(file_, static_cast<long>(format_.offset), SEEK_SET) != 0) return false;
  buffer_.clear();
  at_ = 0;
  atEnd_ = false;
  packetsThisPass_ = false;
  ++passes_;
  continuity_.NewPass();
  return true;
}

bool RecordingReader::Next(Packet& out) {
  if (file_ == nullptr) return false;
  const size_t size = format_.size;
  const size_t prefix = format_.prefix;
  // Whether packet k from `at` starts with the sync byte; past the end of the file it counts.
  auto sync = [&](size_t at, size_t k) {
    const size_t position = at + prefix + k * size;
    return position >= buffer_.size() ? atEnd_ : buffer_[position] == kSync;
  };
  // Three packets in a row that start right.
  auto inStep = [&](size_t at) { return sync(at, 0) && sync(at, 1) && sync(at, 2); };
  for (int pass = 0; pass < 2; ++pass) {
    while (true) {
      Fill(3 * size);
      if (buffer_.size() - at_ < size) break;  // the end of this pass
      // A packet is one when it and one of the next two start right, or when both of those do
      // (a bad sync byte between good packets: the receiver passes it on as it is). A packet
      // that starts right with neither after it in step was cut short.
      const bool own = sync(at_, 0);
      if ((own && (sync(at_, 1) || sync(at_, 2))) || (sync(at_, 1) && sync(at_, 2))) {
        std::copy_n(buffer_.begin() + static_cast<long>(at_ + prefix), kPacketSize, out.begin());
        at_ += size;
        packetsThisPass_ = true;
        continuity_.Rewrite(out);
        return true;
      }
      // Sync lost: skip to where three packets are in step again.
      size_t next = at_ + 1;
      while (next + size <= buffer_.size() && !inStep(next)) ++next;
      if (next + size <= buffer_.size()) {
        skipped_ += next - at_;
        at_ = next;
        continue;
      }
      if (atEnd_) {
        skipped_ += buffer_.size() - at_;
        at_ = buffer_.size();
        break;
      }
      // Keep the bytes that could still begin a run, and read on.
      const size_t keep = std::min(buffer_.size() - at_, 3 * size);
      skipped_ += buffer_.size() - keep - at_;
      at_ = buffer_.size() - keep;
      Fill(buffer_.size() - at_ + kChunk);
    }
    if (!packetsThisPass_ || !Rewind()) return false;
  }
  return false;
}

}  // namespace sim
