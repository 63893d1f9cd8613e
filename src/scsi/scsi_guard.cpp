#include "scsi/scsi_guard.h"

#include "common/messages.h"

namespace pelorus {

bool RequireScsi(const EditorState& state, Ui& ui) {
  if (state.aspiModule) return true;
  ui.ShowMessage(msg::kNoScsiInterface, Icon::kStop);
  return false;
}

}  // namespace pelorus
