#pragma once

#include <functional>
#include <string>

#include "channels/row_selection_after.h"
#include "common/editor_state.h"
#include "common/ui.h"

namespace pelorus {

// At most this many characters are searched for, and only this many of each name are searched.
inline constexpr size_t kSearchLength = 20;

// What the find dialog shows and returns: the search text in display form and the case option.
struct FindRequest {
  std::string text;
  bool matchCase = false;
};

// Runs the find dialog ("Trova"); true when the user pressed "Cerca". The GUI shows its dialog,
// tests script it.
using FindDialogRunner = std::function<bool(FindRequest& request)>;

// True when the search bytes occur in the first 20 bytes of the name (an empty search matches).
bool NameMatches(const ChannelRecord& record, const std::string& searchText, bool matchCase);

// The Find command: asks for the text, stores it and `options.matchCase`, and searches from the
// first channel. True when a channel was found and `after` selects it.
bool FindChannel(EditorState& state, Ui& ui, const FindDialogRunner& runDialog,
                 SelectionAfter& after);

// Find Next (F3): searches on from `search.findPosition`, wrapping round after the last channel.
bool FindNextChannel(EditorState& state, Ui& ui, SelectionAfter& after);

}  // namespace pelorus
