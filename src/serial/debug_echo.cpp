#include "serial/debug_echo.h"

#include "common/strfmt.h"

namespace pelorus {

std::string DebugEchoText(uint8_t byte) {
  if ((byte >= 32 && byte <= 124) || byte == 13) return std::string(1, static_cast<char>(byte));
  return Format("<0x%02x>", byte);
}

}  // namespace pelorus
