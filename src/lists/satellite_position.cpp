#include "lists/satellite_position.h"

#include <cstdlib>

#include "common/strfmt.h"
#include "lists/text_fields.h"

namespace pelorus {

std::optional<int> ParseSatellitePosition(std::string_view text) {
  text = TrimBlanks(text);
  if (!text.empty() && (text.front() == 'S' || text.front() == 's')) text.remove_prefix(1);
  if (text.size() < 2) return std::nullopt;
  const char side = text.back();
  int sign = 0;
  if (side == 'E' || side == 'e') sign = 1;
  if (side == 'W' || side == 'w') sign = -1;
  if (sign == 0) return std::nullopt;
  text.remove_suffix(1);
  const size_t dot = text.find('.');
  uint64_t degrees = 0;
  uint64_t tenths = 0;
  if (!ParseDecimal(text.substr(0, dot), degrees)) return std::nullopt;
  if (dot != std::string_view::npos) {
    const std::string_view fraction = text.substr(dot + 1);
    if (fraction.size() != 1 || !ParseDecimal(fraction, tenths)) return std::nullopt;
  }
  const uint64_t position = degrees * 10 + tenths;
  if (position > 1800) return std::nullopt;
  return sign * static_cast<int>(position);
}

std::string SatellitePositionText(int orbital) {
  const int magnitude = std::abs(orbital);
  return Format("%d.%d%c", magnitude / 10, magnitude % 10, orbital < 0 ? 'W' : 'E');
}

int DiseqcPorts::PortOf(std::optional<int> orbital, int fallback) const {
  if (!orbital) return fallback;
  for (const auto& [position, port] : byOrbital) {
    if (position == *orbital) return port;
  }
  return fallback;
}

std::optional<int> DiseqcPorts::OrbitalOf(int port) const {
  for (const auto& [position, itsPort] : byOrbital) {
    if (itsPort == port) return position;
  }
  return std::nullopt;
}

bool ParseDiseqcPorts(std::string_view text, DiseqcPorts& ports) {
  DiseqcPorts parsed;
  for (const std::string_view part : SplitFields(text, ',')) {
    const size_t equals = part.find('=');
    if (equals == std::string_view::npos) return false;
    const std::optional<int> orbital = ParseSatellitePosition(part.substr(0, equals));
    uint64_t port = 0;
    if (!orbital || !ParseDecimal(TrimBlanks(part.substr(equals + 1)), port) || port < 1 ||
        port > 4) {
      return false;
    }
    parsed.byOrbital.emplace_back(*orbital, static_cast<int>(port));
  }
  ports = std::move(parsed);
  return true;
}

}  // namespace pelorus
