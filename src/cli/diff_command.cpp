// pelorus-cli diff: how one settings file differs from another.
#include <string>
#include <vector>

#include "channels/list_diff.h"
#include "channels/settings_file.h"
#include "cli.h"

namespace pelorus {
namespace {

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

int RunDiff(const ParsedLine& line, CliContext& context) {
  std::vector<ChannelRecord> older;
  std::vector<ChannelRecord> newer;
  if (!Load(context, line.Name(0), older) || !Load(context, line.Name(1), newer))
    return kExitTrouble;
  const ListDiff diff = CompareLists(older, newer);
  for (const std::string& change : DescribeDiff(diff, older, newer)) {
    std::fprintf(context.out, "%s\n", change.c_str());
  }
  return diff.Equal() ? kExitDone : kExitDifferent;
}

const CliCommandRegistrar kDiff({"diff",
                                 {{{"OLD.dvb", "the list before"}, {"NEW.dvb", "the list after"}}},
                                 RunDiff});

}  // namespace
}  // namespace pelorus
