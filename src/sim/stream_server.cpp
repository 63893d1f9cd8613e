#include "stream_server.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>

namespace sim {
namespace {

constexpr auto kTick = std::chrono::milliseconds(5);
// How long a read waits for its threshold to fill before it fails.
constexpr auto kReadWait = std::chrono::milliseconds(500);
constexpr size_t kQueueDepth = 2048;          // packets, about 0.4 MiB
constexpr size_t kBlockedQueueDepth = 16384;  // with the busy word set to 0x0000
constexpr int kLossLogTicks = 200;            // once a second

std::string Hex4(uint16_t value) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%04x", value);
  return text;
}

}  // namespace

StreamServer::StreamServer(SimState& state, StreamAssets assets, std::vector<Recording> recordings)
    : state_(state),
      assets_(std::move(assets)),
      recordings_(std::move(recordings)),
      rate_(state.options.rate),
      clockStart_(static_cast<int64_t>(std::time(nullptr))) {
  ParseTsFault(state.options.tsFault, fault_);
  probeArea_.fill(-1);
  transponder_ = state.options.transponder;
  source_ = MakeSourceLocked(transponder_);
  thread_ = std::jthread([this](std::stop_token stop) { Run(stop); });
}

StreamServer::~StreamServer() {
  thread_.request_stop();
  if (thread_.joinable()) thread_.join();
  std::lock_guard lock(mutex_);
  LogLossesLocked(true);
}

std::unique_ptr<PacketSource> StreamServer::MakeSourceLocked(int transponder) {
  if (transponder < 0) return nullptr;
  if (!recordings_.empty()) {
    // A recording plays at the pace of its PCRs unless a rate was asked for.
    const uint64_t fixedRate = state_.options.rateGiven ? rate_ : 0;
    return MakeRecordingSource(recordings_[static_cast<size_t>(transponder)], elapsedNs_,
                               fixedRate);
  }
  return MakeGeneratedSource(assets_, transponder, rate_, clockStart_, elapsedNs_, fault_);
}

int StreamServer::FindTransponder(const TuneRequest& request) const {
  if (!recordings_.empty()) return FindRecording(recordings_, request);
  return sim::FindTransponder(request.frequencyMhz, request.symbolRateDigits, request.vertical);
}

std::string StreamServer::Describe(int transponder) const {
  if (transponder < 0) return "nothing (no lock)";
  if (!recordings_.empty()) {
    const Recording& recording = recordings_[static_cast<size_t>(transponder)];
    return "recording " + std::to_string(transponder) + " " + recording.path +
           (recording.info.transportStreamId
                ? " transport stream " + Hex4(*recording.info.transportStreamId)
                : std::string());
  }
  return "transport stream " +
         Hex4(kTransponders[static_cast<size_t>(transponder)].transportStreamId);
}

void StreamServer::Run(std::stop_token stop) {
  int ticks = 0;
  while (!stop.stop_requested()) {
    std::this_thread::sleep_for(kTick);
    {
      std::lock_guard lock(mutex_);
      CatchUpLocked();
      if (++ticks % kLossLogTicks == 0) LogLossesLocked(false);
    }
    arrived_.notify_all();
  }
}

void StreamServer::CatchUpLocked() {
  const auto elapsed = std::chrono::duration_cast<std::chrono::nanoseconds>(
      std::chrono::steady_clock::now() - start_);
  elapsedNs_ = std::max(elapsedNs_, static_cast<int64_t>(elapsed.count()));
  if (!source_) return;
  source_->Advance(
      elapsedNs_, [this](const Packet& packet) { Deliver(packet); }, subscribers_[kNullPid] > 0);
}

