#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "scsi/scsi_transport.h"
#include "ts_packets.h"

namespace pelorus::testing {

// A receiver that serves the stream commands from packets it makes up: each slot of a slotted
// stream (and the single-PID stream) gets packets of its PID with counters that run on, a unit
// start and a PCR on every fourth one. It records the commands that are not stream reads.
class StreamReceiver : public ScsiTransport {
 public:
  std::vector<std::vector<uint8_t>> commands;  // cdb bytes then data, reads left out
  std::vector<uint8_t> currentService = std::vector<uint8_t>(512, 0);
  int setupStatus = kScsiSuccess;
  int readStatus = kScsiSuccess;
  size_t packetsPerRead = 0;  // 0: as many as the read asks for
  std::chrono::microseconds readDelay{0};
  int badSyncEvery = 0;  // every n-th packet without the sync byte (0: none)
  // From this stream read on (1 = the first), every read fails as a lost link would (0: never).
  int loseLinkAtRead = 0;
  LinkProblem lostAs = LinkProblem::kLost;
  // From this stream read on, the packets carry another PID, as when another program has set up
  // a stream of its own (0: never).
  int otherPidAtRead = 0;
  std::atomic<int> reads = 0;
  std::atomic<int> stops = 0;

  void SetService(uint16_t video, uint16_t audio, uint16_t pcr) {
    auto put = [this](size_t at, uint16_t pid) {
      currentService[at] = static_cast<uint8_t>(pid >> 8);
      currentService[at + 1] = static_cast<uint8_t>(pid);
    };
    put(32, video);
    put(34, audio);
    put(148, pcr);
  }
  std::vector<std::vector<uint8_t>> Commands() {
    std::lock_guard lock(mutex_);
    return commands;
  }

 protected:
  int Execute(ScsiAddress, std::span<const uint8_t> cdb, ScsiDirection direction,
              std::span<uint8_t> buffer, size_t& received) override {
    std::lock_guard lock(mutex_);
    const bool stream = cdb[0] == 0x3C && (cdb[1] == 0x06 || (cdb[1] < 0x05 && Address(cdb) == 0));
    if (!stream) {
      std::vector<uint8_t> record(cdb.begin(), cdb.end());
      if (direction == ScsiDirection::kOut)
        record.insert(record.end(), buffer.begin(), buffer.end());
      commands.push_back(record);
    }
    if ((cdb[0] == 0x3D || cdb[0] == 0x3E) && direction == ScsiDirection::kNone) {
      ++stops;
      pids_.clear();
      return kScsiSuccess;
    }
    if (cdb[0] == 0x3D || cdb[0] == 0x3E) {
      pids_.clear();
      for (size_t i = 0; i + 6 <= buffer.size(); i += 6) {
        pids_.push_back(static_cast<uint16_t>((buffer[i] << 8) | buffer[i + 1]));
      }
      return setupStatus;
    }
    if (cdb[0] == 0x3C && !stream) {
      const size_t count = std::min(buffer.size(), currentService.size());
      std::copy_n(currentService.begin(), count, buffer.begin());
      received = count;
      return kScsiSuccess;
    }
    if (!stream) return kScsiSuccess;
    ++reads;
    if (readDelay.count() > 0) std::this_thread::sleep_for(readDelay);
    if (loseLinkAtRead > 0 && reads >= loseLinkAtRead) {
      lastProblem_ = lostAs;
      lastFailure_ = lostAs == LinkProblem::kSilent ? "rx: the receiver did not answer"
                                                    : "rx: the receiver closed the connection";
      return kScsiError;
    }
    if (readStatus != kScsiSuccess) return readStatus;
    const size_t slot = cdb[1] == 0x06 ? 0 : cdb[1];
    if (slot >= pids_.size()) return kScsiError;
    size_t packets = buffer.size() / 188;
    if (packetsPerRead > 0) packets = std::min(packets, packetsPerRead);
    for (size_t i = 0; i < packets; ++i) {
      const bool other = otherPidAtRead > 0 && reads >= otherPidAtRead;
      const uint16_t pid = other ? static_cast<uint16_t>(pids_[slot] + 1) : pids_[slot];
      uint32_t& n = sent_[pid];
      const bool start = n % 4 == 0;
      std::vector<uint8_t> packet = MakePacket({.pid = pid,
                                                .unitStart = start,
                                                .counter = static_cast<uint8_t>(n & 15),
                                                .adaptation = start,
                                                .pcr = start});
      if (start) {
        // Every entry point begins a picture sequence.
        const uint8_t sequence[] = {0x00, 0x00, 0x01, 0xB3};
        std::copy(std::begin(sequence), std::end(sequence), packet.begin() + 20);
      }
      if (badSyncEvery > 0 && ++total_ % badSyncEvery == 0) packet[0] = 0x00;
      ++n;
      std::copy(packet.begin(), packet.end(),
                buffer.begin() + static_cast<std::ptrdiff_t>(i * 188));
    }
    received = packets * 188;
    return kScsiSuccess;
  }
  bool ListAdapters(std::vector<ScsiAdapter>& adapters) override {
    adapters = {{0, 7}};
    return true;
  }

 private:
  static uint32_t Address(std::span<const uint8_t> cdb) {
    return (uint32_t{cdb[2]} << 24) | (uint32_t{cdb[3]} << 16) | (uint32_t{cdb[4]} << 8) | cdb[5];
  }

  std::mutex mutex_;
  std::vector<uint16_t> pids_;
  std::map<uint16_t, uint32_t> sent_;
  int total_ = 0;
};

}  // namespace pelorus::testing
