#include "scsi_faults.h"

#include <array>
#include <cstdlib>
#include <utility>

namespace sim {

bool ParseScsiFault(const std::string& text, ScsiFault& fault) {
  using Kind = ScsiFault::Kind;
  static constexpr std::array<std::pair<const char*, Kind>, 5> kNames = {{
      {"scsi-fail", Kind::kFail},
      {"scsi-huge-count", Kind::kHugeCount},
      {"scsi-silent", Kind::kSilent},
      {"scsi-disconnect", Kind::kDisconnect},
      {"scsi-short", Kind::kShortAnswer},
  }};
  fault = ScsiFault{};
  if (!text.starts_with("scsi-")) return true;
  const size_t colon = text.find(':');
  const std::string name = text.substr(0, colon);
  if (colon != std::string::npos) {
    const std::string number = text.substr(colon + 1);
    char* end = nullptr;
    const long value = std::strtol(number.c_str(), &end, 10);
    if (number.empty() || *end != '\0' || value < 1 || value > 1000000) return false;
    fault.command = static_cast<int>(value);
  }
  for (const auto& [known, kind] : kNames) {
    if (name == known) {
      fault.kind = kind;
      return true;
    }
  }
  return false;
}

ScsiFault::Kind FaultCounter::Next() {
  const int number = ++count_;
  if (fault_.kind == ScsiFault::Kind::kHugeCount) return fault_.kind;
  return number == fault_.command ? fault_.kind : ScsiFault::Kind::kNone;
}

}  // namespace sim
