#include "serial_faults.h"

#include <array>
#include <cstdlib>
#include <utility>

namespace sim {

bool ParseSerialFault(const std::string& text, SerialFault& fault) {
  using Kind = SerialFault::Kind;
  static constexpr std::array<std::pair<const char*, Kind>, 12> kNames = {{
      {"no-attention", Kind::kNoAttention},
      {"ok-only", Kind::kOkOnly},
      {"garbage", Kind::kGarbage},
      {"short-size", Kind::kShortSize},
      {"huge-size", Kind::kHugeSize},
      {"short-record", Kind::kShortRecord},
      {"bad-checksum", Kind::kBadChecksum},
      {"flash-silent", Kind::kFlashSilent},
      {"crc-error", Kind::kCrcError},
      {"unknown-letter", Kind::kUnknownLetter},
      {"unknown-decompress", Kind::kUnknownDecompress},
      {"disconnect", Kind::kDisconnect},
  }};
  fault = SerialFault{};
  // The SCSI side's faults leave the serial side well-behaved.
  if (text.empty() || text.starts_with("scsi-")) return true;
  const size_t colon = text.find(':');
  const std::string name = text.substr(0, colon);
  if (colon != std::string::npos) {
    fault.block = std::atoi(text.c_str() + colon + 1);
    if (fault.block < 1) return false;
  }
  for (const auto& [known, kind] : kNames) {
    if (name == known) {
      fault.kind = kind;
      return true;
    }
  }
  return false;
}

}  // namespace sim
