#pragma once

#include <span>

#include "channels/row_selection_after.h"
#include "common/editor_state.h"
#include "common/ui.h"

namespace pelorus {

enum class SortKey { kName, kFrequency, kServiceId, kPolarity };

// The rows a sort reorders: the first block of adjacent selected rows. Both -1 when nothing is
// selected.
struct SortRange {
  int first = -1;
  int last = -1;
};

// `selection` holds row indices in any order; only rows below `rowCount` count.
SortRange FindSortRange(std::span<const int> selection, int rowCount);

// Sorts the records ascending by the key; records with equal keys keep their order. Names are
// compared with strcoll in the user's LC_COLLATE locale (case-sensitive and locale-aware, as the
// desktop's own string comparison is), each as at most 24 bytes up to its first zero byte, in
// stored form: emphasis codes and trailing blanks take part. The stored Latin-1 bytes are
// converted to the locale's character set first (UTF-8 on most desktops); the C and POSIX
// locales compare the bytes.
void SortRecords(std::span<ChannelRecord> records, SortKey key);

// The four sort commands. Returns true when the range was sorted; `after` then selects the range
// with the focus on its last row.
bool SortChannels(EditorState& state, Ui& ui, std::span<const int> selection, SortKey key,
                  SelectionAfter& after);

}  // namespace pelorus
