#pragma once

#include "common/messages.h"

// Texts the application shell shows, shared by the GUI, the CLI and the tests.
namespace pelorus::msg {

inline constexpr char kInitInstanceFailed[] = "InitInstance failed";
inline constexpr char kAboutVersionFormat[] = "Versione %s";

}  // namespace pelorus::msg
