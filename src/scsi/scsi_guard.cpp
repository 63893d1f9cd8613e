#include "scsi/scsi_guard.h"

#include "common/messages.h"

namespace pelorus {

bool RequireScsi(const EditorState& state, Ui& ui) {
  if (state.aspiModule) return true;
  // The scan's reason (a device the user may not open, say) is what tells them what to do.
  if (state.scsiMissingReason.empty()) {
    ui.ShowMessage(msg::kNoScsiInterface, Icon::kStop);
  } else {
    ui.ShowDetailedMessage(msg::kNoScsiInterface, state.scsiMissingReason, Icon::kStop);
  }
  return false;
}

}  // namespace pelorus
