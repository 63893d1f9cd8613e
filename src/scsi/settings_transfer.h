#pragma once

#include "common/editor_state.h"
#include "common/ui.h"

namespace pelorus {

// "Leggi Settings": reads the receiver's channel table into the image. True when a complete
// table was read (a list is also shown after failed pieces, with a warning, and false).
bool ReadSettingsScsi(EditorState& state, Ui& ui);

// "Carica Settings": writes the image into the receiver's channel table. True when every piece
// was written.
bool WriteSettingsScsi(EditorState& state, Ui& ui);

}  // namespace pelorus
