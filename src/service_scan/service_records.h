#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "receiver/channel_record.h"
#include "service_scan/transponder.h"
#include "service_scan/transponder_read.h"

namespace pelorus {

// Why a service does not become a channel: what the receiver, an MPEG-2 DVB-S box, cannot show.
enum class SkipKind {
  kNone,
  kH264,       // H.264 video and no MPEG video
  kHevc,       // HEVC video likewise
  kMpeg4,      // MPEG-4 part 2 video likewise
  kAac,        // no video, and sound only in AAC
  kData,       // streams, none of them video or sound
  kNoStreams,  // a programme map without streams
  kNoPmt,      // its programme map never came: its PIDs are not known
};
inline constexpr size_t kSkipKindCount = 8;
const char* SkipKindText(SkipKind kind);

// Counts by kind, kNone unused.
struct SkipCounts {
  std::array<int, kSkipKindCount> counts{};
  void Add(SkipKind kind, int count = 1) { counts[static_cast<size_t>(kind)] += count; }
  void Add(const SkipCounts& other);
  int Total() const;
  // "H.264" or "1 H.264, 2 data"; the kinds with a count, in their order.
  std::string KindsText() const;
  std::string CountsText() const;
};

// What the receiver can show of a programme; the --all search keeps what it cannot.
SkipKind ServiceSkipKind(const Pmt& pmt);

// The streams a channel record takes from a programme map: the first MPEG video, the first MPEG
// audio (else an AC-3 stream), the teletext; kNoPid where there is none.
struct RecordStreams {
  uint16_t video = kNoPid;
  uint16_t audio = kNoPid;
  uint16_t pcr = kNoPid;
  uint16_t text = kNoPid;
};
RecordStreams StreamsOf(const Pmt& pmt);

// Where the channels of a transponder are received: its tuning and the DiSEqC port (1-4).
struct ChannelTuning {
  SearchTransponder transponder;
  int diseqcPort = 1;
};

// The channel of one service: tag, name from the SDT's service descriptor (decoded from its
// character table into the record's text, emphasis kept; "Service N" without one), ids, the
// tuning with the lock search's acquisition bandwidth, the PIDs, the SDT's service type (else
// TV or radio by the streams), PAL, no auto flags.
ChannelRecord ServiceRecord(const ChannelTuning& tuning, const PatProgram& program,
                            uint16_t transportStreamId, uint16_t originalNetworkId, const Pmt& pmt,
                            const SdtService* sdt);

// One service of a transponder, made a channel or skipped.
struct FoundService {
  ChannelRecord record{};
  std::string name;  // UTF-8, for the live list
  uint16_t serviceId = 0;
  SkipKind skipped = SkipKind::kNone;
  std::optional<int> orbital;  // where the marker row of a new channel puts it
};

// The services of a transponder's PAT (programme 0 aside) in its order. `orbital` is the
// position of the channels. With `all` nothing but a missing PMT is skipped.
std::vector<FoundService> ServicesOf(const TransponderTables& tables, const ChannelTuning& tuning,
                                     std::optional<int> orbital, bool all);

}  // namespace pelorus
