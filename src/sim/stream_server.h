#pragma once

#include <array>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "es_assets.h"
#include "multiplex.h"
#include "pid_queue.h"
#include "sim_state.h"
#include "stream_requests.h"

namespace sim {

// The receiver's live stream side: a generator thread that runs the tuned transport stream at
// the configured rate, and the stream filters (one single-PID stream, up to three slots) and
// the PID probe that the client reads from. Thread-safe: every SCSI connection calls it.
class StreamServer {
 public:
  static constexpr uint32_t kProbeAreaSize = 256;
  static constexpr uint32_t kProbeAreas = 32;

  StreamServer(SimState& state, StreamAssets assets);
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

  // Switches to a transponder of the layout, or to none (-1: no lock, nothing on the stream).
  void Tune(int transponder);
  int Transponder();
  // The current service's PIDs, none when nothing is tuned.
  std::optional<ServicePids> CurrentService();

  // Starts a probe of these PIDs; the result fills in as their packets go by.
  void Probe(const std::vector<uint16_t>& pids);
  // The 8192-byte probe result, none before the first probe.
  std::optional<std::vector<uint8_t>> ProbeResult();

  // 0x0000 ("Blocca SCSI"): the receiver keeps deep stream queues for the client.
  void SetBusyWord(uint16_t word);

 private:
  void Run(std::stop_token stop);
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

  SimState& state_;
  StreamAssets assets_;
  uint64_t rate_;
  TsFault fault_;
  int64_t clockStart_;

  std::mutex mutex_;
  std::condition_variable arrived_;
  std::unique_ptr<Multiplex> multiplex_;
  int transponder_ = 0;
  uint64_t position_ = 0;  // packets of the time line so far
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
