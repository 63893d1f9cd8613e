#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "common/editor_state.h"
#include "common/ui.h"

namespace pelorus {

// The text lines of the given rows (all rows when `rows` is null), each ending in CR LF.
// Rows outside the list are skipped.
std::string FormatChannelLines(const std::vector<ChannelRecord>& records,
                               const std::vector<int>* rows);

// Appends the channels of a text file's bytes to the image, creating the image when none is
// loaded. A line ends at CR, at LF or at CR LF; reading stops at the first empty line; a last
// line without a line end is read too. Rejected lines are skipped. Returns the channels added.
int AppendChannelLines(EditorState& state, std::span<const uint8_t> text);

// Writes the lines of the rows to a file. On failure the message was shown and false returned.
bool WriteChannelTextFile(const EditorState& state, Ui& ui, const std::string& path,
                          const std::vector<int>* rows);

// Reads a text file and appends its channels. -1 when the file could not be read (the message
// was shown), else the channels added.
int ReadChannelTextFile(EditorState& state, Ui& ui, const std::string& path);

// Lets the user choose between "Esporta Tutto" (false) and "Esporta Selezionato" (true) before
// the file is chosen; `exportSelected` holds the current choice. Null: keep the choice.
using ExportModeChooser = std::function<void(bool& exportSelected)>;

// The "&Esporta..." command. `exportSelected` lives as long as the program runs. True when the
// file was written.
bool ExportChannels(EditorState& state, Ui& ui, std::span<const int> selection,
                    bool& exportSelected, const ExportModeChooser& choose);

// The "Importa..." command: appends the channels of a chosen text file at the end of the list.
// Returns the channels added, -1 when cancelled or the file could not be read.
int ImportChannels(EditorState& state, Ui& ui);

}  // namespace pelorus
