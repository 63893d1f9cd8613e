#include "scsi_memory.h"

#include <algorithm>

#include "receiver/receiver_memory.h"

namespace sim {
namespace {

constexpr uint32_t kTableStart = pelorus::kChannelTableAddress;
constexpr uint32_t kTableEnd = kTableStart + pelorus::kMaxChannelCount * 64;
constexpr uint32_t kPageBits = 16;
constexpr uint32_t kPageSize = 1u << kPageBits;

void PutWord(std::vector<uint8_t>& bytes, size_t at, uint16_t value) {
  bytes[at] = static_cast<uint8_t>(value >> 8);
  bytes[at + 1] = static_cast<uint8_t>(value);
}

// Bytes [from, to) of a region, where `to` is at most its size; nothing when it holds none of
// them (an iterator is never taken past the region's end, nor into an empty one).
void CopyStored(const std::vector<uint8_t>& region, uint64_t from, uint64_t to, uint8_t* out) {
  if (to <= from) return;
  std::copy(region.begin() + static_cast<long>(from), region.begin() + static_cast<long>(to), out);
}

}  // namespace

ScsiMemory::ScsiMemory(SimState& state) : state_(state) {
  std::vector<uint8_t> service(pelorus::kCurrentServiceSize, 0);
  PutWord(service, 32, 0x0200);   // video
  PutWord(service, 34, 0x0280);   // audio
  PutWord(service, 148, 0x0200);  // PCR
  Write(pelorus::kCurrentServiceAddress, service.data(), static_cast<uint32_t>(service.size()));
}

uint32_t ScsiMemory::ChannelCount() {
  std::lock_guard lock(state_.mutex);
  return static_cast<uint32_t>(state_.channelTable.size() / 64);
}

void ScsiMemory::Read(uint32_t address, uint8_t* out, uint32_t length) {
  std::lock_guard lock(state_.mutex);
  // Copied run by run (a region, or a RAM page), since dumps are megabytes long.
  uint64_t at = address;
  const uint64_t end = uint64_t{address} + length;
  while (at < end) {
    uint64_t runEnd = end;
    if (at < kTableStart) {
      runEnd = std::min<uint64_t>(runEnd, kTableStart);
      const uint64_t stored = std::clamp<uint64_t>(state_.flash.size(), at, runEnd);
      CopyStored(state_.flash, at, stored, out);
      std::fill(out + (stored - at), out + (runEnd - at), uint8_t{0xFF});
    } else if (at < kTableEnd) {
      runEnd = std::min<uint64_t>(runEnd, kTableEnd);
      const uint64_t stored =
          std::clamp<uint64_t>(kTableStart + state_.channelTable.size(), at, runEnd);
      CopyStored(state_.channelTable, at - kTableStart, stored - kTableStart, out);
      std::fill(out + (stored - at), out + (runEnd - at), uint8_t{0});
    } else {
      const uint64_t pageNumber = at >> kPageBits;
      runEnd = std::min<uint64_t>(runEnd, (pageNumber + 1) << kPageBits);
      const auto page = pages_.find(static_cast<uint32_t>(pageNumber));
      if (page != pages_.end()) {
        const auto from = page->second.begin() + static_cast<long>(at & (kPageSize - 1));
        std::copy(from, from + static_cast<long>(runEnd - at), out);
      } else {
        for (uint64_t a = at; a < runEnd; ++a) out[a - at] = FillByte(static_cast<uint32_t>(a));
      }
    }
    out += runEnd - at;
    at = runEnd;
  }
}

void ScsiMemory::WriteByteLocked(uint32_t address, uint8_t value) {
  auto page = pages_.find(address >> kPageBits);
  if (page == pages_.end()) {
    std::vector<uint8_t> fresh(kPageSize);
    const uint32_t base = address & ~(kPageSize - 1);
    for (uint32_t i = 0; i < kPageSize; ++i) fresh[i] = FillByte(base + i);
    page = pages_.emplace(address >> kPageBits, std::move(fresh)).first;
  }
  page->second[address & (kPageSize - 1)] = value;
}

void ScsiMemory::Write(uint32_t address, const uint8_t* data, uint32_t length) {
  std::lock_guard lock(state_.mutex);
  if (address < kTableStart) {
    // A write is decided by where it starts: firmware pieces go to the flash whole.
    const size_t end = size_t{address} + length;
    if (state_.flash.size() < end) state_.flash.resize(end, 0xFF);
    std::copy_n(data, length, state_.flash.begin() + address);
    return;
  }
  if (address < kTableEnd) {
    // A table written from its start replaces the old one; later pieces extend it.
    const size_t offset = address - kTableStart;
    if (offset == 0) state_.channelTable.clear();
    const size_t end = std::min<size_t>(offset + length, kTableEnd - kTableStart);
    if (state_.channelTable.size() < end) state_.channelTable.resize(end, 0);
    std::copy_n(data, end - offset, state_.channelTable.begin() + static_cast<long>(offset));
    return;
  }
  for (uint32_t i = 0; i < length; ++i) WriteByteLocked(address + i, data[i]);
}

}  // namespace sim
