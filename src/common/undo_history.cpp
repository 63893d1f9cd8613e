#include "common/undo_history.h"

#include <cstring>

namespace pelorus {

void UndoHistory::Clear(bool saved) {
  steps_.clear();
  index_ = 0;
  savedIndex_ = saved ? std::optional<size_t>(0) : std::nullopt;
}

void UndoHistory::Push(std::unique_ptr<UndoStep> step, UndoSelection before, UndoSelection after,
                       uint64_t fingerprintBefore, uint64_t fingerprintAfter) {
  steps_.erase(steps_.begin() + static_cast<std::ptrdiff_t>(index_), steps_.end());
  // The saved state was among the steps just dropped: no step leads back to it any more.
  if (savedIndex_ && *savedIndex_ > index_) savedIndex_.reset();
  steps_.push_back(Entry{std::move(step), std::move(before), std::move(after), fingerprintBefore,
                         fingerprintAfter});
  ++index_;
}

bool UndoHistory::Undo(SettingsImage& image, UndoSelection& selection, bool& modified) {
  if (!CanUndo()) return false;
  const Entry& entry = steps_[index_ - 1];
  if (Fingerprint(image) != entry.fingerprintAfter || !entry.step->Undo(image)) {
    Clear(false);
    return false;
  }
  --index_;
  selection = entry.before;
  modified = !IsAtSavedState();
  return true;
}

bool UndoHistory::Redo(SettingsImage& image, UndoSelection& selection, bool& modified) {
  if (!CanRedo()) return false;
  const Entry& entry = steps_[index_];
  if (Fingerprint(image) != entry.fingerprintBefore || !entry.step->Redo(image)) {
    Clear(false);
    return false;
  }
  ++index_;
  selection = entry.after;
  modified = !IsAtSavedState();
  return true;
}

void UndoHistory::MarkSaved() { savedIndex_ = index_; }

size_t UndoHistory::MemoryBytes() const {
  size_t bytes = steps_.capacity() * sizeof(Entry);
  for (const Entry& entry : steps_) {
    bytes += entry.step->MemoryBytes() +
             (entry.before.rows.capacity() + entry.after.rows.capacity()) * sizeof(int);
  }
  return bytes;
}

uint64_t UndoHistory::Fingerprint(const SettingsImage& image) {
  // A multiply-xorshift over the records' 64-bit words; collisions need not be impossible, only
  // unlikely enough that a change made behind the history's back is noticed.
  uint64_t hash = image ? 0x9E3779B97F4A7C15ull ^ image->size() : 0;
  if (!image) return hash;
  const auto* bytes = reinterpret_cast<const unsigned char*>(image->data());
  const size_t words = image->size() * sizeof(ChannelRecord) / sizeof(uint64_t);
  for (size_t i = 0; i < words; ++i) {
    uint64_t word;
    std::memcpy(&word, bytes + i * sizeof word, sizeof word);
    hash = (hash ^ word) * 0xFF51AFD7ED558CCDull;
    hash ^= hash >> 32;
  }
  return hash;
}

}  // namespace pelorus
