#pragma once

#include <string_view>
#include <vector>

namespace pelorus {

// Reads a list of 1-based row numbers and ranges such as "1-3,7" into sorted, distinct 0-based
// row indices. False when the text is not such a list or names a row outside 1..rowCount.
bool ParseRowList(std::string_view text, int rowCount, std::vector<int>& rows);

}  // namespace pelorus
