// The console commands that move channels between settings files and text lines, and sort them.
#include <clocale>
#include <string>
#include <vector>

#include "channels/row_list.h"
#include "channels/settings_file.h"
#include "channels/sorting.h"
#include "channels/text_transfer.h"
#include "cli.h"

namespace pelorus {
namespace {

bool LoadSettings(EditorState& state, CliContext& context, const std::string& path) {
  state.commandLineFile = path;
  return OpenSettingsFile(state, context.ui);
}

bool SaveSettings(EditorState& state, CliContext& context, const std::string& path) {
  state.currentFileName = path;
  return SaveSettingsFile(state, context.ui, false);
}

bool ReadRows(const std::string& text, const EditorState& state, CliContext& context,
              std::vector<int>& rows) {
  if (ParseRowList(text, state.ChannelCount(), rows)) return true;
  std::fprintf(context.err, "invalid row list \"%s\" for %d channels\n", text.c_str(),
               state.ChannelCount());
  return false;
}

constexpr OptionWord kRowsOption{"--rows", "LIST", "only these rows, e.g. 1-3,7"};

int RunExport(const ParsedLine& line, CliContext& context) {
  EditorState state;
  if (!LoadSettings(state, context, line.Name(0))) return kExitFailed;
  const std::string* rowText = line.Value("--rows");
  std::vector<int> rows;
  if (rowText != nullptr && !ReadRows(*rowText, state, context, rows)) return kExitUsage;
  return WriteChannelTextFile(state, context.ui, line.Name(1), rowText != nullptr ? &rows : nullptr)
             ? kExitDone
             : kExitFailed;
}

int RunImport(const ParsedLine& line, CliContext& context) {
  EditorState state;
  const std::vector<std::string>& files = line.Names();
  const std::string& output = files[0];
  // Only a missing settings file is made; one that cannot be read, or that holds no channel
  // record (the arguments swapped), is an error, so a list is never replaced by the lines alone.
  if (!LoadSettingsToAddTo(state, context.ui, output)) return kExitFailed;
  for (size_t i = 1; i < files.size(); ++i) {
    const int added = ReadChannelTextFile(state, context.ui, files[i]);
    if (added < 0) return kExitFailed;
    std::fprintf(context.out, "%s: %d channels\n", files[i].c_str(), added);
  }
  return SaveSettings(state, context, output) ? kExitDone : kExitFailed;
}

int RunSort(const ParsedLine& line, CliContext& context) {
  SortKey key;
  const std::string& by = *line.Value("--by");
  if (by == "name") {
    key = SortKey::kName;
  } else if (by == "frequency") {
    key = SortKey::kFrequency;
  } else if (by == "sid") {
    key = SortKey::kServiceId;
  } else if (by == "polarity") {
    key = SortKey::kPolarity;
  } else {
    return UsageError(context);
  }
  EditorState state;
  if (!LoadSettings(state, context, line.Name(0))) return kExitFailed;
  const std::string* rowText = line.Value("--rows");
  std::vector<int> rows;
  if (rowText != nullptr) {
    if (!ReadRows(*rowText, state, context, rows)) return kExitUsage;
  } else {
    for (int row = 0; row < state.ChannelCount(); ++row) rows.push_back(row);
  }
  // Names are compared in the user's collation order, as the desktop program compares them.
  std::setlocale(LC_COLLATE, "");
  // Sorting every row of an empty list leaves it as it is; only a row list can select nothing.
  SelectionAfter after;
  if (!rows.empty() || rowText != nullptr) {
    if (!SortChannels(state, context.ui, rows, key, after)) return kExitFailed;
  }
  return SaveSettings(state, context, line.Name(1)) ? kExitDone : kExitFailed;
}

}  // namespace

const CliCommandRegistrar kExportCommand(
    {"export",
     {{{"IN.dvb", "the settings file"}, {"OUT.txt", "the text file written, one channel a line"}},
      {kRowsOption}},
     RunExport});
const CliCommandRegistrar kImportCommand(
    {"import",
     {{{"OUT.dvb", "the settings file the channels are added to (made when missing)"},
       {"IN.txt", "text files of channels, one a line", false, true}}},
     RunImport});
const CliCommandRegistrar kSortCommand(
    {"sort",
     {{{"IN.dvb", "the settings file"}, {"OUT.dvb", "the sorted file"}},
      {{"--by", "name|frequency|sid|polarity", "the sort key", true}, kRowsOption}},
     RunSort});

}  // namespace pelorus
