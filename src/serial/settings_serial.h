#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "common/editor_state.h"
#include "serial/serial_link.h"

namespace pelorus {

// "Leggi Settings": reads the receiver's channel list into a new image. True when an image was
// read; after a failure no image is loaded. An image whose checksum was wrong is still loaded
// (after the warning); `checksumOk`, when given, tells the caller so.
bool ReadSettingsSerial(EditorState& state, SerialLink& link, bool* checksumOk = nullptr);

// "Scrivi Settings": writes the image into the receiver. True when every byte went out and the
// line was still connected once they had been sent. A list larger than the receiver holds is
// refused before anything is sent.
bool WriteSettingsSerial(EditorState& state, SerialLink& link);

// The channels of a block read from the receiver (receiver order, `count` whole records),
// converted, masked and without untagged records; `dropped` counts those.
std::vector<ChannelRecord> RecordsFromReceiverBlock(std::span<const uint8_t> block, int& dropped);

// Why a size answer is refused: it names what the receiver announced, which can exceed 32 bits.
std::string SettingsTooLargeText(uint64_t size);

}  // namespace pelorus
