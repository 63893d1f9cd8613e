// pelorus-cli mpeg-paste: appends the channels of an MPEG Search Project list, saved as a text
// file, to a settings file, as the editor's paste does into a list.
#include <string>
#include <vector>

#include "channels/messages.h"
#include "channels/mpeg_search.h"
#include "channels/settings_file.h"
#include "cli.h"
#include "common/file_io.h"
#include "common/strfmt.h"
#include "common/text_lines.h"

namespace pelorus {
namespace {

constexpr char kUsage[] =
    "mpeg-paste OUT.dvb IN.txt [--delimiter ,|^|~] [--mode all|c|ku] [--diseqc-c N] "
    "[--diseqc-ku N] [--diseqc-dbs N] [--no-markers]";

struct MpegPasteArguments {
  std::string output;
  std::string input;
  Options options;  // the paste options, at the editor's defaults unless a flag says otherwise
};

// An LNB port number 0-3, as the options hold it.
bool ParsePort(const std::string& text, uint32_t& port) {
  if (text.size() != 1 || text[0] < '0' || text[0] > '3') return false;
  port = static_cast<uint32_t>(text[0] - '0');
  return true;
}

bool ParseArguments(const std::vector<std::string>& args, MpegPasteArguments& parsed) {
  Options& options = parsed.options;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool hasValue = i + 1 < args.size();
    if (arg == "--no-markers") {
      options.mpegProjectAddMarkers = 0;
    } else if (arg == "--delimiter" && hasValue) {
      const std::string& value = args[++i];
      const size_t format = kMpegDelimiters.find(value);
      if (value.size() != 1 || format == std::string_view::npos) return false;
      options.mpegProjectDataFormat = static_cast<uint32_t>(format);
    } else if (arg == "--mode" && hasValue) {
      const std::string& value = args[++i];
      if (value == "all") {
        options.mpegProjectPasteMode = 0;
      } else if (value == "c") {
        options.mpegProjectPasteMode = 1;
      } else if (value == "ku") {
        options.mpegProjectPasteMode = 2;
      } else {
        return false;
      }
    } else if (arg == "--diseqc-c" && hasValue) {
      if (!ParsePort(args[++i], options.mpegProjectDiseqcC)) return false;
    } else if (arg == "--diseqc-ku" && hasValue) {
      if (!ParsePort(args[++i], options.mpegProjectDiseqcKu)) return false;
    } else if (arg == "--diseqc-dbs" && hasValue) {
      if (!ParsePort(args[++i], options.mpegProjectDiseqcKuDbs)) return false;
    } else if (arg.starts_with("--")) {
      return false;
    } else if (parsed.output.empty()) {
      parsed.output = arg;
    } else if (parsed.input.empty()) {
      parsed.input = arg;
    } else {
      return false;
    }
  }
  return !parsed.input.empty();
}

int RunMpegPaste(const std::vector<std::string>& args, CliContext& context) {
  MpegPasteArguments parsed;
  if (!ParseArguments(args, parsed)) return UsageError(context, kUsage);

  EditorState state;
  if (!LoadSettingsToAddTo(state, context.ui, parsed.output)) return kExitFailed;

  // The list is read a line at a time, so a large file is never held whole (let alone twice).
  MpegSearchPaste paste(MpegSearchOptionsFrom(parsed.options));
  std::vector<ChannelRecord> pastedRecords;
  const FileContents text = ReadTextLines(parsed.input, [&](std::string_view line) {
    if (!IsMpegSearchHeaderLine(line)) paste.AddLine(line, pastedRecords);
    return true;
  });
  if (!text.opened || text.readFailed) {
    context.ui.ShowDetailedMessage(Format(msg::kUnableToOpenFile, parsed.input.c_str()),
                                   FileProblemText(parsed.input, text), Icon::kInformation);
    return kExitFailed;
  }
  const int pasted = static_cast<int>(pastedRecords.size());
  state.settingsImage->insert(state.settingsImage->end(), pastedRecords.begin(),
                              pastedRecords.end());
  state.settingsModified = true;

  state.currentFileName = parsed.output;
  if (!SaveSettingsFile(state, context.ui, false)) return kExitFailed;
  std::fprintf(context.out, "%d channels pasted, %d in all\n", pasted, state.ChannelCount());
  return kExitDone;
}

const CliCommandRegistrar kMpegPaste({"mpeg-paste", kUsage, RunMpegPaste});

}  // namespace
}  // namespace pelorus
