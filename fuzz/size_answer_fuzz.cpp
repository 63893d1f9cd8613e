// The receiver's answer to the size command: whatever ten bytes come back.
#include <cstddef>
#include <cstdint>
#include <span>

#include "serial/size_answer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const uint64_t value = pelorus::ParseSizeAnswer(std::span(data, size));
  if (value > (uint64_t{1} << 32)) __builtin_trap();
  return 0;
}
