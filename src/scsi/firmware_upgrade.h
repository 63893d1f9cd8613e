#pragma once

#include <cstdint>
#include <vector>

#include "common/editor_state.h"
#include "common/ui.h"

namespace pelorus {

// An odd-sized image gets one zero byte, since the receiver takes whole 16-bit words.
void PadFirmwareImage(std::vector<uint8_t>& image);

// Where a padded image goes: the bootloader's place for an image of exactly its size, the
// firmware's place for any other.
uint32_t FirmwareStartAddress(size_t paddedSize);

// "Aggiorna Firmware..." of the SCSI menu: sends a firmware or bootloader image and starts it.
// The file is `state.commandLineFile` when set, else the one chosen in the open dialog. True
// when the image was sent.
bool UpgradeFirmwareScsi(EditorState& state, Ui& ui);

}  // namespace pelorus
