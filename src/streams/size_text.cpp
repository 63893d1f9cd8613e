#include "streams/size_text.h"

#include "common/strfmt.h"
#include "streams/messages.h"

namespace pelorus {

std::string SizeText(uint64_t bytes) {
  constexpr uint64_t kMegabyte = 1048576;
  constexpr uint64_t kKilobyte = 1024;
  if (bytes > kMegabyte) {
    return Format(msg::streams::kSizeMegabytes, static_cast<double>(bytes) / kMegabyte);
  }
  if (bytes > kKilobyte) {
    return Format(msg::streams::kSizeKilobytes, static_cast<double>(bytes) / kKilobyte);
  }
  return Format(msg::streams::kSizeBytes, static_cast<int>(bytes));
}

std::string RateText(uint64_t bytes, double seconds) {
  // Bytes per second divided by 128 gives kilobits of 1024 bits per second.
  return Format(msg::streams::kRateText, static_cast<double>(bytes) / seconds / 128.0);
}

}  // namespace pelorus
