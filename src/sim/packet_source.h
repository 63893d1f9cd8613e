#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "es_assets.h"
#include "multiplex.h"
#include "recording_tables.h"
#include "stream_requests.h"

namespace sim {

// What the stream server plays on the tuned transponder: the multiplex generated for a
// transponder of the layout, or a recording. Either sends, when asked, the packets due by then.
class PacketSource {
 public:
  virtual ~PacketSource() = default;
  // Sends the packets due by `elapsedNs` after the server started; null packets only when
  // `withNulls` (the generated multiplex) or as the recording has them.
  virtual void Advance(int64_t elapsedNs, const Multiplex::Sink& sink, bool withNulls) = 0;
  // The PIDs the current-service block names (0 where the service has no such stream).
  virtual ServicePids CurrentService() const = 0;
};

// The multiplex of a transponder of the layout, from `startNs` on the server's time line.
std::unique_ptr<PacketSource> MakeGeneratedSource(const StreamAssets& assets, int transponder,
                                                  uint64_t rate, int64_t clockStart,
                                                  int64_t startNs, TsFault fault);

// A recording offered as a transponder: where it is, how its packets lie, what its tables say.
struct Recording {
  std::string path;
  PacketFormat format;
  RecordingInfo info;
  double initialBitsPerSecond = 0;  // from its first PCRs, else 0
};

// Looks at a recording's first megabytes: its packet format and tables. False, with the reason
// in `error`, when it cannot be read or holds no transport stream.
bool OpenRecording(const std::string& path, Recording& recording, std::string& error);

// Plays a recording from `startNs` on, looping, paced by its PCRs or, when `fixedRate` is not
// 0, at that many bits a second.
std::unique_ptr<PacketSource> MakeRecordingSource(const Recording& recording, int64_t startNs,
                                                  uint64_t fixedRate);

// The recording whose own NIT places it where the tune request points, or -1. A recording
// without a satellite delivery descriptor for its transport stream cannot be tuned to.
int FindRecording(const std::vector<Recording>& recordings, const TuneRequest& request);

}  // namespace sim
