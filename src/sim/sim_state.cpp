#include "sim_state.h"

namespace sim {

void SimState::Log(const std::string& line) {
  if (options.log.empty()) return;
  std::lock_guard lock(logMutex_);
  if (std::FILE* file = std::fopen(options.log.c_str(), "a")) {
    std::fprintf(file, "%s\n", line.c_str());
    std::fclose(file);
  }
}

}  // namespace sim
