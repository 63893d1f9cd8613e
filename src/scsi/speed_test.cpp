#include "scsi/speed_test.h"

#include <chrono>
#include <vector>

#include "common/strfmt.h"
#include "receiver/scsi_opcodes.h"
#include "scsi/messages.h"
#include "scsi/receiver_commands.h"
#include "scsi/scsi_guard.h"
#include "scsi/scsi_transport.h"

namespace pelorus {

std::string SpeedTestText(int64_t elapsedMs) {
  const int shown = static_cast<int>(elapsedMs);
  if (elapsedMs <= 0) return Format(msg::scsi::kSpeedTestResultNoRate, shown);
  return Format(msg::scsi::kSpeedTestResult, shown, static_cast<int>(kSpeedTestBytes / elapsedMs));
}

bool SpeedTestScsi(EditorState& state, Ui& ui) {
  if (!RequireScsi(state, ui)) return false;
  const auto start = std::chrono::steady_clock::now();
  bool passed = true;
  {
    BusyScope busy(ui);
    ui.SetStatusText(msg::scsi::kTestingTransfer);
    // What is sent does not matter to the receiver; only how fast it goes.
    std::vector<uint8_t> buffer(kScsiMaxPiece);
    const ScsiBlock block = SpeedTestWriteBlock(kScsiMaxPiece);
    for (uint32_t sent = 0; sent < kSpeedTestBytes; sent += kScsiMaxPiece) {
      if (!ExecScsiCommandFully(*state.aspiModule, block, ScsiDirection::kOut, buffer)) {
        passed = false;
        break;
      }
      ui.KeepAlive();
    }
    if (!passed) ui.ShowMessage(msg::scsi::kSpeedTestFailed, Icon::kStop);
  }
  if (!passed) return false;
  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - start);
  ui.ShowMessage(SpeedTestText(elapsed.count()), Icon::kInformation);
  return true;
}

}  // namespace pelorus
