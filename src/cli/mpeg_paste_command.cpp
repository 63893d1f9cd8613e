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

bool ReadArguments(const ParsedLine& line, MpegPasteArguments& parsed) {
  Options& options = parsed.options;
  parsed.output = line.Name(0);
  parsed.input = line.Name(1);
  if (line.Has("--no-markers")) options.mpegProjectAddMarkers = 0;
  if (const std::string* value = line.Value("--delimiter")) {
    const size_t format = kMpegDelimiters.find(*value);
    if (value->size() != 1 || format == std::string_view::npos) return false;
    options.mpegProjectDataFormat = static_cast<uint32_t>(format);
  }
  if (const std::string* value = line.Value("--mode")) {
    if (*value == "all") {
      options.mpegProjectPasteMode = 0;
    } else if (*value == "c") {
      options.mpegProjectPasteMode = 1;
    } else if (*value == "ku") {
      options.mpegProjectPasteMode = 2;
    } else {
      return false;
    }
  }
  const std::string* c = line.Value("--diseqc-c");
  const std::string* ku = line.Value("--diseqc-ku");
  const std::string* dbs = line.Value("--diseqc-dbs");
  return (c == nullptr || ParsePort(*c, options.mpegProjectDiseqcC)) &&
         (ku == nullptr || ParsePort(*ku, options.mpegProjectDiseqcKu)) &&
         (dbs == nullptr || ParsePort(*dbs, options.mpegProjectDiseqcKuDbs));
}

int RunMpegPaste(const ParsedLine& line, CliContext& context) {
  MpegPasteArguments parsed;
  if (!ReadArguments(line, parsed)) return UsageError(context);

  EditorState state;
  if (!LoadSettingsToAddTo(state, context.ui, parsed.output)) return kExitFailed;

  // The list is read a line at a time, so a large file is never held whole (let alone twice).
  MpegSearchPaste paste(MpegSearchOptionsFrom(parsed.options));
  std::vector<ChannelRecord> pastedRecords;
  const FileContents text = ReadTextLines(parsed.input, [&](std::string_view textLine) {
    if (!IsMpegSearchHeaderLine(textLine)) paste.AddLine(textLine, pastedRecords);
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

const CliCommandRegistrar kMpegPaste(
    {"mpeg-paste",
     {{{"OUT.dvb", "the settings file the channels are added to (made when missing)"},
       {"IN.txt", "the list saved by MPEG Search Project"}},
      {{"--delimiter", ",|^|~", "the character between the fields"},
       {"--mode", "all|c|ku", "which bands' channels to paste"},
       {"--diseqc-c", "N", "the DiSEqC port (0-3) of C band channels"},
       {"--diseqc-ku", "N", "the DiSEqC port (0-3) of Ku band channels"},
       {"--diseqc-dbs", "N", "the DiSEqC port (0-3) of DBS channels"},
       {"--no-markers", nullptr, "no marker line before each satellite's channels"}}},
     RunMpegPaste});

}  // namespace
}  // namespace pelorus