void StreamServer::Deliver(const Packet& packet) {
  const uint16_t pid = static_cast<uint16_t>((packet[1] & 0x1F) << 8 | packet[2]);
  if (subscribers_[pid] > 0) {
    if (single_ && single_->Filter().pid == pid) single_->Push(packet);
    for (auto& slot : slots_) {
      if (slot && slot->Filter().pid == pid) slot->Push(packet);
    }
  }
  const int8_t area = probeArea_[pid];
  if (area >= 0 && !probeFilled_[static_cast<size_t>(area)]) {
    std::copy(packet.begin(), packet.end(), probe_.begin() + area * kProbeAreaSize);
    probeFilled_[static_cast<size_t>(area)] = true;
  }
}

size_t StreamServer::QueueCapacity() const {
  return busyWord_ == 0 ? kBlockedQueueDepth : kQueueDepth;
}

void StreamServer::LogLossesLocked(bool always) {
  uint64_t total = 0;
  std::string line;
  auto add = [&](const std::unique_ptr<PidQueue>& queue, const std::string& name) {
    if (!queue) return;
    total += queue->Lost();
    line +=
        " " + name + " pid " + Hex4(queue->Filter().pid) + " lost " + std::to_string(queue->Lost());
  };
  add(single_, "stream");
  for (size_t s = 0; s < slots_.size(); ++s) add(slots_[s], "slot " + std::to_string(s));
  if (total != loggedLosses_ || (always && total > 0)) {
    state_.Log("stream loss" + line);
    loggedLosses_ = total;
  }
}

bool StreamServer::SlotsRunningLocked() const {
  return std::any_of(slots_.begin(), slots_.end(),
                     [](const auto& slot) { return slot != nullptr; });
}

void StreamServer::RecountLocked() {
  subscribers_.fill(0);
  if (single_) ++subscribers_[single_->Filter().pid];
  for (auto& slot : slots_) {
    if (slot) ++subscribers_[slot->Filter().pid];
  }
}

bool StreamServer::SetupSingle(const StreamFilter& filter, ConnectionId connection) {
  std::lock_guard lock(mutex_);
  if (!MayUse(single_ != nullptr, singleOwner_, connection)) {
    state_.Log("stream set-up pid " + Hex4(filter.pid) + " refused: busy with connection " +
               std::to_string(singleOwner_));
    return false;
  }
  LogLossesLocked(false);
  single_ = std::make_unique<PidQueue>(filter, QueueCapacity());
  singleOwner_ = connection;
  RecountLocked();
  state_.Log("stream set up pid " + Hex4(filter.pid) + " threshold " +
             std::to_string(filter.threshold) + " mode " + std::to_string(filter.mode));
  return true;
}

bool StreamServer::StopSingle(ConnectionId connection) {
  std::lock_guard lock(mutex_);
  if (!MayUse(single_ != nullptr, singleOwner_, connection)) {
    state_.Log("stream stop refused: busy with connection " + std::to_string(singleOwner_));
    return false;
  }
  LogLossesLocked(false);
  single_.reset();
  singleOwner_ = kNoConnection;
  loggedLosses_ = 0;
  RecountLocked();
  state_.Log("stream stopped");
  return true;
}

bool StreamServer::SetupSlots(const std::vector<StreamFilter>& filters, ConnectionId connection) {
  std::lock_guard lock(mutex_);
  const bool running = SlotsRunningLocked();
  if (!MayUse(running, slotsOwner_, connection)) {
    state_.Log("slot set-up refused: busy with connection " + std::to_string(slotsOwner_));
    return false;
  }
  LogLossesLocked(false);
  for (size_t s = 0; s < slots_.size(); ++s) {
    slots_[s] =
        s < filters.size() ? std::make_unique<PidQueue>(filters[s], QueueCapacity()) : nullptr;
    if (slots_[s]) {
      state_.Log("slot " + std::to_string(s) + " set up pid " + Hex4(filters[s].pid) +
                 " threshold " + std::to_string(filters[s].threshold) + " mode " +
                 std::to_string(filters[s].mode));
    }
  }
  slotsOwner_ = connection;
  RecountLocked();
  return true;
}

