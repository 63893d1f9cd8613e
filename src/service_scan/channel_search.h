#pragma once

#include <chrono>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "common/worker.h"
#include "scanner/lnb.h"
#include "scsi/scsi_transport.h"
#include "service_scan/list_merge.h"
#include "service_scan/service_records.h"
#include "service_scan/slot_capture.h"
#include "service_scan/transponder.h"

namespace pelorus {

inline constexpr int kDefaultSearchTimeoutSeconds = 3;
inline constexpr int kMaxSearchTimeoutSeconds = 60;

// What to search and how to make the channels.
struct ChannelSearchRequest {
  // Start from the transponder the receiver is tuned to and search every transponder the NITs
  // name (actual, and other where it is sent).
  bool network = false;
  // The transponders of tables, lock searches and rows, in order; duplicates are searched once.
  std::vector<SearchTransponder> transponders;
  int dvbS2Skipped = 0;  // what the sources left out already
  LnbType lnb = LnbType::kUniversal;
  // 1-4; no value: each position's port from the list (ListDiseqcPort).
  std::optional<int> diseqcPort;
  // The position of channels whose transponder's NIT does not say, when the user gave one.
  std::optional<int> orbital;
  bool all = false;  // also what the receiver cannot show
  std::chrono::milliseconds timeout{kDefaultSearchTimeoutSeconds * 1000};
  bool scsiBusy = false;  // the SCSIBusy option
};

// One transponder's outcome, for the live list and the console's lines.
struct TransponderReport {
  enum class Outcome { kLocked, kNoLock, kOutsideBand, kNotInNit };
  int number = 0;  // 1-based, of `total` known so far
  int total = 0;
  SearchTransponder transponder;
  Outcome outcome = Outcome::kNoLock;
  std::vector<FoundService> services;
  std::vector<MergeKind> kinds;  // what each service would become in the list
  MergeCounts counts;
  SkipCounts skipped;
  // "11778 V 27500 3/4: 6 services, 4 added, 1 updated, 1 skipped (H.264)".
  std::string Line() const;
  // One line per service, as the dialog's list shows them under the transponder.
  std::vector<std::string> ServiceLines() const;
};

struct SearchSummary {
  int searched = 0;  // transponders tuned and read
  int locked = 0;
  int noLock = 0;
  int dvbS2 = 0;
  int outsideBand = 0;
  MergeCounts channels;
  SkipCounts skipped;
  // Three lines: transponders, channels, services skipped.
  std::string Text() const;
};

// The channel search on a worker of its own: tune each transponder, read its tables, make the
// channels, and say how each would merge into the list (a copy taken at the start). Stop keeps
// what was found; a receiver that goes silent or away ends the search at once with the reason,
// and what was found before can still be merged.
class ChannelSearch {
 public:
  struct Events {
    // On the worker's thread: the progress ("Transponder %d di %d") and each transponder done.
    std::function<void(int percent, const std::string& text)> progress;
    std::function<void(const TransponderReport& report)> transponder;
    std::function<void(const RunResult& result)> finished;
  };

  ChannelSearch(ScsiTransport& transport, std::vector<ChannelRecord> list,
                ChannelSearchRequest request);
  ~ChannelSearch();
  ChannelSearch(const ChannelSearch&) = delete;
  ChannelSearch& operator=(const ChannelSearch&) = delete;

  bool Start(Events events);
  void RequestStop() { worker_.RequestStop(); }
  RunResult Join() { return worker_.Join(); }
  Worker& worker() { return worker_; }

  // What was found so far, in the order found, and the summary so far.
  std::vector<FoundService> Found() const;
  SearchSummary Summary() const;

  // The search body without a thread: what the worker runs.
  RunResult Run(const RunGate& gate, const Events& events);

 private:
  // The transponder's position and port, and its channels.
  void Record(TransponderReport& report, const Events& events);

  ScsiTransport& transport_;
  ChannelSearchRequest request_;
  mutable std::mutex mutex_;
  std::vector<ChannelRecord> preview_;  // the list as it would be after the merge so far
  std::vector<FoundService> found_;
  SearchSummary summary_;
  Worker worker_;
};

}  // namespace pelorus
