// INQUIRY answers from any target on the bus: the identification check must stay inside what
// came and agree with a plain byte comparison.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>

#include "scsi/receiver_commands.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> answer(data, size);
  const bool matched = pelorus::IsReceiverInquiry(answer);
  const bool vanta = size >= 27 && std::memcmp(data + 8, "OVERFLOW VANTA SCSI", 19) == 0;
  const bool tessera = size >= 15 && std::memcmp(data + 8, "Tessera", 7) == 0;
  if (matched != (vanta || tessera)) std::abort();
  return 0;
}
