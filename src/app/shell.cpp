#include "app/shell.h"

#include "app/messages.h"
#include "channels/settings_file.h"

namespace pelorus {

bool RequireSettings(const EditorState& state, Ui& ui) {
  if (state.HasSettings()) return true;
  ui.ShowMessage(msg::kLoadSettingsFirstPlease, Icon::kWarning);
  return false;
}

void ShowUnderConstruction(Ui& ui) { ui.ShowMessage(msg::kUnderConstruction, Icon::kInformation); }

bool ConfirmClose(EditorState& state, Ui& ui) { return OfferToSaveChanges(state, ui); }

}  // namespace pelorus