bool StreamServer::StopSlots(ConnectionId connection) {
  std::lock_guard lock(mutex_);
  const bool running = SlotsRunningLocked();
  if (!MayUse(running, slotsOwner_, connection)) {
    state_.Log("slot stop refused: busy with connection " + std::to_string(slotsOwner_));
    return false;
  }
  LogLossesLocked(false);
  for (auto& slot : slots_) slot.reset();
  slotsOwner_ = kNoConnection;
  loggedLosses_ = 0;
  RecountLocked();
  state_.Log("slots stopped");
  return true;
}

size_t StreamServer::SlotCount() {
  std::lock_guard lock(mutex_);
  size_t count = 0;
  for (auto& slot : slots_) count += slot ? 1 : 0;
  return count;
}

void StreamServer::Release(ConnectionId connection) {
  std::lock_guard lock(mutex_);
  if (singleOwner_ == connection) singleOwner_ = kNoConnection;
  if (slotsOwner_ == connection) slotsOwner_ = kNoConnection;
}

std::optional<std::vector<uint8_t>> StreamServer::Read(std::unique_ptr<PidQueue>* queue,
                                                       uint32_t length, const ConnectionId* owner,
                                                       ConnectionId connection) {
  std::unique_lock lock(mutex_);
  const auto deadline = std::chrono::steady_clock::now() + kReadWait;
  std::vector<uint8_t> data;
  while (true) {
    // The queue may be replaced or stopped while the read waits.
    if (!*queue || !MayUse(true, *owner, connection)) return std::nullopt;
    if ((*queue)->Take(length, data)) return data;
    if (arrived_.wait_until(lock, deadline) == std::cv_status::timeout) return std::nullopt;
  }
}

std::optional<std::vector<uint8_t>> StreamServer::ReadSingle(uint32_t length,
                                                             ConnectionId connection) {
  return Read(&single_, length, &singleOwner_, connection);
}

std::optional<std::vector<uint8_t>> StreamServer::ReadSlot(size_t slot, uint32_t length,
                                                           ConnectionId connection) {
  if (slot >= slots_.size()) return std::nullopt;
  return Read(&slots_[slot], length, &slotsOwner_, connection);
}

void StreamServer::Tune(int transponder) {
  std::lock_guard lock(mutex_);
  transponder_ = transponder;
  source_.reset();
  source_ = MakeSourceLocked(transponder);
  // What was queued came from the old transponder.
  if (single_) single_->Clear();
  for (auto& slot : slots_) {
    if (slot) slot->Clear();
  }
  state_.Log("tuned " + Describe(transponder));
}

int StreamServer::Transponder() {
  std::lock_guard lock(mutex_);
  return transponder_;
}

std::optional<ServicePids> StreamServer::CurrentService() {
  std::lock_guard lock(mutex_);
  if (!source_) return std::nullopt;
  return source_->CurrentService();
}

void StreamServer::Probe(const std::vector<uint16_t>& pids) {
  std::lock_guard lock(mutex_);
  probeArea_.fill(-1);
  probe_.assign(kProbeAreas * kProbeAreaSize, 0);
  probeFilled_.assign(kProbeAreas, false);
  for (size_t k = 0; k < pids.size() && k < kProbeAreas; ++k) {
    probeArea_[pids[k]] = static_cast<int8_t>(k);
  }
  state_.Log("probe " + std::to_string(pids.size()) + " pids" +
             (pids.empty() ? std::string() : " from " + Hex4(pids.front())));
}

std::optional<std::vector<uint8_t>> StreamServer::ProbeResult() {
  std::lock_guard lock(mutex_);
  if (probe_.empty()) return std::nullopt;
  // A loaded machine may not have run the pacing thread for a while: what fell due during the
  // dwell has gone by, whether or not the thread got to it.
  CatchUpLocked();
  return probe_;
}

void StreamServer::SetBusyWord(uint16_t word) {
  std::lock_guard lock(mutex_);
  busyWord_ = word;
  state_.Log("busy word " + Hex4(word));
}

}  // namespace sim
