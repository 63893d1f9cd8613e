#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/editor_state.h"

namespace pelorus {

// What one change did to the settings image, in a form that takes only the room the change
// needs: a sort of the whole list keeps one index per record, an edit keeps two records, a
// deletion of scattered rows keeps those rows. Applying it backwards restores the image byte for
// byte; forwards repeats the change.
class ImageDelta {
 public:
  // The difference from `before` to `after`. Empty (IsEmpty) when they are the same.
  static ImageDelta Between(const SettingsImage& before, const SettingsImage& after);

  bool IsEmpty() const { return kind_ == Kind::kNone; }
  // Turns the image the change left into the image before it, or the other way round. False
  // when the image is not one this delta can apply to (its size does not fit), which leaves
  // the image untouched.
  bool ApplyBackward(SettingsImage& image) const;
  bool ApplyForward(SettingsImage& image) const;
  // The heap bytes this delta holds.
  size_t MemoryBytes() const;

 private:
  enum class Kind { kNone, kReplace, kSparse, kDelete, kInsert, kPermute };

  bool Apply(SettingsImage& image, bool forward) const;

  Kind kind_ = Kind::kNone;
  bool hadImage_ = false;
  bool hasImage_ = false;
  size_t oldSize_ = 0;
  size_t newSize_ = 0;
  size_t begin_ = 0;  // the first row that differs
  // kSparse: rows that changed in place; kDelete: rows of the old image that went; kInsert:
  // rows of the new image that came; kPermute: after[begin_ + i] = before[begin_ + order_[i]].
  std::vector<uint32_t> rows_;
  std::vector<ChannelRecord> oldRecords_;  // kReplace: the old middle; kSparse, kDelete: old rows
  std::vector<ChannelRecord> newRecords_;  // kReplace: the new middle; kSparse, kInsert: new rows
};

}  // namespace pelorus
