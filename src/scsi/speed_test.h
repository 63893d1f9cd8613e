#pragma once

#include <cstdint>
#include <string>

#include "common/editor_state.h"
#include "common/ui.h"

namespace pelorus {

inline constexpr uint32_t kSpeedTestBytes = 10485760;  // 160 writes of 65536 bytes

// The result text for a test that took `elapsedMs`; without a rate when it took no measurable
// time.
std::string SpeedTestText(int64_t elapsedMs);

// "Misura Velocità": times 10 MiB of speed-test writes. True when all of them succeeded.
bool SpeedTestScsi(EditorState& state, Ui& ui);

}  // namespace pelorus
