#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "es_assets.h"
#include "si_tables.h"

namespace sim {

inline constexpr size_t kPacketSize = 188;
// Below this the services do not fit; above it nobody reads fast enough.
inline constexpr uint64_t kMinimumRate = 4000000;
inline constexpr uint64_t kMaximumRate = 400000000;
using Packet = std::array<uint8_t, kPacketSize>;

// --ts-fault NAME: one misbehaviour of the multiplex, all on service 0 of the tuned transport
// stream so that a recorder of the current service sees it.
enum class TsFault {
  kNone,
  kCcJump,   // "cc-jump": every 500th video packet skips one continuity counter value
  kTei,      // "tei": every 400th video packet has transport_error_indicator set
  kBadSync,  // "bad-sync": every 300th video packet starts with 0x46 instead of 0x47
  kPidStop,  // "pid-stop": the MP2 audio PID carries nothing after two seconds
};
// False for a name it does not know.
bool ParseTsFault(const std::string& name, TsFault& fault);

// One transport stream generated packet by packet. Packet n of the simulator's time line goes
// out at n * 1504 / rate seconds after the clock start; PCR, PTS and DTS follow that time line,
// so a file of the packets plays at the rate it was generated at.
class Multiplex {
 public:
  // Called with each packet sent; null packets only when `withNulls`.
  using Sink = std::function<void(const Packet&)>;

  Multiplex(const StreamAssets& assets, int transponder, uint64_t rate, int64_t clockStart,
            uint64_t startIndex, TsFault fault);

  // Sends the packets from the current position up to (not including) index `end`.
  void Generate(uint64_t end, const Sink& sink, bool withNulls);
  // Sends what is still queued, so that no PES packet or section is left half sent.
  void Flush(const Sink& sink);
  uint64_t Position() const { return position_; }
  int Transponder() const { return transponder_; }

  // 90 kHz time of packet n since the clock start.
  int64_t Ticks90(uint64_t n) const;

 private:
  struct Queued {
    Packet bytes;
    bool pcr = false;  // its adaptation field's PCR is filled in when it goes out
  };
  // Something that becomes due at a packet index and then queues packets.
  struct Source {
    uint16_t pid = 0;
    int priority = 0;  // lower goes first
    uint64_t due = 0;
    int64_t unit = 0;  // units produced so far
    std::function<void(Source&)> produce;
    std::deque<Queued> queue;
  };

  uint64_t IndexAt(int64_t ticks90) const;
  void AddSectionSource(uint16_t pid, int64_t intervalTicks,
                        std::function<std::vector<Section>()> sections);
  void AddPesSource(uint16_t pid, uint8_t streamId, const ElementaryStream* stream, bool withDts,
                    bool carriesPcr, bool scrambled);
  void AddPcrSource(uint16_t pid);
  void QueueSection(Source& source, const Section& section);
  void QueuePes(Source& source, const std::vector<uint8_t>& pes, bool pcr, bool scrambled);
  uint8_t NextCounter(uint16_t pid, bool payload);
  void Emit(Queued& packet, uint64_t index, const Sink& sink);

  const StreamAssets& assets_;
  int transponder_;
  uint64_t rate_;
  int64_t clockStart_;
  uint64_t startIndex_;
  TsFault fault_;
  uint64_t position_;
  std::vector<Source> sources_;
  // Sources of one priority take turns, starting after the one that sent last, so a large
  // picture on one service does not hold back the others' streams until it is all sent.
  size_t lastSent_ = 0;
  std::array<uint8_t, 8192> counters_{};
  uint16_t faultVideoPid_ = 0;  // service 0's, where the faults show
  uint16_t faultAudioPid_ = 0;
  uint64_t videoPackets_ = 0;  // of service 0, queued and sent, for the faults
  uint64_t emittedVideo_ = 0;
};

// The null packet, PID 0x1FFF.
const Packet& NullPacket();

}  // namespace sim
