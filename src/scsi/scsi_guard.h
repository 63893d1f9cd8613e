#pragma once

#include "common/editor_state.h"
#include "common/ui.h"

namespace pelorus {

// Refuses a SCSI command when the scan did not find the receiver, with the scan's reason as the
// detail. True when it found it.
bool RequireScsi(const EditorState& state, Ui& ui);

}  // namespace pelorus
