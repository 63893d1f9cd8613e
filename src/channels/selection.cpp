#include "channels/selection.h"

#include <algorithm>

namespace pelorus {

std::vector<int> ValidRows(std::span<const int> selection, int count) {
  std::vector<int> rows;
  rows.reserve(selection.size());
  for (const int row : selection) {
    if (row >= 0 && row < count) rows.push_back(row);
  }
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  return rows;
}

}  // namespace pelorus
