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

static int RunListCommand(const ParsedLine& line, CliContext& context) {
  const PidMode mode = line.Has("--decimal") ? PidMode::kDecimal : PidMode::kHexadecimal;
  EditorState state;
  if (!LoadFile(state, context, line.Name(0))) return kExitFailed;
  const auto& records = *state.settingsImage;
  for (size_t i = 0; i < records.size(); ++i) {
    const ChannelRow row = BuildChannelRow(records[i], static_cast<int>(i), mode);
    const size_t shown = row.marker ? 2 : row.cells.size();
    std::string text;
    for (size_t c = 0; c < shown; ++c) {
      if (c > 0) text += '\t';
      text += row.cells[c];
    }
    text += '\n';
    std::fwrite(text.data(), 1, text.size(), context.out);
  }
  std::fprintf(context.out, "%zu channels\n", records.size());
  return kExitDone;
}

static int RunConvertCommand(const ParsedLine& line, CliContext& context) {
  EditorState state;
  if (!LoadFile(state, context, line.Name(0))) return kExitFailed;
  state.currentFileName = line.Name(1);
  return SaveSettingsFile(state, context.ui, false) ? kExitDone : kExitFailed;
}

const CliCommandRegistrar kList({"list",
                                 {{{"FILE.dvb", "the settings file"}},
                                  {{"--decimal", nullptr, "PIDs in decimal, not hexadecimal"}}},
                                 RunListCommand});
const CliCommandRegistrar kConvert({"convert",
                                    {{{"IN.dvb", "the settings file"},
                                      {"OUT.dvb", "the file written in the current format"}}},
                                    RunConvertCommand});

}  // namespace pelorus
