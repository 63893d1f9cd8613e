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

// Splits "--rows LIST" (and for sort "--by KEY") off the positional arguments.
struct Arguments {
  std::vector<std::string> files;
  std::string rows;
  std::string by;
  bool hasRows = false;
  bool hasBy = false;
};

bool SplitArguments(const std::vector<std::string>& args, bool allowBy, Arguments& parsed) {
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--rows" && i + 1 < args.size() && !parsed.hasRows) {
      parsed.rows = args[++i];
      parsed.hasRows = true;
    } else if (allowBy && args[i] == "--by" && i + 1 < args.size() && !parsed.hasBy) {
      parsed.by = args[++i];
      parsed.hasBy = true;
    } else if (args[i].starts_with("--")) {
      return false;
    } else {
      parsed.files.push_back(args[i]);
    }
  }
  return true;
}

bool ReadRows(const Arguments& parsed, const EditorState& state, CliContext& context,
              std::vector<int>& rows) {
  if (ParseRowList(parsed.rows, state.ChannelCount(), rows)) return true;
  std::fprintf(context.err, "invalid row list \"%s\" for %d channels\n", parsed.rows.c_str(),
               state.ChannelCount());
  return false;
}

constexpr char kExportUsage[] = "export IN.dvb OUT.txt [--rows LIST]";
constexpr char kImportUsage[] = "import OUT.dvb IN.txt...";
constexpr char kSortUsage[] = "sort IN.dvb OUT.dvb --by name|frequency|sid|polarity [--rows LIST]";

int RunExport(const std::vector<std::string>& args, CliContext& context) {
  Arguments parsed;
  if (!SplitArguments(args, false, parsed) || parsed.files.size() != 2) {
    return UsageError(context, kExportUsage);
  }
  EditorState state;
  if (!LoadSettings(state, context, parsed.files[0])) return kExitFailed;
  std::vector<int> rows;
  if (parsed.hasRows && !ReadRows(parsed, state, context, rows)) return kExitUsage;
  return WriteChannelTextFile(state, context.ui, parsed.files[1], parsed.hasRows ? &rows : nullptr)
             ? kExitDone
             : kExitFailed;
}

int RunImport(const std::vector<std::string>& args, CliContext& context) {
  Arguments parsed;
  if (!SplitArguments(args, false, parsed) || parsed.files.size() < 2 || parsed.hasRows) {
    return UsageError(context, kImportUsage);
  }
  EditorState state;
  const std::string& output = parsed.files[0];
  // Only a missing settings file is made; one that cannot be read, or that holds no channel
  // record (the arguments swapped), is an error, so a list is never replaced by the lines alone.
  if (!LoadSettingsToAddTo(state, context.ui, output)) return kExitFailed;
  for (size_t i = 1; i < parsed.files.size(); ++i) {
    const int added = ReadChannelTextFile(state, context.ui, parsed.files[i]);
    if (added < 0) return kExitFailed;
    std::fprintf(context.out, "%s: %d channels\n", parsed.files[i].c_str(), added);
  }
  return SaveSettings(state, context, output) ? kExitDone : kExitFailed;
}

int RunSort(const std::vector<std::string>& args, CliContext& context) {
  Arguments parsed;
  if (!SplitArguments(args, true, parsed) || parsed.files.size() != 2 || !parsed.hasBy) {
    return UsageError(context, kSortUsage);
  }
  SortKey key;
  if (parsed.by == "name") {
    key = SortKey::kName;
  } else if (parsed.by == "frequency") {
    key = SortKey::kFrequency;
  } else if (parsed.by == "sid") {
    key = SortKey::kServiceId;
  } else if (parsed.by == "polarity") {
    key = SortKey::kPolarity;
  } else {
    return UsageError(context, kSortUsage);
  }
  EditorState state;
  if (!LoadSettings(state, context, parsed.files[0])) return kExitFailed;
  std::vector<int> rows;
  if (parsed.hasRows) {
    if (!ReadRows(parsed, state, context, rows)) return kExitUsage;
  } else {
    for (int row = 0; row < state.ChannelCount(); ++row) rows.push_back(row);
  }
  // Names are compared in the user's collation order, as the desktop program compares them.
  std::setlocale(LC_COLLATE, "");
  // Sorting every row of an empty list leaves it as it is; only a row list can select nothing.
  SelectionAfter after;
  if (!rows.empty() || parsed.hasRows) {
    if (!SortChannels(state, context.ui, rows, key, after)) return kExitFailed;
  }
  return SaveSettings(state, context, parsed.files[1]) ? kExitDone : kExitFailed;
}

}  // namespace

const CliCommandRegistrar kExportCommand({"export", kExportUsage, RunExport});
const CliCommandRegistrar kImportCommand({"import", kImportUsage, RunImport});
const CliCommandRegistrar kSortCommand({"sort", kSortUsage, RunSort});

}  // namespace pelorus
