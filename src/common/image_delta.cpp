#include "common/image_delta.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <unordered_map>

namespace pelorus {
namespace {

bool Same(const ChannelRecord& a, const ChannelRecord& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

std::string_view Bytes(const ChannelRecord& record) {
  return {reinterpret_cast<const char*>(&record), sizeof record};
}

// Bytes kept per row by each way of storing a change, to pick the smaller one.
constexpr size_t kSparseRowCost = sizeof(uint32_t) + 2 * sizeof(ChannelRecord);
constexpr size_t kPermuteRowCost = sizeof(uint32_t);

// The order that turns before[0, n) into after[0, n), when `after` holds the same records in
// another order: after[i] == before[order[i]]. Empty when it does not.
std::vector<uint32_t> FindPermutation(const ChannelRecord* before, const ChannelRecord* after,
                                      size_t n) {
  std::unordered_map<std::string_view, std::vector<uint32_t>> places;
  places.reserve(n);
  // Filled backwards so that taking from the back hands out equal records in their old order.
  for (size_t i = n; i-- > 0;) places[Bytes(before[i])].push_back(static_cast<uint32_t>(i));
  std::vector<uint32_t> order(n);
  for (size_t i = 0; i < n; ++i) {
    const auto found = places.find(Bytes(after[i]));
    if (found == places.end() || found->second.empty()) return {};
    order[i] = found->second.back();
    found->second.pop_back();
  }
  return order;
}

// The rows of `longer` that are not in `shorter` when `shorter` is `longer` with some rows
// taken out; nullopt otherwise. Any such set of rows serves: removing them gives `shorter` back.
std::optional<std::vector<uint32_t>> FindRemovedRows(const ChannelRecord* longer, size_t longCount,
                                                     const ChannelRecord* shorter,
                                                     size_t shortCount, size_t base) {
  std::vector<uint32_t> removed;
  removed.reserve(longCount - shortCount);
  size_t j = 0;
  for (size_t i = 0; i < longCount; ++i) {
    if (j < shortCount && Same(longer[i], shorter[j])) {
      ++j;
    } else {
      if (removed.size() == longCount - shortCount) return std::nullopt;
      removed.push_back(static_cast<uint32_t>(base + i));
    }
  }
  if (j != shortCount) return std::nullopt;
  return removed;
}

}  // namespace

ImageDelta ImageDelta::Between(const SettingsImage& before, const SettingsImage& after) {
  static const std::vector<ChannelRecord> kNoRecords;
  const std::vector<ChannelRecord>& a = before ? *before : kNoRecords;
  const std::vector<ChannelRecord>& b = after ? *after : kNoRecords;
  ImageDelta delta;
  delta.hadImage_ = before.has_value();
  delta.hasImage_ = after.has_value();
  delta.oldSize_ = a.size();
  delta.newSize_ = b.size();

  size_t prefix = 0;
  const size_t shortest = std::min(a.size(), b.size());
  while (prefix < shortest && Same(a[prefix], b[prefix])) ++prefix;
  size_t suffix = 0;
  while (suffix < shortest - prefix && Same(a[a.size() - 1 - suffix], b[b.size() - 1 - suffix])) {
    ++suffix;
  }
  const size_t oldCount = a.size() - prefix - suffix;
  const size_t newCount = b.size() - prefix - suffix;
  delta.begin_ = prefix;
  if (oldCount == 0 && newCount == 0) {
    // Same records; only whether a list is loaded may have changed.
    delta.kind_ = delta.hadImage_ == delta.hasImage_ ? Kind::kNone : Kind::kReplace;
    return delta;
  }
  const ChannelRecord* oldRows = a.data() + prefix;
  const ChannelRecord* newRows = b.data() + prefix;

  if (oldCount == newCount) {
    size_t changed = 0;
    for (size_t i = 0; i < oldCount; ++i) changed += Same(oldRows[i], newRows[i]) ? 0 : 1;
    if (changed * kSparseRowCost > oldCount * kPermuteRowCost) {
      std::vector<uint32_t> order = FindPermutation(oldRows, newRows, oldCount);
      if (!order.empty()) {
        delta.kind_ = Kind::kPermute;
        delta.rows_ = std::move(order);
        return delta;
      }
    }
    if (changed * kSparseRowCost < (oldCount + newCount) * sizeof(ChannelRecord)) {
      delta.kind_ = Kind::kSparse;
      for (size_t i = 0; i < oldCount; ++i) {
        if (Same(oldRows[i], newRows[i])) continue;
        delta.rows_.push_back(static_cast<uint32_t>(prefix + i));
        delta.oldRecords_.push_back(oldRows[i]);
        delta.newRecords_.push_back(newRows[i]);
      }
      return delta;
    }
  } else if (oldCount > newCount) {
    if (auto removed = FindRemovedRows(oldRows, oldCount, newRows, newCount, prefix)) {
      delta.kind_ = Kind::kDelete;
      delta.rows_ = std::move(*removed);
      for (const uint32_t row : delta.rows_) delta.oldRecords_.push_back(a[row]);
      return delta;
    }
  } else if (auto added = FindRemovedRows(newRows, newCount, oldRows, oldCount, prefix)) {
    delta.kind_ = Kind::kInsert;
    delta.rows_ = std::move(*added);
    for (const uint32_t row : delta.rows_) delta.newRecords_.push_back(b[row]);
    return delta;
  }
  delta.kind_ = Kind::kReplace;
  delta.oldRecords_.assign(oldRows, oldRows + oldCount);
  delta.newRecords_.assign(newRows, newRows + newCount);
  return delta;
}

bool ImageDelta::ApplyBackward(SettingsImage& image) const { return Apply(image, false); }
bool ImageDelta::ApplyForward(SettingsImage& image) const { return Apply(image, true); }

bool ImageDelta::Apply(SettingsImage& image, bool forward) const {
  if (kind_ == Kind::kNone) return true;
  const size_t fromSize = forward ? oldSize_ : newSize_;
  const bool fromHas = forward ? hadImage_ : hasImage_;
  if (image.has_value() != fromHas || (image ? image->size() : 0) != fromSize) return false;
  std::vector<ChannelRecord> rows = image ? std::move(*image) : std::vector<ChannelRecord>{};

  switch (kind_) {
    case Kind::kNone:
      break;
    case Kind::kReplace: {
      const auto& from = forward ? oldRecords_ : newRecords_;
      const auto& to = forward ? newRecords_ : oldRecords_;
      const auto first = rows.begin() + static_cast<std::ptrdiff_t>(begin_);
      rows.erase(first, first + static_cast<std::ptrdiff_t>(from.size()));
      rows.insert(rows.begin() + static_cast<std::ptrdiff_t>(begin_), to.begin(), to.end());
      break;
    }
    case Kind::kSparse: {
      const auto& to = forward ? newRecords_ : oldRecords_;
      for (size_t i = 0; i < rows_.size(); ++i) rows[rows_[i]] = to[i];
      break;
    }
    case Kind::kDelete:
    case Kind::kInsert: {
      // Taking rows out of the longer image, or putting them back, in one pass each.
      const bool removing = (kind_ == Kind::kDelete) == forward;
      const auto& records = kind_ == Kind::kDelete ? oldRecords_ : newRecords_;
      std::vector<ChannelRecord> result;
      result.reserve(removing ? rows.size() - rows_.size() : rows.size() + rows_.size());
      size_t next = 0;
      size_t source = 0;
      const size_t total = removing ? rows.size() : rows.size() + rows_.size();
      for (size_t i = 0; i < total; ++i) {
        if (next < rows_.size() && rows_[next] == i) {
          if (!removing) result.push_back(records[next]);
          ++next;
          if (removing) ++source;
          continue;
        }
        result.push_back(rows[source++]);
      }
      rows = std::move(result);
      break;
    }
    case Kind::kPermute: {
      const std::vector<ChannelRecord> range(
          rows.begin() + static_cast<std::ptrdiff_t>(begin_),
          rows.begin() + static_cast<std::ptrdiff_t>(begin_ + rows_.size()));
      for (size_t i = 0; i < rows_.size(); ++i) {
        if (forward) {
          rows[begin_ + i] = range[rows_[i]];
        } else {
          rows[begin_ + rows_[i]] = range[i];
        }
      }
      break;
    }
  }
  if (forward ? hasImage_ : hadImage_) {
    image = std::move(rows);
  } else {
    image.reset();
  }
  return true;
}

size_t ImageDelta::MemoryBytes() const {
  return rows_.capacity() * sizeof(uint32_t) +
         (oldRecords_.capacity() + newRecords_.capacity()) * sizeof(ChannelRecord);
}

}  // namespace pelorus
