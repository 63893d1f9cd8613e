// Reads any bytes as a transponder table (either form) and as lock search results. Every
// transponder kept must fit the record and the tune command, line numbers must rise, and the
// transponders written back in the one-line form must read back the same.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "service_scan/carrier_sources.h"
#include "service_scan/transponder_table.h"

namespace {

bool Fits(const pelorus::SearchTransponder& transponder) {
  return transponder.frequencyMhz > 0 && transponder.frequencyMhz <= 0xFFFF &&
         transponder.symbolRateKs > 0 && transponder.symbolRateKs <= 0xFFFF &&
         transponder.fecCode <= 7 && !transponder.current;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pelorus;
  const std::span<const uint8_t> bytes(data, size);
  const TransponderTable table = ParseTransponderTable(bytes);
  if (table.dvbS2 < 0 || table.otherSystems < 0) std::abort();
  for (size_t i = 1; i < table.badLines.size(); ++i) {
    if (table.badLines[i] <= table.badLines[i - 1]) std::abort();
  }
  std::string lines;
  for (const SearchTransponder& transponder : table.transponders) {
    if (!Fits(transponder)) std::abort();
    lines += "S " + std::to_string(transponder.frequencyMhz) +
             (transponder.vertical ? " V " : " H ") + std::to_string(transponder.symbolRateKs) +
             " " + FecCodeText(transponder.fecCode) + "\n";
  }
  const TransponderTable again = ParseTransponderTable(
      std::span(reinterpret_cast<const uint8_t*>(lines.data()), lines.size()));
  if (again.transponders.size() != table.transponders.size() || !again.badLines.empty()) {
    std::abort();
  }
  for (size_t i = 0; i < again.transponders.size(); ++i) {
    if (again.transponders[i].Text() != table.transponders[i].Text()) std::abort();
  }

  const LockSearchText locks = ParseLockSearchText(bytes);
  for (const SearchTransponder& transponder : TranspondersFromLocks(locks.carriers)) {
    if (transponder.frequencyMhz <= 0 || transponder.frequencyMhz > 0xFFFF ||
        transponder.symbolRateKs < 0 || transponder.symbolRateKs > 0xFFFF ||
        transponder.fecCode > 7) {
      std::abort();
    }
  }
  return 0;
}
