#include "app/shell.h"

#include "channels/settings_file.h"

namespace pelorus {

bool ConfirmClose(EditorState& state, Ui& ui) { return OfferToSaveChanges(state, ui); }

}  // namespace pelorus
