#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/editor_state.h"
#include "common/ui.h"

namespace pelorus {

// Runs the channel dialog over a record and tells whether the user pressed OK. The GUI shows
// its dialog; tests script the answer.
using ChannelDialogRunner = std::function<bool(ChannelRecord& record)>;

// What the list shows selected after a command, and the row that gets the focus (-1: none).
struct RowSelection {
  std::vector<int> rows;
  int focusRow = -1;
};

// The channel dialog over `state.editRecord`. OK marks the settings as modified, whether or not
// a value changed, and returns true.
bool RunChannelDialog(EditorState& state, const ChannelDialogRunner& runDialog);

// Double-click or Enter on the list: edits the first selected row. True when OK stored it.
bool EditSelectedChannel(EditorState& state, Ui& ui, std::span<const int> selection,
                         const ChannelDialogRunner& runDialog, RowSelection& after);

// Inserts one channel made in the channel dialog after the one selected row.
bool InsertChannel(EditorState& state, Ui& ui, std::span<const int> selection,
                   const ChannelDialogRunner& runDialog, RowSelection& after);

// Deletes the selected channels; returns how many were deleted.
int DeleteChannels(EditorState& state, Ui& ui, std::span<const int> selection, RowSelection& after);

// The clipboard as a command leaves it: untouched (no value), emptied (an empty text), or
// holding the copied lines.
using ClipboardUpdate = std::optional<std::string>;

// The text lines of the selected channels, each ending in CR LF. True when `clipboard` holds
// them.
bool CopyChannels(const EditorState& state, Ui& ui, std::span<const int> selection,
                  ClipboardUpdate& clipboard);

// Copy, then delete the channels that were copied.
bool CutChannels(EditorState& state, Ui& ui, std::span<const int> selection,
                 ClipboardUpdate& clipboard, RowSelection& after);

// The channels that clipboard text holds: lines end at CR, LF is ignored, and text after the
// last CR is not a line. In MPEG Search Project mode the site's lines are read, with satellite
// markers, after the paste options of `options`.
std::vector<ChannelRecord> ParsePastedText(std::string_view text, bool mpegSearchMode,
                                           const Options& options);

// Text from this platform's clipboard or from a file, whose lines may end in LF alone, with
// every line ending in CR LF as the paste engine reads it. CR LF and lone CR are kept.
std::string WithCrLfLineEnds(std::string_view text);

// Paste: places the channels of the clipboard text after (or, with PasteBefore, before) the
// selected channel; several selected channels are deleted first and replaced. No clipboard text
// pastes nothing. Returns the number of channels pasted.
int PasteChannels(EditorState& state, Ui& ui, std::span<const int> selection,
                  const std::optional<std::string>& clipboardText, bool mpegSearchMode,
                  RowSelection& after);

// Appends the channels of the text at the end of the list, loaded or not; for the console,
// which has no selection. Returns the number of channels appended.
int AppendPastedChannels(EditorState& state, std::string_view text, bool mpegSearchMode);

}  // namespace pelorus
