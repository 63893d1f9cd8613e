#include "channels/row_list.h"

#include <algorithm>

namespace pelorus {
namespace {

// A positive decimal number without sign; false for anything else or a number over a million
// rows, which no list holds.
bool ReadRowNumber(std::string_view text, int& number) {
  if (text.empty() || text.size() > 7) return false;
  number = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    number = number * 10 + (c - '0');
  }
  return number > 0;
}

}  // namespace

bool ParseRowList(std::string_view text, int rowCount, std::vector<int>& rows) {
  rows.clear();
  if (text.empty()) return false;
  size_t start = 0;
  while (start <= text.size()) {
    const size_t comma = std::min(text.find(',', start), text.size());
    const std::string_view item = text.substr(start, comma - start);
    const size_t dash = item.find('-');
    int first = 0;
    int last = 0;
    if (dash == std::string_view::npos) {
      if (!ReadRowNumber(item, first)) return false;
      last = first;
    } else if (!ReadRowNumber(item.substr(0, dash), first) ||
               !ReadRowNumber(item.substr(dash + 1), last) || last < first) {
      return false;
    }
    if (last > rowCount) return false;
    for (int row = first; row <= last; ++row) rows.push_back(row - 1);
    start = comma + 1;
  }
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  return true;
}

}  // namespace pelorus
