// pelorus-cli diff: how one settings file differs from another.
#include <string>
#include <vector>

#include "channels/list_diff.h"
#include "channels/settings_file.h"
#include "cli.h"

namespace pelorus {
namespace {

constexpr char kUsage[] = "diff OLD.dvb NEW.dvb";

// As diff(1) does: 0 the lists are equal, 1 they differ, 2 trouble (usage or a file that
// cannot be read), so that a script can tell "different" from "failed".
constexpr int kExitDifferent = 1;
constexpr int kExitTrouble = 2;

bool Load(CliContext& context, const std::string& path, std::vector<ChannelRecord>& records) {
  EditorState state;
  state.commandLineFile = path;
  if (!OpenSettingsFile(state, context.ui)) return false;
  records = std::move(*state.settingsImage);
  return true;
}

int RunDiff(const std::vector<std::string>& args, CliContext& context) {
  if (args.size() != 2 || args[0].starts_with("--") || args[1].starts_with("--")) {
    return UsageError(context, kUsage);
  }
  std::vector<ChannelRecord> older;
  std::vector<ChannelRecord> newer;
  if (!Load(context, args[0], older) || !Load(context, args[1], newer)) return kExitTrouble;
  const ListDiff diff = CompareLists(older, newer);
  for (const std::string& line : DescribeDiff(diff, older, newer)) {
    std::fprintf(context.out, "%s\n", line.c_str());
  }
  return diff.Equal() ? kExitDone : kExitDifferent;
}

const CliCommandRegistrar kDiff({"diff", kUsage, RunDiff});

}  // namespace
}  // namespace pelorus
