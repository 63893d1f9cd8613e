#include "service_scan/transponder_read.h"

#include <algorithm>

#include "common/ts_numbers.h"
#include "scsi/receiver_commands.h"
#include "si/si_reader.h"
#include "si/table_tracker.h"

namespace pelorus {
namespace {

using Clock = std::chrono::steady_clock;

template <typename Table>
std::optional<Table> WhatCame(const TableCollector<Table>& collector) {
  return collector.Current() ? collector.Current() : collector.Partial();
}

// The tune command without the dialog's fixed half second: the PAT's arrival is the lock.
bool Tune(ScsiTransport& transport, const SearchTransponder& transponder, LinkFailure& failure) {
  std::vector<uint8_t> data =
      TuneCommandData(transponder.frequencyMhz, transponder.symbolRateKs,
                      TuneFecIndexOf(transponder.fecCode), transponder.vertical);
  failure = {};
  return ExecScsiCommand(transport, ReceiverCommandBlock(static_cast<uint32_t>(data.size())),
                         ScsiDirection::kOut, data, nullptr, &failure) == kScsiSuccess;
}

// The NIT slot's collectors: this network's table, and each other network's.
struct NitCollectors {
  TableCollector<Nit> actual;
  std::map<uint16_t, TableCollector<Nit>> other;
  bool waitOther = false;

  bool Take(const Section& section) {
    if (section.tableId == ts::table::kNitActual) {
      actual.Add(section);
    } else if (section.tableId == ts::table::kNitOther) {
      other[section.extension].Add(section);
    }
    if (!actual.Current()) return false;
    if (!waitOther) return true;
    return std::any_of(other.begin(), other.end(),
                       [](const auto& entry) { return entry.second.Current().has_value(); });
  }
};

// Ends the read with what the capture's outcome says; true when the read is to go on.
bool GoesOn(SlotCapture::Outcome outcome, const LinkFailure& failure, TransponderRead& read) {
  if (outcome == SlotCapture::Outcome::kStopped) read.stopped = true;
  if (outcome == SlotCapture::Outcome::kLinkLost) read.failure = failure;
  return outcome == SlotCapture::Outcome::kDone || outcome == SlotCapture::Outcome::kTimedOut;
}

// A refused set-up (the receiver's stream belongs to someone else) ends the search as a lost
// link does: nothing could be read from any transponder.
bool SetUp(SlotCapture& capture, std::span<const uint16_t> pids, TransponderRead& read) {
  LinkFailure failure;
  if (capture.Setup(pids, failure)) return true;
  read.failure = failure;
  if (read.failure.problem == LinkProblem::kNone) read.failure.problem = LinkProblem::kRefused;
  return false;
}

void ReadProgramMaps(SlotCapture& capture, const TransponderReadRequest& request,
                     const RunGate& gate, TransponderRead& read) {
  // Several programmes may share a PMT PID: each PID is read once for all of them.
  std::map<uint16_t, std::map<uint16_t, TableCollector<Pmt>>> byPid;
  for (const PatProgram& program : read.tables.pat->programs) {
    byPid[program.pmtPid][program.programNumber];
  }
  std::vector<uint16_t> pids;
  for (const auto& entry : byPid) pids.push_back(entry.first);
  for (size_t first = 0; first < pids.size(); first += SlotCapture::kMaxSlots) {
    const size_t count = std::min(SlotCapture::kMaxSlots, pids.size() - first);
    const std::span<const uint16_t> group(pids.data() + first, count);
    if (!SetUp(capture, group, read)) return;
    std::vector<SlotTable> tables;
    for (const uint16_t pid : group) {
      auto& programs = byPid[pid];
      tables.push_back({pid, [&programs](const Section& section) {
                          if (section.tableId != ts::table::kPmt) return false;
                          const auto at = programs.find(section.extension);
                          if (at != programs.end()) at->second.Add(section);
                          return std::all_of(programs.begin(), programs.end(), [](const auto& p) {
                            return p.second.Current().has_value();
                          });
                        }});
    }
    LinkFailure failure;
    const Clock::time_point deadline = Clock::now() + request.timeout;
    const SlotCapture::Outcome outcome = capture.Read(tables, deadline, gate, failure);
    for (const uint16_t pid : group) {
      for (const auto& [number, collector] : byPid[pid]) {
        if (std::optional<Pmt> pmt = WhatCame(collector)) read.tables.pmts[number] = *pmt;
      }
    }
    if (!GoesOn(outcome, failure, read)) return;
  }
}

}  // namespace

TransponderRead ReadTransponder(ScsiTransport& transport, const TransponderReadRequest& request,
                                const RunGate& gate) {
  TransponderRead read;
  SlotCapture capture(transport);
  const std::vector<uint16_t> pids = {ts::pid::kPat, ts::pid::kSdt, ts::pid::kNit};
  if (!SetUp(capture, pids, read)) return read;
  if (request.tune) {
    LinkFailure failure;
    if (!Tune(transport, request.transponder, failure)) {
      // The receiver refused the digits: nothing to lock on.
      if (EndsTheRun(failure.problem)) read.failure = failure;
      return read;
    }
  }

  TableCollector<Pat> pat;
  TableCollector<Sdt> sdt;
  NitCollectors nit;
  nit.waitOther = request.waitNitOther;
  // No PAT within the time-out is no lock; once it has come, the SDT and the NITs get the
  // time-out again from then, so a table sent less often than the PAT is not cut short.
  Clock::time_point deadline = Clock::now() + request.timeout;
  std::vector<SlotTable> tables = {
      {ts::pid::kPat,
       [&pat, &deadline, &request](const Section& section) {
         if (section.tableId == ts::table::kPat) pat.Add(section);
         if (!pat.Current()) return false;
         deadline = Clock::now() + request.timeout;
         return true;
       }},
      {ts::pid::kSdt,
       [&sdt](const Section& section) {
         if (section.tableId == ts::table::kSdtActual) sdt.Add(section);
         return sdt.Current().has_value();
       }},
  };
  tables.push_back({ts::pid::kNit, [&nit](const Section& section) { return nit.Take(section); },
                    request.readNit});
  LinkFailure failure;
  const SlotCapture::Outcome outcome = capture.Read(tables, deadline, gate, failure);
  read.tables.pat = WhatCame(pat);
  read.tables.sdt = WhatCame(sdt);
  read.tables.nitActual = WhatCame(nit.actual);
  for (const auto& entry : nit.other) {
    if (std::optional<Nit> other = WhatCame(entry.second)) read.tables.nitOther.push_back(*other);
  }
  if (!GoesOn(outcome, failure, read) || !read.tables.pat) return read;
  ReadProgramMaps(capture, request, gate, read);
  return read;
}

}  // namespace pelorus
