#pragma once

#include <span>
#include <string>
#include <vector>

#include "receiver/channel_record.h"

namespace pelorus {

// A channel of one list paired with the same channel in the other.
struct ChannelPair {
  int oldRow;
  int newRow;
};

// One field that differs, with its value before and after as the report shows them.
struct FieldChange {
  const char* name;
  std::string before;
  std::string after;
};

struct ChangedChannel {
  ChannelPair rows;
  std::vector<FieldChange> fields;  // the fields that differ, in record order
};

// How a list (`newer`, e.g. the one in memory) differs from another (`older`, e.g. a file saved
// last week). A channel is the same channel in both when its record is identical, else when its
// name and service ID agree, else when its frequency, polarity, video and audio PID agree; each
// channel pairs at most once, earliest first. Of the paired channels, those outside the longest
// run that kept its order count as moved, so one insertion does not make every later row moved.
struct ListDiff {
  std::vector<int> added;    // rows of `newer` with no partner
  std::vector<int> removed;  // rows of `older` with no partner
  std::vector<ChannelPair> moved;
  std::vector<ChangedChannel> changed;

  bool Equal() const {
    return added.empty() && removed.empty() && moved.empty() && changed.empty();
  }
};

ListDiff CompareLists(std::span<const ChannelRecord> older, std::span<const ChannelRecord> newer);

// The fields in which two records differ, `a` before and `b` after: numbers in decimal, PIDs
// and flags in hexadecimal, the FEC as its name, the name without its padding blanks.
std::vector<FieldChange> DifferingFields(const ChannelRecord& a, const ChannelRecord& b);

// The report the console prints and the window shows: one line a channel, in groups
// "Added", "Removed", "Moved", "Changed"; rows numbered from 1 as the list shows them. A changed
// channel lists each changed field with both values: "symbolRate 27500 → 22000".
std::vector<std::string> DescribeDiff(const ListDiff& diff, std::span<const ChannelRecord> older,
                                      std::span<const ChannelRecord> newer);

}  // namespace pelorus
