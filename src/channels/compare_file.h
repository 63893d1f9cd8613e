#pragma once

#include <optional>
#include <string>
#include <vector>

#include "channels/list_diff.h"
#include "common/editor_state.h"
#include "common/ui.h"

namespace pelorus {

// The list in memory compared with a settings file, the file taking the part of the older list.
struct FileComparison {
  std::string path;
  std::vector<ChannelRecord> fileRecords;
  ListDiff diff;
  std::vector<std::string> lines;  // DescribeDiff's report
};

// "Confronta con File...": needs a loaded list, asks for the file in the settings folder and reads
// it as Open would (with Open's messages when it cannot), without touching the list in memory.
// No value when there is nothing to show.
std::optional<FileComparison> CompareWithFile(EditorState& state, Ui& ui);

}  // namespace pelorus
