// The receiver's side of the band scanner: every command is five 32-bit values sent least
// significant byte first (one value, 0, ends the subroutine); sweeps answer one "%d,%d" line per
// MHz of IF and ".", lock searches one line.
#include "signal_subroutine.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "signal_carriers.h"

namespace sim {
namespace {

constexpr uint32_t kEnd = 0;
constexpr uint32_t kHorizontal = 14;
constexpr uint32_t kVertical = 18;
constexpr uint32_t kCbegWord = 'C' | ('B' << 8) | ('E' << 16) | (static_cast<uint32_t>('G') << 24);
constexpr int kInvertedOscillator = 5150;
// Beyond these the receiver's tuner cannot go, so such a command is not one.
constexpr int kWidestSweep = 4096;
constexpr uint32_t kWidestLockWidth = 40;
constexpr std::chrono::milliseconds kIdlePoll{200};

// The next value; waits as long as the editor takes to send one, but no more than a byte
// time-out between the bytes of a value.
std::optional<uint32_t> ReadValue(SerialContext& context) {
  std::array<uint8_t, 4> bytes{};
  while (true) {
    if (context.stop.stop_requested() || !context.line.Connected()) return std::nullopt;
    const auto first = context.line.ReadByte(kIdlePoll, context.stop);
    if (!first) continue;
    bytes[0] = *first;
    break;
  }
  if (context.line.ReadExact(std::span(bytes).subspan(1), kByteTimeout, context.stop) != 3)
    return std::nullopt;
  return bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}

int RfOf(int oscillator, int ifMhz) {
  return oscillator == kInvertedOscillator ? kInvertedOscillator - ifMhz : oscillator + ifMhz;
}

int IfOf(int oscillator, int rfMhz) {
  return oscillator == kInvertedOscillator ? kInvertedOscillator - rfMhz : rfMhz - oscillator;
}

void Sweep(SerialContext& context, const Spectrum& spectrum, bool vertical, int from, int to,
           int oscillator, uint32_t pass) {
  const int step = to >= from ? 1 : -1;
  std::string reply;
  for (int f = from;; f += step) {
    char line[32];
    std::snprintf(line, sizeof line, "%d,%d\r\n", f,
                  spectrum.Level(RfOf(oscillator, f), f, vertical, pass));
    reply += line;
    if (f == to) break;
  }
  reply += ".\r\n";
  context.line.Send(reply, context.stop);
}

void LockSearch(SerialContext& context, const Spectrum& spectrum, bool vertical, int ifMhz,
                int width, int oscillator) {
  const auto carrier = spectrum.LockAt(RfOf(oscillator, ifMhz), width, vertical);
  if (!carrier) {
    context.line.Send("\r\n", context.stop);
    context.state.Log("signal lock " + std::to_string(RfOf(oscillator, ifMhz)) + " none");
    return;
  }
  const int whole = carrier->symbolRateKsps / 1000;
  // The fraction in 1/65535 MS/s, rounded up so that the editor's truncation gives back the
  // symbol rate the channel has.
  const int fraction = ((carrier->symbolRateKsps % 1000) * 65535 + 999) / 1000;
  const int fec = carrier->fecCode >= 2 && carrier->fecCode <= 7 ? carrier->fecCode : 4;
  const int signal = 40 + carrier->symbolRateKsps % 50;
  char line[96];
  std::snprintf(line, sizeof line, "%d,%d,%d,%d,%d,%d\r\n", IfOf(oscillator, carrier->rfMhz), whole,
                fraction, fec, signal, 1);
  context.state.Log("signal lock " + std::to_string(RfOf(oscillator, ifMhz)) + " at " +
                    std::to_string(carrier->rfMhz));
  context.line.Send(std::string_view(line), context.stop);
}

}  // namespace

void RunSignalSubroutine(SerialContext& context) {
  std::vector<uint8_t> table;
  {
    std::lock_guard lock(context.state.mutex);
    table = context.state.channelTable;
  }
  const Spectrum spectrum(CarriersOf(table), context.state.options.coveredFeed);
  context.state.Log("signal started");
  uint32_t pass = 0;
  while (true) {
    const auto polarity = ReadValue(context);
    if (!polarity) return;
    if (*polarity == kEnd) {
      context.state.Log("signal end");
      return;
    }
    if (*polarity == kCbegWord) {
      context.state.Log("signal interrupted by attention");
      return;
    }
    std::array<uint32_t, 4> values{};
    for (uint32_t& value : values) {
      const auto read = ReadValue(context);
      if (!read) return;
      value = *read;
    }
    const bool vertical = *polarity == kVertical;
    const int a = static_cast<int>(values[0]);
    const int b = static_cast<int>(values[1]);
    const int oscillator = static_cast<int>(values[3]);
    std::string logLine = "signal " + std::to_string(*polarity) + " " + std::to_string(a) + " " +
                          std::to_string(b) + " " + std::to_string(values[2]) + " " +
                          std::to_string(oscillator);
    if (*polarity != kHorizontal && *polarity != kVertical) {
      context.state.Log(logLine + " refused");
      continue;
    }
    // A lock search's third value is its sweep width; a sweep's is the IF it ends at.
    if (values[1] <= kWidestLockWidth) {
      context.state.Log("lock " + logLine);
      LockSearch(context, spectrum, vertical, a, b, oscillator);
    } else if (std::abs(b - a) < kWidestSweep && a > 0 && b > 0) {
      context.state.Log("sweep " + logLine);
      Sweep(context, spectrum, vertical, a, b, oscillator, pass++);
    } else {
      context.state.Log(logLine + " refused");
      context.line.Send(".\r\n", context.stop);
    }
  }
}

}  // namespace sim
