#pragma once

#include <span>
#include <vector>

#include "receiver/channel_record.h"

namespace pelorus {

// Two channels are the same service when their frequencies lie within this many MHz of each
// other (the same transponder, typed a little differently) and polarity, video PID and audio PID
// agree.
inline constexpr int kDuplicateFrequencyTolerance = 2;

struct DuplicateRow {
  int row;       // the channel that repeats
  int original;  // the earliest earlier channel it repeats
};

// Every channel that repeats an earlier one, in list order. Marker rows never count.
std::vector<DuplicateRow> FindDuplicates(std::span<const ChannelRecord> records);

}  // namespace pelorus
