#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "cli.h"
#include "common/number_parse.h"
#include "common/worker.h"

namespace pelorus {

// How the console waits for a worker that has been started: until the run ends by itself,
// `seconds` have passed (0: no limit), or SIGINT/SIGTERM/SIGHUP asks it to stop — each of the
// last two is the Stop button, so what arrived is kept. `status` (when given) is drawn once a
// second with the progress. Returns once the run has ended; its result is the caller's to show.
void WaitOutRun(CliContext& context, Worker& worker, double seconds,
                const std::function<std::string()>& status = {});

// The console's exit status for a run: 0 when it did what was asked (done, or stopped with
// data — a stop without data is reported by the run as a failure), 1 when it failed.
inline int ExitStatusOf(const RunResult& result) {
  return result.Failed() ? kExitFailed : kExitDone;
}

// An option's value read with the one strict number reading; no value (with a usage error that
// names the option printed) when it is given but is not a number in [min, max]. `fallback` when
// the option is absent.
std::optional<int64_t> NumberOption(const ParsedLine& line, std::string_view name, int64_t min,
                                    int64_t max, int64_t fallback, CliContext& context,
                                    NumberBase base = NumberBase::kDecimal);
std::optional<double> DecimalOption(const ParsedLine& line, std::string_view name, double min,
                                    double max, double fallback, CliContext& context);

}  // namespace pelorus
