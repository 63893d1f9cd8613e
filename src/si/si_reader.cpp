#include "si/si_reader.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <climits>
#include <cstdio>
#include <thread>

#include "common/ts_numbers.h"
#include "scsi/receiver_commands.h"
#include "si/table_capture.h"
#include "si/table_tracker.h"

namespace pelorus {
namespace {

constexpr uint8_t kTuneCommand = 0x17;
constexpr size_t kTuneDataLength = 16;
constexpr auto kLockTime = std::chrono::milliseconds(500);

// The sections `wanted` picks until the table is complete; after the time-out, what came.
template <typename Table, typename Wanted>
std::optional<Table> ReadTable(ScsiTransport& transport, uint16_t pid, CaptureLimits limits,
                               LinkFailure* failure, Wanted wanted) {
  TableCollector<Table> table;
  CaptureSections(
      transport, pid, [&](const Section& section) { return wanted(section) && table.Add(section); },
      limits, failure);
  if (table.Current()) return table.Current();
  return table.Partial();
}

}  // namespace

std::optional<Nit> ReadNit(ScsiTransport& transport, CaptureLimits limits, LinkFailure* failure) {
  return ReadTable<Nit>(transport, ts::pid::kNit, limits, failure, [](const Section& section) {
    return section.tableId == ts::table::kNitActual;
  });
}

std::optional<Sdt> ReadSdt(ScsiTransport& transport, CaptureLimits limits, LinkFailure* failure) {
  return ReadTable<Sdt>(transport, ts::pid::kSdt, limits, failure, [](const Section& section) {
    return section.tableId == ts::table::kSdtActual;
  });
}

std::optional<Pat> ReadPat(ScsiTransport& transport, CaptureLimits limits, LinkFailure* failure) {
  return ReadTable<Pat>(transport, ts::pid::kPat, limits, failure,
                        [](const Section& section) { return section.tableId == ts::table::kPat; });
}

std::optional<Pmt> ReadPmt(ScsiTransport& transport, const PatProgram& program,
                           CaptureLimits limits, LinkFailure* failure) {
  // Several programmes may share a PMT PID: the table_id_extension names the programme.
  return ReadTable<Pmt>(
      transport, program.pmtPid, limits, failure, [&program](const Section& section) {
        return section.tableId == ts::table::kPmt && section.extension == program.programNumber;
      });
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

bool SendTuneCommand(ScsiTransport& transport, int frequencyMhz, int symbolRate, int fecIndex,
                     bool vertical, LinkFailure* failure) {
  std::vector<uint8_t> data = TuneCommandData(frequencyMhz, symbolRate, fecIndex, vertical);
  if (ExecScsiCommand(transport, ReceiverCommandBlock(static_cast<uint32_t>(data.size())),
                      ScsiDirection::kOut, data, nullptr, failure) != kScsiSuccess) {
    return false;
  }
  std::this_thread::sleep_for(kLockTime);
  return true;
}

}  // namespace pelorus
