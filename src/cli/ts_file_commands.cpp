// The console's look into a recording without a receiver: "si" lists its tables as "scsi si"
// does, with one line per service; "eit" writes its guide as "scsi eit" does; "pids" lists what
// each PID carries. All three read the file once through the same analysis as the window.
#include <clocale>
#include <cstdio>
#include <mutex>
#include <optional>
#include <string>

#include "cli.h"
#include "common/strfmt.h"
#include "long_run.h"
#include "si/guide_file.h"
#include "si/messages.h"
#include "si/ts_file_analysis.h"
#include "si/ts_file_listing.h"

namespace pelorus {
namespace {

// Reads the file on the worker with the progress drawn; a failure is shown and no value given.
// Ctrl-C stops the read and keeps what was analysed.
std::optional<TsFileAnalysis> Analyse(const std::string& path, CliContext& context) {
  TsFileAnalysis analysis;
  Worker worker;
  std::mutex mutex;
  std::string status;
  worker.Start([&](RunControl& control) { return AnalyseTsFile(path, control, analysis); },
               {[&](int, const std::string& text) {
                  std::lock_guard lock(mutex);
                  status = text;
                },
                {}});
  WaitOutRun(context, worker, 0, [&] {
    std::lock_guard lock(mutex);
    return status;
  });
  const RunResult result = worker.Join();
  if (result.Failed()) {
    ShowRunResult(context.ui, result);
    return std::nullopt;
  }
  return analysis;
}

void PrintLine(const std::string& line, CliContext& context) {
  std::fputs(line.c_str(), context.out);
  std::fputc('\n', context.out);
}

int RunSiFile(const ParsedLine& line, CliContext& context) {
  const std::optional<TsFileAnalysis> analysis = Analyse(line.Name(0), context);
  if (!analysis) return kExitFailed;
  const SiListing listing = ListSi(*analysis);
  if (listing.nitMissing) context.ui.ShowMessage(msg::si::kNitMissing, Icon::kInformation);
  for (const std::string& text : listing.lines) PrintLine(text, context);
  if (listing.pmtsMissing > 0) context.ui.SetStatusText(msg::si::kErrorReadingPmt);
  if (listing.patMissing) {
    context.ui.SetStatusText(msg::si::kErrorReadingPat);
    return kExitFailed;
  }
  return kExitDone;
}

int RunEitFile(const ParsedLine& line, CliContext& context) {
  const std::string& textPath = line.Name(1);
  const std::string xmltvPath = line.ValueOr("--xmltv", "");
  const std::optional<TsFileAnalysis> analysis = Analyse(line.Name(0), context);
  if (!analysis) return kExitFailed;
  // Dates and times in the user's locale, as the dialog shows them.
  std::setlocale(LC_TIME, "");
  const Guide& guide = *analysis->guide;
  const Guide::Counters counters = guide.Peek();
  std::fprintf(context.err, "%s %d, %s %d, %s %d\n", msg::si::kServicesLabel, counters.services,
               msg::si::kEventsLabel, counters.events, msg::si::kCrcLabel, analysis->crcErrors);
  if (!WriteGuideFile(guide, GuideFormat::kText, textPath, context.ui)) return kExitFailed;
  if (!xmltvPath.empty() && !WriteGuideFile(guide, GuideFormat::kXmltv, xmltvPath, context.ui)) {
    return kExitFailed;
  }
  return kExitDone;
}

int RunPidsFile(const ParsedLine& line, CliContext& context) {
  const std::optional<TsFileAnalysis> analysis = Analyse(line.Name(0), context);
  if (!analysis) return kExitFailed;
  for (const PidTexts& texts : DescribePids(*analysis)) PrintLine(PidLine(texts), context);
  return kExitDone;
}

const CliCommandRegistrar kSiFile({"si",
                                   {{{"FILE.ts", "the recorded transport stream"}}},
                                   RunSiFile});
const CliCommandRegistrar kEitFile({"eit",
                                    {{{"FILE.ts", "the recorded transport stream"},
                                      {"OUT.txt", "the guide, as text"}},
                                     {{"--xmltv", "OUT.xml", "the guide as XMLTV too"}}},
                                    RunEitFile});
const CliCommandRegistrar kPidsFile({"pids",
                                     {{{"FILE.ts", "the recorded transport stream"}}},
                                     RunPidsFile});

}  // namespace
}  // namespace pelorus
