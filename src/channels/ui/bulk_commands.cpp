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

const BulkRegistrations<
    cmd::kNtsc, cmd::kPal, cmd::k12vOff, cmd::k12vOn, cmd::kInversionOff, cmd::kInversionOn,
    cmd::kInversionAuto, cmd::kDiseqc1, cmd::kDiseqc2, cmd::kDiseqc3, cmd::kDiseqc4,
    cmd::kHorizontal, cmd::kVertical, cmd::kServiceTypeFirst, cmd::kServiceTypeFirst + 1,
    cmd::kServiceTypeFirst + 2, cmd::kServiceTypeFirst + 3, cmd::kServiceTypeFirst + 4,
    cmd::kServiceTypeFirst + 5, cmd::kServiceTypeFirst + 6, cmd::kServiceTypeFirst + 7,
    cmd::kServiceTypeFirst + 8, cmd::kServiceTypeLast, cmd::kSymbolRate, cmd::kBandwidth,
    cmd::kFecAuto, cmd::kFec12, cmd::kFec23, cmd::kFec34, cmd::kFec56, cmd::kFec78, cmd::kFec11,
    cmd::kAutoPmtOn, cmd::kAutoPmtOff, cmd::kAutoPidOn, cmd::kAutoPidOff>
    kBulk;
const GuiCommandRegistrar kConvert(cmd::kConvertFrequency, RunConvert);
const ListPopupRegistrar kPopup(ChannelListPopup);

}  // namespace
}  // namespace pelorus
