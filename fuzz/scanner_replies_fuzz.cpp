// The signal subroutine's reply lines: whatever a sweep or a lock search gets back.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "scanner/reply_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  if (const auto point = pelorus::ParseSweepLine(line)) {
    pelorus::CalibrationTable table;
    table.low.push_back({point->frequency, INT32_MAX});
    if (pelorus::Calibrated(table, 0, *point) < 0) __builtin_trap();
  }
  if (const auto reply = pelorus::ParseLockReply(line)) {
    for (auto type : {pelorus::LnbType::kUniversal, pelorus::LnbType::kCBand}) {
      const auto result = pelorus::LockResultFor(type, 11000, 10600, reply);
      const std::string text = result.Line();
      if (text.empty()) __builtin_trap();
      const pelorus::ChannelRecord record = pelorus::AutoSearchRecord(result, true);
      if (!record.HasTag()) __builtin_trap();
    }
  }
  return 0;
}
