// The list's popup menu: bulk parameters on the selected channels and the frequency converter.
#include "app/commands.h"
#include "app/ui/gui_command.h"
#include "channels/bulk_change.h"
#include "channels/frequency_converter.h"
#include "channels/list_popup.h"
#include "channels/ui/converter_dialog.h"
#include "channels/ui/parameter_dialog.h"

namespace pelorus {
namespace {

template <int kCommand>
void RunBulk(GuiContext& context) {
  SelectionAfter after;
  const ParameterAsker ask = [&context](std::string_view prompt) {
    return RunParameterDialog(context.window, prompt);
  };
  if (ApplyBulkParameter(context.state, context.ui, kCommand, context.selectedRows(), ask, after) >
      0) {
    context.selectRows(after.rows, after.focusRow);
  }
}

void RunConvert(GuiContext& context) {
  SelectionAfter after;
  const ConverterDialogRunner dialog = [&context](ConverterForm& form) {
    return RunConverterDialog(context.window, context.ui, form);
  };
  if (ConvertFrequencies(context.state, context.ui, context.selectedRows(), dialog, after) > 0) {
    context.selectRows(after.rows, after.focusRow);
  }
}

// One registration per command number of the popup.
template <int... kCommands>
struct BulkRegistrations {
  const GuiCommandRegistrar registrars[sizeof...(kCommands)] = {
      GuiCommandRegistrar(kCommands, RunBulk<kCommands>)...};
};

const BulkRegistrations<40019, 40020, 40021, 40022, 40032, 40033, 40034, 40035, 40036, 40037, 40038,
                        40041, 40042, 40068, 40069, 40070, 40071, 40072, 40073, 40074, 40075, 40076,
                        40077, 40085, 40087, 40088, 40089, 40090, 40091, 40092, 40093, 40094, 40095,
                        40096, 40097, 40098>
    kBulk;
const GuiCommandRegistrar kConvert(cmd::kConvertFrequency, RunConvert);
const ListPopupRegistrar kPopup(ChannelListPopup);

}  // namespace
}  // namespace pelorus
