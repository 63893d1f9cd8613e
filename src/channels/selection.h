#pragma once

#include <span>
#include <vector>

namespace pelorus {

// The selected rows that name a record, ascending and each once. The selection comes from the
// list, which must never make a command touch a record that is not there.
std::vector<int> ValidRows(std::span<const int> selection, int count);

}  // namespace pelorus
