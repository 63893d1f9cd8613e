// pelorus-cli duplicates: the channels of a list that repeat an earlier one.
#include <string>
#include <vector>

#include "channels/channel_name.h"
#include "channels/duplicates.h"
#include "channels/settings_file.h"
#include "cli.h"

namespace pelorus {
namespace {

constexpr char kUsage[] = "duplicates LIST.dvb";

int RunDuplicates(const std::vector<std::string>& args, CliContext& context) {
  if (args.size() != 1 || args[0].starts_with("--")) return UsageError(context, kUsage);
  EditorState state;
  state.commandLineFile = args[0];
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

const CliCommandRegistrar kDuplicates({"duplicates", kUsage, RunDuplicates});

}  // namespace
}  // namespace pelorus
