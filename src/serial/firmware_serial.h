#pragma once

#include <string>

#include "common/editor_state.h"
#include "serial/serial_link.h"

namespace pelorus {

// False in a build without the compression library: the serial firmware upgrade is absent.
bool SerialFirmwareAvailable();

struct FirmwareUpgradeFiles {
  // The program's folder, which holds the flash subroutine "tarnflash.sbr".
  std::string programFolder;
  // Where each compressed step is written; removed before the upgrade returns. Empty: a name
  // of this process's own in the temporary folder.
  std::string compressedStep;
};

// "Aggiorna Firmware...": uploads the flash subroutine, then sends the firmware file in
// compressed, CRC-checked 64 KiB steps and follows the receiver's status letters. True when
// the upgrade completed.
bool FirmwareUpgradeSerial(EditorState& state, SerialLink& link, const FirmwareUpgradeFiles& files);

}  // namespace pelorus
