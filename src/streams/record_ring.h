#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <span>
#include <vector>

#include "streams/ts_packet.h"

namespace pelorus {

// The packets between the recorder's capture thread (one producer) and its writer thread (one
// consumer). The lock guards the positions and counts only: each side copies into or out of
// packets the other side has finished with, outside the lock. A full ring never overwrites what
// the writer has not written yet; packets that do not fit are dropped and counted.
class RecordRing {
 public:
  static constexpr size_t kDefaultCapacity = 30000;

  explicit RecordRing(size_t capacityPackets = kDefaultCapacity);

  // Stores the whole packets of `packets`; returns how many fit (the rest are dropped).
  size_t Push(std::span<const uint8_t> packets);

  // The oldest stored packets, contiguous in memory, at most `maxPackets` of them; empty when
  // the ring is empty. They stay valid until Consume.
  std::span<const uint8_t> Peek(size_t maxPackets) const;
  void Consume(size_t packets);

  // Waits until a packet is stored, Wake is called, or `timeout` passes.
  void WaitForData(std::chrono::milliseconds timeout);
  void Wake();

  size_t Fill() const;
  uint64_t Dropped() const;
  size_t Capacity() const { return capacity_; }

 private:
  const size_t capacity_;
  std::vector<uint8_t> bytes_;
  mutable std::mutex mutex_;
  std::condition_variable dataReady_;
  bool woken_ = false;
  size_t read_ = 0;   // packet index
  size_t write_ = 0;  // packet index
  size_t fill_ = 0;
  uint64_t dropped_ = 0;
};

}  // namespace pelorus
