// The sort commands, Find and Find Next.
#include "app/commands.h"
#include "app/options_io.h"
#include "app/ui/gui_command.h"
#include "channels/find_channel.h"
#include "channels/sorting.h"
#include "channels/ui/find_dialog.h"

namespace pelorus {
namespace {

void ApplySelection(GuiContext& context, const SelectionAfter& after) {
  context.selectRows(after.rows, after.focusRow);
}

template <SortKey kKey>
void RunSort(GuiContext& context) {
  SelectionAfter after;
  if (SortChannels(context.state, context.ui, context.selectedRows(), kKey, after)) {
    ApplySelection(context, after);
  }
}

void RunFind(GuiContext& context) {
  SelectionAfter after;
  const uint32_t matchCaseBefore = context.state.options.matchCase;
  const bool found = FindChannel(
      context.state, context.ui,
      [&context](FindRequest& request) { return RunFindDialog(context.window, request); }, after);
  // The case option is one of the saved options: keep it at once, as the preferences do.
  if (context.state.options.matchCase != matchCaseBefore) {
    SaveOptions(context.state.options, context.optionsStore);
  }
  if (found) ApplySelection(context, after);
}

void RunFindNext(GuiContext& context) {
  SelectionAfter after;
  if (FindNextChannel(context.state, context.ui, after)) ApplySelection(context, after);
}

const GuiCommandRegistrar kSortByName(cmd::kSortByName, RunSort<SortKey::kName>);
const GuiCommandRegistrar kSortByFrequency(cmd::kSortByFrequency, RunSort<SortKey::kFrequency>);
const GuiCommandRegistrar kSortByServiceId(cmd::kSortByServiceId, RunSort<SortKey::kServiceId>);
const GuiCommandRegistrar kSortByPolarity(cmd::kSortByPolarity, RunSort<SortKey::kPolarity>);
const GuiCommandRegistrar kFind(cmd::kFind, RunFind);
const GuiCommandRegistrar kFindNext(cmd::kFindNext, RunFindNext);

}  // namespace
}  // namespace pelorus
