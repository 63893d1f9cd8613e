#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "common/editor_state.h"
#include "common/file_io.h"
#include "common/ui.h"

namespace pelorus {

// Records of a settings file's bytes (receiver order, 64 bytes each, a trailing partial record
// ignored), in host order with the PIDs and polarity masked. Untagged records are dropped.
std::vector<ChannelRecord> DecodeSettingsBytes(std::span<const uint8_t> bytes);

// A settings file read and decoded as DecodeSettingsBytes does, into `records`; the result
// says whether and why it could not be read (its `bytes` stay empty, `size` is what was read).
FileContents ReadSettingsRecords(const std::string& path, std::vector<ChannelRecord>& records);

// The image in the receiver's order, as a settings file holds it.
std::vector<uint8_t> EncodeSettingsBytes(const std::vector<ChannelRecord>& records);

// Returns a block holding `block`'s records followed by a copy of `record`.
void AppendRecord(const ChannelRecord& record, std::vector<ChannelRecord>& block);

// The Open command. With `commandLineFile` set it opens that file without asking. True when a
// file was loaded.
bool OpenSettingsFile(EditorState& state, Ui& ui);

// For the commands that add channels to a list and save it back into the same file: a file
// that does not exist starts an empty list; any other must open, and a file with bytes but not
// one channel record is refused (it is not a settings file). True when the list is ready.
bool LoadSettingsToAddTo(EditorState& state, Ui& ui, const std::string& path);

// Save (saveAs false) and Save As. Returns true when the file was written.
bool SaveSettingsFile(EditorState& state, Ui& ui, bool saveAs);

// The New command: offers to save a modified list, then empties the editor.
void NewSettings(EditorState& state, Ui& ui);

// Asks whether to save a modified list before it is discarded. True: go on.
bool OfferToSaveChanges(EditorState& state, Ui& ui);

// "%s - %s" with the file name and the program's title.
std::string FileWindowTitle(const std::string& fileName);

}  // namespace pelorus
