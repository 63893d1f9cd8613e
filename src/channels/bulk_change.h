#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string_view>

#include "channels/row_selection_after.h"
#include "common/editor_state.h"
#include "common/ui.h"

namespace pelorus {

// True for the commands of the list's popup that set one parameter on the selected channels.
bool IsBulkParameterCommand(int command);

// Applies one popup command to a record; `value` is the number asked for 40085 and 40087.
// Returns false for a command that is not a bulk parameter.
bool ApplyParameterToRecord(int command, int value, ChannelRecord& record);

// Runs the value dialog "Parametri Canale" with the prompt; the number typed, or no value when
// the dialog was closed without OK.
using ParameterAsker = std::function<std::optional<int>(std::string_view prompt)>;

// The value dialog's reading of its field when OK is pressed: the number it starts with ("%d"),
// or no value when the field holds no number.
std::optional<int> ParseParameterText(std::string_view text);

// The prompt of the value dialog for 40085 and 40087, or null for other commands.
const char* ParameterPrompt(int command);

// A popup command on every selected row. Returns the number of channels changed; `after`
// selects them with the focus on the last one.
int ApplyBulkParameter(EditorState& state, Ui& ui, int command, std::span<const int> selection,
                       const ParameterAsker& ask, SelectionAfter& after);

}  // namespace pelorus
