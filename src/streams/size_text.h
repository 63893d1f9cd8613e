#pragma once

#include <cstdint>
#include <string>

namespace pelorus {

// A byte count as the stream dialogs show it: "%.2f MB" above 1048576 bytes, "%.0f KB" above
// 1024, else "%d". Each call returns its own string, so worker threads can format freely.
std::string SizeText(uint64_t bytes);

// The rate "%.2f Kbps" of `bytes` over `seconds` (kilobits of 1024 bits); `seconds` must be > 0.
std::string RateText(uint64_t bytes, double seconds);

}  // namespace pelorus
