#include "service_scan/channel_search.h"

#include "common/strfmt.h"
#include "scsi/stream_primitives.h"
#include "service_scan/messages.h"
#include "service_scan/transponder_read.h"
#include "streams/messages.h"

namespace pelorus {
namespace {

// The tuned transponder's own entry in its NIT actual: the transport stream the PAT names.
std::optional<NamedTransponder> OwnEntry(const TransponderTables& tables) {
  if (!tables.pat || !tables.nitActual) return std::nullopt;
  for (const NitTransportStream& stream : tables.nitActual->transportStreams) {
    if (stream.transportStreamId != tables.pat->transportStreamId || stream.satellite.empty()) {
      continue;
    }
    if (tables.sdt && stream.originalNetworkId != tables.sdt->originalNetworkId) continue;
    return TransponderFromDelivery(stream.satellite.front(), stream.transportStreamId,
                                   stream.originalNetworkId);
  }
  return std::nullopt;
}

}  // namespace

std::string TransponderReport::Line() const {
  const std::string name =
      transponder.current ? std::string(msg::search::kCurrentTransponder) : transponder.Text();
  switch (outcome) {
    case Outcome::kNoLock:
      return Format(msg::search::kNoLockLine, name.c_str());
    case Outcome::kOutsideBand:
      return Format(msg::search::kOutsideBandLine, name.c_str());
    case Outcome::kNotInNit:
      return Format(msg::search::kNotInNitLine, name.c_str());
    case Outcome::kLocked:
      break;
  }
  std::string line = Format(msg::search::kServicesLine, name.c_str(),
                            static_cast<int>(services.size()), counts.added, counts.updated);
  if (counts.unchanged > 0) line += Format(msg::search::kUnchangedPart, counts.unchanged);
  if (skipped.Total() > 0) {
    line += Format(msg::search::kSkippedPart, skipped.Total(), skipped.KindsText().c_str());
  }
  return line;
}

std::vector<std::string> TransponderReport::ServiceLines() const {
  std::vector<std::string> lines;
  for (size_t i = 0; i < services.size(); ++i) {
    const FoundService& service = services[i];
    const char* name = service.name.c_str();
    const int id = service.serviceId;
    if (service.skipped != SkipKind::kNone) {
      lines.push_back(
          Format(msg::search::kServiceSkipped, name, id, SkipKindText(service.skipped)));
      continue;
    }
    const MergeKind kind = i < kinds.size() ? kinds[i] : MergeKind::kUnchanged;
    lines.push_back(Format(kind == MergeKind::kAdded     ? msg::search::kServiceAdded
                           : kind == MergeKind::kUpdated ? msg::search::kServiceUpdated
                                                         : msg::search::kServiceUnchanged,
                           name, id));
  }
  return lines;
}

std::string SearchSummary::Text() const {
  std::string text = Format(msg::search::kSummaryTransponders, searched, locked, noLock, dvbS2);
  if (outsideBand > 0) text += Format(msg::search::kSummaryOutsideBand, outsideBand);
  text += "\n" + Format(msg::search::kSummaryChannels, channels.added, channels.updated,
                        channels.unchanged);
  text += "\n";
  text += skipped.Total() > 0 ? Format(msg::search::kSummarySkipped, skipped.CountsText().c_str())
                              : std::string(msg::search::kSummaryNothingSkipped);
  return text;
}

ChannelSearch::ChannelSearch(ScsiTransport& transport, std::vector<ChannelRecord> list,
                             ChannelSearchRequest request)
    : transport_(transport), request_(std::move(request)), preview_(std::move(list)) {}

ChannelSearch::~ChannelSearch() {
  worker_.RequestStop();
  worker_.Join();
}

bool ChannelSearch::Start(Events events) {
  Events forRun = events;
  forRun.finished = nullptr;
  Worker::Callbacks callbacks;
  callbacks.progress = events.progress;
  callbacks.finished = events.finished;
  return worker_.Start(
      [this, forRun](RunControl& control) {
        const RunGate gate{[&control] { return control.StopRequested(); },
                           [&control](std::chrono::milliseconds d) { return control.Wait(d); }};
        Events run = forRun;
        run.progress = [&control](int percent, const std::string& text) {
          control.Progress(percent, text);
        };
        return Run(gate, run);
      },
      callbacks);
}

std::vector<FoundService> ChannelSearch::Found() const {
  std::lock_guard lock(mutex_);
  return found_;
}

SearchSummary ChannelSearch::Summary() const {
  std::lock_guard lock(mutex_);
  return summary_;
}

void ChannelSearch::Record(TransponderReport& report, const Events& events) {
  {
    std::lock_guard lock(mutex_);
    report.counts = MergeFound(preview_, report.services, &report.kinds);
    for (const FoundService& service : report.services) {
      if (service.skipped == SkipKind::kNone) {
        found_.push_back(service);
      } else {
        report.skipped.Add(service.skipped);
      }
    }
    summary_.channels.Add(report.counts);
    summary_.skipped.Add(report.skipped);
  }
  if (events.transponder) events.transponder(report);
}

RunResult ChannelSearch::Run(const RunGate& gate, const Events& events) {
  const std::vector<ChannelRecord> listAtStart = preview_;
  SetScsiBusy(transport_, request_.scsiBusy);
  TransponderList queue;
  if (request_.network) {
    SearchTransponder current;
    current.current = true;
    queue.Add(current);
  }
  for (const SearchTransponder& transponder : request_.transponders) queue.Add(transponder);
  {
    std::lock_guard lock(mutex_);
    summary_.dvbS2 = request_.dvbS2Skipped;
  }
  // Second-generation transponders the NITs name, counted once however many NITs name them.
  TransponderList secondGeneration;
  const auto count = [this](int SearchSummary::*field) {
    std::lock_guard lock(mutex_);
    ++(summary_.*field);
  };
  const auto report = [&events](const TransponderReport& done) {
    if (events.transponder) events.transponder(done);
  };

  RunResult result = RunResult::Done();
  bool linkLost = false;
  for (size_t i = 0; i < queue.Size(); ++i) {
    if (gate.stopRequested()) break;
    const int total = static_cast<int>(queue.Size());
    if (events.progress) {
      events.progress(static_cast<int>(i * 100 / queue.Size()),
                      Format(msg::search::kProgressFormat, static_cast<int>(i) + 1, total));
    }
    TransponderReport done;
    done.number = static_cast<int>(i) + 1;
    done.total = total;
    done.transponder = queue[i];
    const SearchTransponder wanted = queue[i];
    if (!wanted.current && !RangeAllowed(request_.lnb, wanted.frequencyMhz, wanted.frequencyMhz)) {
      count(&SearchSummary::outsideBand);
      done.outcome = TransponderReport::Outcome::kOutsideBand;
      report(done);
      continue;
    }
    TransponderReadRequest read;
    read.tune = !wanted.current;
    read.transponder = wanted;
    read.readNit = request_.network;
    read.waitNitOther = request_.network && wanted.current;
    read.timeout = request_.timeout;
    TransponderRead tables = ReadTransponder(transport_, read, gate);
    if (EndsTheRun(tables.failure.problem)) {
      linkLost = true;
      std::string detail = tables.failure.reason;
      const size_t kept = Found().size();
      if (kept > 0) {
        detail +=
            (detail.empty() ? "" : "; ") + Format(msg::search::kFoundKept, static_cast<int>(kept));
      }
      result = RunResult::Failed(msg::search::kSearchLost, detail);
      break;
    }
    if (tables.failure.problem == LinkProblem::kRefused) {
      result = RunResult::Failed(msg::streams::kSetupPidStreamFailed, tables.failure.reason);
      break;
    }
    if (tables.stopped) break;
    count(&SearchSummary::searched);
    if (!tables.tables.pat) {
      count(&SearchSummary::noLock);
      done.outcome = TransponderReport::Outcome::kNoLock;
      report(done);
      continue;
    }
    count(&SearchSummary::locked);
    const std::optional<NamedTransponder> own = OwnEntry(tables.tables);
    if (wanted.current) {
      // Now that the NIT says where the tuned transponder is, the same one is not searched again.
      if (own) queue[i] = own->transponder;
      done.transponder = queue[i];
    }
    if (request_.network) {
      std::vector<const Nit*> nits;
      if (tables.tables.nitActual) nits.push_back(&*tables.tables.nitActual);
      for (const Nit& other : tables.tables.nitOther) nits.push_back(&other);
      for (const Nit* nit : nits) {
        for (const NitTransportStream& stream : nit->transportStreams) {
          for (const DeliveryEntry& entry : stream.satellite) {
            const NamedTransponder named =
                TransponderFromDelivery(entry, stream.transportStreamId, stream.originalNetworkId);
            if (!named.dvbS2) {
              queue.Add(named.transponder);
            } else if (!queue.Contains(named.transponder) &&
                       secondGeneration.Add(named.transponder)) {
              count(&SearchSummary::dvbS2);
            }
          }
        }
      }
    }
    if (queue[i].current) {
      done.outcome = TransponderReport::Outcome::kNotInNit;
      report(done);
      continue;
    }
    done.outcome = TransponderReport::Outcome::kLocked;
    done.total = static_cast<int>(queue.Size());
    const std::optional<int> orbital = own && own->transponder.orbital ? own->transponder.orbital
                                       : queue[i].orbital              ? queue[i].orbital
                                                                       : request_.orbital;
    ChannelTuning tuning;
    tuning.transponder = queue[i];
    tuning.diseqcPort =
        request_.diseqcPort.value_or(ListDiseqcPort(listAtStart, orbital, tuning.transponder));
    done.services = ServicesOf(tables.tables, tuning, orbital, request_.all);
    Record(done, events);
  }
  // A receiver that is gone would only make the stop wait out its time-out.
  if (!linkLost) StopPidStream(transport_, true);
  if (events.progress) events.progress(100, "");
  return result;
}

}  // namespace pelorus
