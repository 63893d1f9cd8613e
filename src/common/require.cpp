#include "common/require.h"

#include "common/messages.h"

namespace pelorus {

bool RequireSettings(const EditorState& state, Ui& ui) {
  if (state.HasSettings()) return true;
  ui.ShowMessage(msg::kLoadSettingsFirstPlease, Icon::kWarning);
  return false;
}

void ShowUnderConstruction(Ui& ui) { ui.ShowMessage(msg::kUnderConstruction, Icon::kInformation); }

}  // namespace pelorus
