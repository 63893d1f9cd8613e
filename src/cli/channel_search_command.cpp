// pelorus-cli scsi channel-search: the channel search of "Ricerca Canali..." from a console. One
// line per transponder as it is searched, the summary, and the merged list written back.
#include <cstdio>
#include <mutex>
#include <string>

#include "channels/row_list.h"
#include "channels/settings_file.h"
#include "cli.h"
#include "common/strfmt.h"
#include "link_actions.h"
#include "lists/satellite_position.h"
#include "long_run.h"
#include "scanner/lnb.h"
#include "service_scan/channel_search.h"
#include "service_scan/list_merge.h"
#include "service_scan/messages.h"
#include "service_scan/search_sources.h"
#include "service_scan/transponder_table.h"

namespace pelorus {
namespace {

// The options that shape the request; false (with the usage error printed) for a bad value.
bool ReadOptions(const ParsedLine& line, CliContext& context, ChannelSearchRequest& request) {
  const std::optional<int64_t> timeout = NumberOption(
      line, "--timeout", 1, kMaxSearchTimeoutSeconds, kDefaultSearchTimeoutSeconds, context);
  const std::optional<int64_t> port = NumberOption(line, "--diseqc", 1, 4, 0, context);
  if (!timeout || !port) return false;
  request.timeout = std::chrono::seconds(*timeout);
  if (*port != 0) request.diseqcPort = static_cast<int>(*port);
  const std::optional<LnbInfo> lnb = FindLnb(line.ValueOr("--lnb", "universal"));
  if (!lnb) {
    UsageError(context);
    return false;
  }
  request.lnb = lnb->type;
  if (const std::string* position = line.Value("--position")) {
    request.orbital = ParseSatellitePosition(*position);
    if (!request.orbital) {
      context.ui.ShowMessage(Format(msg::search::kBadPosition, position->c_str()), Icon::kStop);
      UsageError(context);
      return false;
    }
  }
  request.all = line.Has("--all");
  return true;
}

int RunChannelSearch(const ParsedLine& line, EditorState& state, CliContext& context) {
  ChannelSearchRequest request;
  if (!ReadOptions(line, context, request)) return kExitUsage;
  SearchSources sources;
  sources.network = line.Has("--network");
  sources.table = line.ValueOr("--transponders", "");
  sources.tablesFolder = ScanTablesFolder();
  sources.lockResults = line.ValueOr("--from-scan", "");
  const std::string* rows = line.Value("--rows");
  if (!sources.Any() && rows == nullptr) {
    context.ui.ShowMessage(msg::search::kNoSource, Icon::kStop);
    return UsageError(context);
  }
  const std::string& path = line.Name(0);
  Ui& ui = context.ui;
  if (!LoadSettingsToAddTo(state, ui, path)) return kExitFailed;
  if (rows != nullptr && !ParseRowList(*rows, state.ChannelCount(), sources.rows)) {
    return UsageError(context);
  }
  if (!ReadSearchSources(sources, *state.settingsImage, ui, request)) return kExitFailed;
  if (!ConnectScsi(state, context)) return kExitFailed;
  request.scsiBusy = state.options.scsiBusy != 0;

  ChannelSearch search(*state.aspiModule, *state.settingsImage, request);
  std::mutex mutex;
  std::string progress;
  ChannelSearch::Events events;
  events.progress = [&](int, const std::string& text) {
    std::lock_guard lock(mutex);
    if (!text.empty()) progress = text;
  };
  events.transponder = [&context](const TransponderReport& report) {
    std::fprintf(context.out, "%s\n", report.Line().c_str());
    std::fflush(context.out);
  };
  search.Start(events);
  WaitOutRun(context, search.worker(), 0, [&] {
    std::lock_guard lock(mutex);
    return progress;
  });
  const RunResult result = search.Join();
  ShowRunResult(ui, result);
  const SearchSummary summary = search.Summary();
  std::fprintf(context.out, "%s\n", summary.Text().c_str());
  if (summary.locked == 0) {
    ui.ShowMessage(Format(msg::search::kNothingLocked, path.c_str()), Icon::kInformation);
    return kExitFailed;
  }
  // What was found is merged even after a stop or a lost receiver, as the dialog offers it.
  UndoSelection after;
  const MergeCounts counts = AddSearchToList(state, ui, search.Found(), {}, after);
  if (line.Has("--dry-run")) {
    ui.SetStatusText(Format(msg::search::kDryRun, path.c_str()));
  } else if (counts.Changed() == 0) {
    ui.SetStatusText(Format(msg::search::kListUnchanged, path.c_str()));
  } else if (!SaveSettingsFile(state, ui, false)) {
    return kExitFailed;
  }
  return ExitStatusOf(result);
}

const LinkActionRegistrar kChannelSearch(
    {"scsi",
     "channel-search",
     {{{"LIST.dvb", "the settings file the channels are merged into (made when missing)"}},
      {{"--network", nullptr, "start from the tuned transponder and follow its NIT"},
       {"--transponders", "FILE|SATELLITE",
        "a transponder table, or a table's name (PELORUS_SCAN_TABLES, else /usr/share/dvb/dvb-s)"},
       {"--from-scan", "FILE", "the lock search's result lines"},
       {"--rows", "LIST", "the list's rows to search (1-3,7)"},
       {"--lnb", "universal|fss|dbs|c|quad|asia|triple|l",
        "the LNB (transponders outside its band "
        "are not searched)"},
       {"--diseqc", "1-4", "the DiSEqC port of the channels (else as in the list)"},
       {"--position", "POS", "the orbital position where the NIT gives none (19.2E)"},
       {"--all", nullptr, "also the services the receiver cannot show"},
       {"--timeout", "SECONDS", "no PAT within it is no lock (default 3)"},
       {"--dry-run", nullptr, "search and report, write nothing"}}},
     RunChannelSearch});

}  // namespace
}  // namespace pelorus
