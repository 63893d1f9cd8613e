#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/editor_state.h"
#include "common/ui.h"
#include "lists/foreign_list.h"
#include "lists/satellite_position.h"

namespace pelorus {

// Why a channel of another receiver's list is not imported.
enum class SkipReason { kNone, kDvbS2, kAdvancedVideo, kOther };

// What this receiver cannot show: DVB-S2 transponders, H.264 and HEVC services (by the service
// type, or the video stream type the file names), cable, terrestrial and other non-satellite
// entries, and data services.
SkipReason WhyNotShown(const ForeignChannel& channel);

// The record of a channel: name, frequency in MHz and symbol rate in kS/s (both rounded),
// polarisation, FEC, inversion, ids, PIDs (AC-3 only where there is no MPEG audio), service type
// (from the PIDs when the file has none), the PMT PID unknown with the auto-PMT bit set, the
// acquisition bandwidth of the band scanner's auto-add, DiSEqC port `port` (1-4), PAL. False,
// with the reason, when the record cannot hold the channel's frequency or symbol rate.
bool RecordFromForeign(const ForeignChannel& channel, int port, ChannelRecord& record,
                       std::string& reason);

// A title row with the given record name text.
ChannelRecord MarkerRecord(std::string_view recordText);

struct ImportOptions {
  bool all = false;  // also what this receiver cannot show ("--all", "Tutti i servizi")
  DiseqcPorts diseqc;
};

struct ImportOutcome {
  std::vector<ChannelRecord> records;  // the channels with their title rows, in list order
  int imported = 0;
  int skippedDvbS2 = 0;
  int skippedAdvancedVideo = 0;
  int skippedOther = 0;
  std::vector<BadLine> badLines;  // the list's, then the channels the record cannot hold

  int Skipped() const { return skippedDvbS2 + skippedAdvancedVideo + skippedOther; }
};

// The records of a list. Title rows made to head a bouquet or a satellite are left out when no
// imported channel stands under them; a title row of the file itself is left out only when every
// channel under it was skipped.
ImportOutcome BuildImport(const ForeignList& list, const ImportOptions& options);

// "%d channels imported, %d skipped (...)".
std::string ImportSummary(const ImportOutcome& outcome);
// One line per bad line, "FILE, line N: reason", at most `limit` of them and a last line saying
// how many more there are.
std::vector<std::string> BadLineReport(const ForeignList& list, const std::vector<BadLine>& lines,
                                       size_t limit = 50);

// The satellites of a list's channels, in the order they first appear.
std::vector<int> SatellitesOf(const ForeignList& list);

// What the user chooses before the channels are added; kept between runs of the command.
struct ImportChoice {
  ImportOptions options;
  bool replace = false;  // replace the list instead of appending to it
  std::string folder;    // where the file dialog opens
};
// Shows the choice for the satellites found; false when the user cancelled.
using ImportChooser = std::function<bool(const std::vector<int>& satellites, ImportChoice& choice)>;

// "Importa da altro ricevitore...": asks for a list (one file; bouquets or the database beside
// it are found), lets `choose` settle the options, then appends the channels to the list, or
// replaces the list after "Settings already loaded. OK to discard?". The report goes to the status
// line and a message. Returns the channels imported, -1 when nothing was done.
int ImportFromOtherReceiver(EditorState& state, Ui& ui, ImportChoice& choice,
                            const ImportChooser& choose);

}  // namespace pelorus
