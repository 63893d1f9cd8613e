#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pelorus {

// An orbital position in tenths of a degree, east positive: 192 is 19.2E, -50 is 5.0W.
// Reads "19.2E", "S19.2E", "13E", "5.0W" (case does not matter); nothing else.
std::optional<int> ParseSatellitePosition(std::string_view text);
// "19.2E", "5.0W".
std::string SatellitePositionText(int orbital);

// Which DiSEqC port (1-4) each satellite is on, as "--diseqc S19.2E=1,13.0E=2" gives it.
struct DiseqcPorts {
  std::vector<std::pair<int, int>> byOrbital;  // orbital position, port 1-4

  // The port of a satellite; `fallback` when it has none.
  int PortOf(std::optional<int> orbital, int fallback = 1) const;
  // The satellite of a port, when one was named for it.
  std::optional<int> OrbitalOf(int port) const;
};

// "SOURCE=PORT,SOURCE=PORT". False (with `ports` unchanged) when a part is not of that form or
// names a port outside 1-4.
bool ParseDiseqcPorts(std::string_view text, DiseqcPorts& ports);

}  // namespace pelorus
