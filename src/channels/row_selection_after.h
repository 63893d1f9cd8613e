#pragma once

#include <vector>

namespace pelorus {

// The rows a list command leaves selected, and the row that gets the focus (-1: none). The front
// end applies it to the list after the command ran.
struct SelectionAfter {
  std::vector<int> rows;
  int focusRow = -1;
};

}  // namespace pelorus
