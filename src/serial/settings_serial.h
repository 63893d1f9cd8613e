#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "common/editor_state.h"
#include "serial/serial_link.h"

namespace pelorus {

// "Leggi Settings": reads the receiver's channel list into a new image. True when an image was
// read; after a failure no image is loaded.
bool ReadSettingsSerial(EditorState& state, SerialLink& link);

// "Scrivi Settings": writes the image into the receiver. True when every byte went out.
bool WriteSettingsSerial(EditorState& state, SerialLink& link);

// The channels of a block read from the receiver (receiver order, `count` whole records),
// converted, masked and without untagged records; `dropped` counts those.
std::vector<ChannelRecord> RecordsFromReceiverBlock(std::span<const uint8_t> block, int& dropped);

// Why a size answer is refused: it names what the receiver announced, which can exceed 32 bits.
std::string SettingsTooLargeText(uint64_t size);

}  // namespace pelorus
