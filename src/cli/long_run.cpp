#include "long_run.h"

#include <chrono>
#include <cstdint>
#include <cstdio>

#include "common/temporary_files.h"

namespace pelorus {
namespace {

constexpr auto kPollStep = std::chrono::milliseconds(100);

}  // namespace

void WaitOutRun(CliContext& context, Worker& worker, double seconds,
                const std::function<std::string()>& status) {
  // While the run lasts, Ctrl-C or a kill stops it as the Stop button would.
  SignalStopScope signalStop;
  const auto start = std::chrono::steady_clock::now();
  const auto limit = std::chrono::duration<double>(seconds);
  int shownSecond = -1;
  while (!worker.WaitFor(kPollStep)) {
    const auto elapsed = std::chrono::steady_clock::now() - start;
    if ((seconds > 0 && elapsed >= limit) || SignalStopScope::StopSignal() != 0) {
      worker.RequestStop();
      continue;
    }
    const int second =
        static_cast<int>(std::chrono::duration_cast<std::chrono::seconds>(elapsed).count());
    if (status && second != shownSecond) {
      shownSecond = second;
      context.ui.SetStatusText(status());
      if (seconds > 0) {
        context.ui.SetProgress(
            static_cast<int>(std::chrono::duration<double>(elapsed) / limit * 100), true);
      }
    }
  }
  if (status) {
    context.ui.SetProgress(0, false);
    context.ui.SetStatusText("");
  }
}

std::optional<int64_t> NumberOption(const ParsedLine& line, std::string_view name, int64_t min,
                                    int64_t max, int64_t fallback, CliContext& context,
                                    NumberBase base) {
  const std::string* text = line.Value(name);
  if (text == nullptr) return fallback;
  const std::optional<int64_t> value = ParseNumber(*text, min, max, base);
  if (!value) {
    const bool number = ParseNumber(*text, INT64_MIN / 2, INT64_MAX / 2, base).has_value();
    if (number) {
      std::fprintf(context.err, "pelorus-cli: %.*s: %s is out of range (%lld to %lld)\n",
                   static_cast<int>(name.size()), name.data(), text->c_str(),
                   static_cast<long long>(min), static_cast<long long>(max));
    } else {
      std::fprintf(context.err, "pelorus-cli: %.*s: '%s' is not a number\n",
                   static_cast<int>(name.size()), name.data(), text->c_str());
    }
    UsageError(context);
  }
  return value;
}

std::optional<double> DecimalOption(const ParsedLine& line, std::string_view name, double min,
                                    double max, double fallback, CliContext& context) {
  const std::string* text = line.Value(name);
  if (text == nullptr) return fallback;
  const std::optional<double> value = ParseDecimal(*text, min, max);
  if (!value) {
    std::fprintf(context.err, "pelorus-cli: %.*s: '%s' is not a number from %g to %g\n",
                 static_cast<int>(name.size()), name.data(), text->c_str(), min, max);
    UsageError(context);
  }
  return value;
}

}  // namespace pelorus
