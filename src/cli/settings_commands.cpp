// The console commands over settings files: list and convert.
#include <string>
#include <vector>

#include "channels/channel_rows.h"
#include "channels/settings_file.h"
#include "cli.h"

namespace pelorus {
namespace {

bool LoadFile(EditorState& state, CliContext& context, const std::string& path) {
  state.commandLineFile = path;
  return OpenSettingsFile(state, context.ui);
}

}  // namespace

static int RunListCommand(const std::vector<std::string>& args, CliContext& context) {
  static constexpr char kUsage[] = "list FILE.dvb [--decimal]";
  std::string file;
  PidMode mode = PidMode::kHexadecimal;
  for (const std::string& arg : args) {
    if (arg == "--decimal") {
      mode = PidMode::kDecimal;
    } else if (file.empty() && !arg.starts_with("--")) {
      file = arg;
    } else {
      return UsageError(context, kUsage);
    }
  }
  if (file.empty()) return UsageError(context, kUsage);

  EditorState state;
  if (!LoadFile(state, context, file)) return kExitFailed;
  const auto& records = *state.settingsImage;
  for (size_t i = 0; i < records.size(); ++i) {
    const ChannelRow row = BuildChannelRow(records[i], static_cast<int>(i), mode);
    const size_t shown = row.marker ? 2 : row.cells.size();
    std::string line;
    for (size_t c = 0; c < shown; ++c) {
      if (c > 0) line += '\t';
      line += row.cells[c];
    }
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), context.out);
  }
  std::fprintf(context.out, "%zu channels\n", records.size());
  return kExitDone;
}

static int RunConvertCommand(const std::vector<std::string>& args, CliContext& context) {
  if (args.size() != 2 || args[0].starts_with("--") || args[1].starts_with("--")) {
    return UsageError(context, "convert IN.dvb OUT.dvb");
  }
  EditorState state;
  if (!LoadFile(state, context, args[0])) return kExitFailed;
  state.currentFileName = args[1];
  return SaveSettingsFile(state, context.ui, false) ? kExitDone : kExitFailed;
}

const CliCommandRegistrar kList({"list", "list FILE.dvb [--decimal]", RunListCommand});
const CliCommandRegistrar kConvert({"convert", "convert IN.dvb OUT.dvb", RunConvertCommand});

}  // namespace pelorus
