// pelorus-cli import-list, export-list and reorder: the channel lists of other receivers.
#include <string>
#include <vector>

#include "channels/messages.h"
#include "channels/settings_file.h"
#include "cli.h"
#include "common/file_io.h"
#include "common/strfmt.h"
#include "lists/list_export.h"
#include "lists/list_import.h"
#include "lists/list_reader.h"
#include "lists/messages.h"
#include "lists/reorder.h"

namespace pelorus {
namespace {

constexpr char kOutputIsSettings[] = "%s is a settings file: nothing was written";

// A settings file that must be there and hold channel records.
bool LoadExistingSettings(CliContext& context, const std::string& path, EditorState& state) {
  const FileContents file = ReadWholeFile(path);
  if (!file.opened) {
    context.ui.ShowDetailedMessage(Format(msg::kUnableToOpenFile, path.c_str()),
                                   FileProblemText(path, file), Icon::kInformation);
    return false;
  }
  if (file.readFailed) {
    context.ui.ShowDetailedMessage(Format(msg::kUnableToReadFile, path.c_str()),
                                   FileProblemText(path, file), Icon::kStop);
    return false;
  }
  std::vector<ChannelRecord> records = DecodeSettingsBytes(file.bytes);
  // Another receiver's list named in this place by mistake would be read as an empty list.
  if (records.empty() && !file.bytes.empty()) {
    context.ui.ShowMessage(Format(msg::kNotASettingsFile, path.c_str()), Icon::kStop);
    return false;
  }
  state.settingsImage = std::move(records);
  return true;
}

// The settings file written may replace a settings file, never another file (the arguments in the
// wrong order would otherwise overwrite the list that was to be read).
bool MayWriteSettings(CliContext& context, const std::string& path) {
  const FileContents file = ReadWholeFile(path);
  if (!file.opened || file.readFailed || file.bytes.empty()) return true;
  if (!DecodeSettingsBytes(file.bytes).empty()) return true;
  context.ui.ShowMessage(Format(msg::kNotASettingsFile, path.c_str()), Icon::kStop);
  return false;
}

bool SaveSettings(CliContext& context, EditorState& state, const std::string& path) {
  state.currentFileName = path;
  return SaveSettingsFile(state, context.ui, false);
}

bool ReadDiseqc(const ParsedLine& line, DiseqcPorts& ports) {
  const std::string* text = line.Value("--diseqc");
  return text == nullptr || ParseDiseqcPorts(*text, ports);
}

void PrintLines(CliContext& context, const std::vector<std::string>& lines) {
  for (const std::string& text : lines) std::fprintf(context.out, "%s\n", text.c_str());
}

int RunImportList(const ParsedLine& line, CliContext& context) {
  std::vector<std::string> files = line.Names();
  const std::string output = files.back();
  files.pop_back();
  ImportOptions options;
  options.all = line.Has("--all");
  if (!ReadDiseqc(line, options.diseqc)) return UsageError(context);

  EditorState state;
  state.settingsImage.emplace();
  if (const std::string* list = line.Value("--append-to")) {
    if (!LoadExistingSettings(context, *list, state)) return kExitFailed;
  }
  if (!MayWriteSettings(context, output)) return kExitFailed;
  ForeignList foreign;
  if (!ReadForeignLists(files, context.ui, foreign)) return kExitFailed;
  const ImportOutcome outcome = BuildImport(foreign, options);
  state.settingsImage->insert(state.settingsImage->end(), outcome.records.begin(),
                              outcome.records.end());
  state.settingsModified = true;
  if (!SaveSettings(context, state, output)) return kExitFailed;
  std::fprintf(context.out, "%s\n", ImportSummary(outcome).c_str());
  if (!outcome.badLines.empty()) {
    std::fprintf(context.out, "%s\n",
                 Format(msg::kUnreadableLines, static_cast<int>(outcome.badLines.size())).c_str());
    PrintLines(context, BadLineReport(foreign, outcome.badLines));
  }
  return kExitDone;
}

int RunExportList(const ParsedLine& line, CliContext& context) {
  const std::string& format = *line.Value("--format");
  if (format != "enigma2" && format != "vdr") return UsageError(context);
  DiseqcPorts ports;
  if (!ReadDiseqc(line, ports)) return UsageError(context);
  EditorState state;
  if (!LoadExistingSettings(context, line.Name(0), state)) return kExitFailed;
  const std::string& output = line.Name(1);
  int channels = 0;
  if (format == "enigma2") {
    if (!WriteEnigma2Folder(output, *state.settingsImage, ports, context.ui, channels)) {
      return kExitFailed;
    }
  } else {
    const FileContents existing = ReadWholeFile(output);
    if (existing.opened && !existing.readFailed &&
        DetectListFormat(existing.bytes) == ListFormat::kSettings) {
      context.ui.ShowMessage(Format(kOutputIsSettings, output.c_str()), Icon::kStop);
      return kExitFailed;
    }
    if (!WriteVdrFile(output, *state.settingsImage, ports, context.ui, channels)) {
      return kExitFailed;
    }
  }
  std::fprintf(context.out, "%s\n", Format(msg::kExportReport, channels).c_str());
  return kExitDone;
}

int RunReorder(const ParsedLine& line, CliContext& context) {
  EditorState state;
  if (!LoadExistingSettings(context, line.Name(0), state)) return kExitFailed;
  std::vector<ReferenceEntry> reference;
  if (!ReadReferenceList(*line.Value("--like"), context.ui, reference)) return kExitFailed;
  const std::string& output = line.Name(1);
  if (!MayWriteSettings(context, output)) return kExitFailed;
  ReorderOutcome outcome = ReorderLike(*state.settingsImage, reference);
  state.settingsImage = std::move(outcome.records);
  state.settingsModified = true;
  if (!SaveSettings(context, state, output)) return kExitFailed;
  std::fprintf(context.out, "%s\n", ReorderSummary(outcome).c_str());
  return kExitDone;
}

constexpr OptionWord kDiseqcOption{
    "--diseqc", "SOURCE=PORT,...",
    "the DiSEqC port (1-4) of each satellite, e.g. S19.2E=1,13.0E=2"};

const CliCommandRegistrar kImportList(
    {"import-list",
     {{{"FILE", "a lamedb, bouquet files or a channels.conf", false, true},
       {"OUT.dvb", "the settings file written"}},
      {{"--append-to", "LIST.dvb", "the channels follow those of this settings file"},
       {"--all", nullptr, "also what this receiver cannot show (DVB-S2, H.264/HEVC, ...)"},
       kDiseqcOption},
      "The format is told from the content. A lamedb takes the bouquets beside it unless bouquet "
      "files are given; bouquet files take the lamedb beside them."},
     RunImportList});
const CliCommandRegistrar kExportList(
    {"export-list",
     {{{"LIST.dvb", "the settings file"},
       {"OUT", "the folder for lamedb and bouquets (enigma2), or the channels.conf (vdr)"}},
      {{"--format", "enigma2|vdr", "what to write", true},
       {"--diseqc", "SOURCE=PORT,...",
        "the satellite of each DiSEqC port, e.g. S19.2E=1,13.0E=2 (19.2E when none is named)"}}},
     RunExportList});
const CliCommandRegistrar kReorder(
    {"reorder",
     {{{"LIST.dvb", "the settings file"}, {"OUT.dvb", "the reordered settings file"}},
      {{"--like", "REFERENCE", "a settings file, a lamedb with bouquets or a channels.conf",
        true}}},
     RunReorder});

}  // namespace
}  // namespace pelorus
