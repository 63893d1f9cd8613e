#pragma once

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "es_assets.h"
#include "multiplex.h"
#include "packet_source.h"
#include "pid_queue.h"
#include "sim_state.h"
#include "stream_requests.h"

namespace sim {

// The receiver's live stream side: a thread that plays the tuned transponder (the generated
// multiplex at the configured rate, or a recording at its own pace), and the stream filters
// (one single-PID stream, up to three slots) and the PID probe that the client reads from.
// Thread-safe: every SCSI connection calls it.
class StreamServer {
 public:
  static constexpr uint32_t kProbeAreaSize = 256;
  static constexpr uint32_t kProbeAreas = 32;

  // Plays the layout's transponders, or, when `recordings` holds any, those recordings as the
  // transponders (index = their order).
  StreamServer(SimState& state, StreamAssets assets, std::vector<Recording> recordings = {});
  ~StreamServer();
  StreamServer(const StreamServer&) = delete;
  StreamServer& operator=(const StreamServer&) = delete;

  // A stream (the single-PID one, or the slot set) belongs to the connection that set it up:
  // set-ups, stops and reads from another connection are refused (false, none) while it is
  // running, so that no client's stream is ever changed under it. Its own connection may set
  // it up again. A stream whose connection closed belongs to nobody: anyone may take it over.
  bool SetupSingle(const StreamFilter& filter, ConnectionId connection);
  bool StopSingle(ConnectionId connection);
  bool SetupSlots(const std::vector<StreamFilter>& filters, ConnectionId connection);
  bool StopSlots(ConnectionId connection);
  size_t SlotCount();
  void Release(ConnectionId connection);

  // Exactly `length` bytes of the stream, waiting a little for them; no value when the stream
  // is not set up, is another connection's, or the data did not come in time.
  std::optional<std::vector<uint8_t>> ReadSingle(uint32_t length, ConnectionId connection);
  std::optional<std::vector<uint8_t>> ReadSlot(size_t slot, uint32_t length,
                                               ConnectionId connection);

  // The transponder a tune request points at, or -1.
  int FindTransponder(const TuneRequest& request) const;
  // Switches to a transponder, or to none (-1: no lock, nothing on the stream).
  void Tune(int transponder);
  int Transponder();
  // The current service's PIDs (0 where it has no such stream), none when nothing is tuned.
  std::optional<ServicePids> CurrentService();

  // Starts a probe of these PIDs; the result fills in as their packets go by.
  void Probe(const std::vector<uint16_t>& pids);
  // The 8192-byte probe result, none before the first probe.
  std::optional<std::vector<uint8_t>> ProbeResult();

  // 0x0000 ("Blocca SCSI"): the receiver keeps deep stream queues for the client.
  void SetBusyWord(uint16_t word);

 private:
  void Run(std::stop_token stop);
  std::unique_ptr<PacketSource> MakeSourceLocked(int transponder);
  std::string Describe(int transponder) const;
  void Deliver(const Packet& packet);
  size_t QueueCapacity() const;
  void LogLossesLocked(bool always);
  std::optional<std::vector<uint8_t>> Read(std::unique_ptr<PidQueue>* queue, uint32_t length,
                                           const ConnectionId* owner, ConnectionId connection);
  // Whether `connection` may change or read a stream that `owner` set up.
  static bool MayUse(bool running, ConnectionId owner, ConnectionId connection) {
    return !running || owner == kNoConnection || owner == connection;
  }
  void RecountLocked();
  bool SlotsRunningLocked() const;
  // Delivers every packet that has fallen due by now.
  void CatchUpLocked();

  SimState& state_;
  StreamAssets assets_;
  const std::vector<Recording> recordings_;
  uint64_t rate_;
  TsFault fault_;
  int64_t clockStart_;
  const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();

  std::mutex mutex_;
  std::condition_variable arrived_;
  std::unique_ptr<PacketSource> source_;  // none while nothing is tuned
  int transponder_ = 0;
  int64_t elapsedNs_ = 0;  // the time line so far
  std::unique_ptr<PidQueue> single_;
  std::array<std::unique_ptr<PidQueue>, kMaxSlots> slots_;
  ConnectionId singleOwner_ = kNoConnection;
  ConnectionId slotsOwner_ = kNoConnection;
  std::array<uint8_t, 8192> subscribers_{};  // how many queues take each PID
  std::array<int8_t, 8192> probeArea_{};     // the probe area of each PID, -1 none
  std::vector<uint8_t> probe_;
  std::vector<bool> probeFilled_;
  uint16_t busyWord_ = 0xFFFF;
  uint64_t loggedLosses_ = 0;
  std::jthread thread_;
};

}  // namespace sim
