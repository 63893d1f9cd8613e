#include "si/si_tables.h"

namespace pelorus {
namespace {

template <typename Table>
std::optional<Table> ParseCaptured(std::span<const uint8_t> captured) {
  const std::optional<Section> section = Section::ParseCut(captured);
  if (!section) return std::nullopt;
  return Table::Parse(*section);
}

}  // namespace

std::optional<NitInfo> ParseNit(std::span<const uint8_t> captured) {
  const std::optional<Nit> nit = ParseCaptured<Nit>(captured);
  if (!nit) return std::nullopt;
  return NitInfo{nit->networkId, nit->networkName, nit->Deliveries()};
}

std::optional<PatInfo> ParsePat(std::span<const uint8_t> captured) {
  return ParseCaptured<Pat>(captured);
}

std::optional<PmtInfo> ParsePmt(std::span<const uint8_t> captured) {
  return ParseCaptured<Pmt>(captured);
}

}  // namespace pelorus
