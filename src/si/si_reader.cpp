#include "si/si_reader.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <climits>
#include <cstdio>
#include <thread>

#include "common/ts_numbers.h"
#include "scsi/receiver_commands.h"

namespace pelorus {
namespace {

constexpr uint8_t kTuneCommand = 0x17;
constexpr size_t kTuneDataLength = 16;
constexpr auto kLockTime = std::chrono::milliseconds(500);

}  // namespace

std::optional<NitInfo> ReadNit(ScsiTransport& transport, CaptureLimits limits) {
  std::vector<uint8_t> buffer(4096);
  const auto section =
      CaptureSection(transport, ts::pid::kNit, ts::table::kNitActual, buffer, limits);
  if (section.empty()) return std::nullopt;
  return ParseNit(section);
}

std::optional<PatInfo> ReadPat(ScsiTransport& transport, CaptureLimits limits) {
  std::vector<uint8_t> buffer(1024);
  const auto section = CaptureSection(transport, ts::pid::kPat, ts::table::kPat, buffer, limits);
  if (section.empty()) return std::nullopt;
  return ParsePat(section);
}

std::optional<PmtInfo> ReadPmt(ScsiTransport& transport, const PatProgram& program,
                               CaptureLimits limits) {
  std::vector<uint8_t> buffer(1024);
  const auto section = CaptureSectionWithExtension(transport, program.pmtPid, ts::table::kPmt,
                                                   program.programNumber, buffer, limits);
  if (section.empty()) return std::nullopt;
  return ParsePmt(section);
}

std::optional<int> TuneFecIndex(std::string_view caption) {
  const auto at = std::find(kTuneFecCaptions.begin(), kTuneFecCaptions.end(), caption);
  if (at == kTuneFecCaptions.end()) return std::nullopt;
  return static_cast<int>(at - kTuneFecCaptions.begin());
}

int TypedNumber(std::string_view text) {
  size_t at = 0;
  while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
  long long value = 0;
  const auto [end, error] = std::from_chars(text.data() + at, text.data() + text.size(), value);
  (void)end;
  if (error == std::errc::result_out_of_range) {
    return text.substr(at).starts_with('-') ? INT_MIN : INT_MAX;
  }
  if (error != std::errc()) return 0;
  return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

std::vector<uint8_t> TuneCommandData(int frequencyMhz, int symbolRate, int fecIndex,
                                     bool vertical) {
  char frequency[32];
  char rate[32];
  std::snprintf(frequency, sizeof frequency, "%05d", frequencyMhz);
  // Ten times the number, so 27500 goes out as 27500 and 6111 as 61110; kept in 64 bits so a
  // huge typed number cannot overflow.
  std::snprintf(rate, sizeof rate, "%05lld", 10LL * symbolRate);
  std::vector<uint8_t> data(kTuneDataLength, 0);
  data[0] = kTuneCommand;
  std::copy_n(frequency, 5, data.begin() + 1);
  std::copy_n(rate, 5, data.begin() + 6);
  data[11] = static_cast<uint8_t>('1' + std::clamp(fecIndex, 0, 5));
  data[12] = vertical ? '1' : '0';
  data[13] = '0';
  data[14] = '2';
  return data;
}

void SendTuneCommand(ScsiTransport& transport, int frequencyMhz, int symbolRate, int fecIndex,
                     bool vertical) {
  std::vector<uint8_t> data = TuneCommandData(frequencyMhz, symbolRate, fecIndex, vertical);
  ExecScsiCommand(transport, ReceiverCommandBlock(static_cast<uint32_t>(data.size())),
                  ScsiDirection::kOut, data);
  std::this_thread::sleep_for(kLockTime);
}

}  // namespace pelorus
