#pragma once

namespace pelorus {

// The title of the main window and of every message box.
inline constexpr char kProgramTitle[] = "Tessera Settings Editor";

}  // namespace pelorus
