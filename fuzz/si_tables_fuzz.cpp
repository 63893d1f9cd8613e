// The SI browser's tables as they come off the air: byte 0 picks the table (NIT, PAT, PMT),
// the rest is the captured section. Every loop is cut to the section, so nothing may read past
// the input (the sanitizer checks) and every list stays within what the bytes can hold.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "si/si_tables.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const std::span<const uint8_t> section(data + 1, size - 1);
  switch (data[0] % 3) {
    case 0:
      if (const auto nit = pelorus::ParseNit(section)) {
        if (nit->deliveries.size() > section.size() / 2) std::abort();
        for (const auto& entry : nit->deliveries) (void)pelorus::DescribeDelivery(entry);
      }
      break;
    case 1:
      if (const auto pat = pelorus::ParsePat(section);
          pat && pat->programs.size() > section.size() / 4) {
        std::abort();
      }
      break;
    default:
      if (const auto pmt = pelorus::ParsePmt(section);
          pmt && pmt->streams.size() > section.size() / 5) {
        std::abort();
      }
  }
  return 0;
}
