#pragma once

#include "common/editor_state.h"
#include "common/ui.h"

namespace pelorus {

// Refuses a command that needs loaded settings. True when settings are loaded.
bool RequireSettings(const EditorState& state, Ui& ui);

void ShowUnderConstruction(Ui& ui);

}  // namespace pelorus
