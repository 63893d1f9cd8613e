#pragma once

#include "common/editor_state.h"
#include "common/require.h"
#include "common/ui.h"

namespace pelorus {

// The close request of the main window: offers to save a modified list. True: close.
bool ConfirmClose(EditorState& state, Ui& ui);

}  // namespace pelorus
