// pelorus-cli duplicates: the channels of a list that repeat an earlier one.
#include <string>
#include <vector>

#include "channels/channel_name.h"
#include "channels/duplicates.h"
#include "channels/settings_file.h"
#include "cli.h"

namespace pelorus {
namespace {

int RunDuplicates(const ParsedLine& line, CliContext& context) {
  EditorState state;
  state.commandLineFile = line.Name(0);
  if (!OpenSettingsFile(state, context.ui)) return kExitFailed;
  const auto& records = *state.settingsImage;
  const std::vector<DuplicateRow> duplicates = FindDuplicates(records);
  for (const DuplicateRow& duplicate : duplicates) {
    const ChannelRecord& record = records[static_cast<size_t>(duplicate.row)];
    std::fprintf(context.out, "%d\t%s\trepeats %d\t%s\n", duplicate.row + 1,
                 DecodeChannelName(record).c_str(), duplicate.original + 1,
                 DecodeChannelName(records[static_cast<size_t>(duplicate.original)]).c_str());
  }
  std::fprintf(context.out, "%zu duplicate channels\n", duplicates.size());
  return kExitDone;
}

const CliCommandRegistrar kDuplicates({"duplicates",
                                       {{{"LIST.dvb", "the settings file"}}},
                                       RunDuplicates});

}  // namespace
}  // namespace pelorus
