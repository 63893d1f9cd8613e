#pragma once

#include "common/messages.h"

// Texts the application shell shows, shared by the GUI, the CLI and the tests.
namespace pelorus::msg {

inline constexpr char kInitInstanceFailed[] = "InitInstance failed";
inline constexpr char kAboutVersionFormat[] = "Versione %s";

// A help link when no web browser can be started.
inline constexpr char kNoBrowser[] = "No web browser could be started. Please open %s yourself.";

}  // namespace pelorus::msg
