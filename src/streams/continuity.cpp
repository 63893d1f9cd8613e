#include "streams/continuity.h"

#include <cstring>

namespace pelorus {
namespace {

bool CarriesPayload(const uint8_t* packet) { return (packet[3] & 0x10) != 0; }

// The longest adaptation field a packet with an adaptation field has room for.
constexpr uint8_t kMaxAdaptationLength = 183;

// An adaptation field of a length that fits the packet, at least one byte long, whose
// discontinuity_indicator is set. A damaged length byte is not trusted to excuse a loss.
bool SignalsDiscontinuity(const uint8_t* packet) {
  return (packet[3] & 0x20) != 0 && packet[4] > 0 && packet[4] <= kMaxAdaptationLength &&
         (packet[5] & 0x80) != 0;
}

}  // namespace

ContinuityChecker::ContinuityChecker() { pending_.reserve(64); }

int ContinuityChecker::CheckUnusual(PidState& state, unsigned pid, const uint8_t* packet) {
  const auto counter = static_cast<uint8_t>(packet[3] & 0x0F);
  const bool payload = CarriesPayload(packet);
  if (state.count == kUnknown) {
    state.count = counter;
    if (payload) Remember(state, pid, packet);
    return 0;
  }
  const uint8_t last = state.count & 0x0F;
  if (!payload) {
    // Without payload the counter stays; a new one is a loss unless the stream says otherwise.
    // A duplicate must follow its packet at once, so none may come after this one.
    if (counter == last) {
      state.count = counter | kNoCopyAllowed;
      return 0;
    }
    state.count = counter;
    return SignalsDiscontinuity(packet) ? 0 : 1;
  }
  if (counter == last) {
    // Only one exact copy of the packet before may follow it; other bytes under the same
    // counter are a packet of their own, and the count goes on from it.
    const bool copy = state.lastPayload != nullptr &&
                      std::memcmp(state.lastPayload, packet, ts::kPacketSize) == 0;
    if (copy) {
      if (state.count != last) return 1;
      state.count = counter | kCopySeen;
      return 0;
    }
    state.count = counter;
    Remember(state, pid, packet);
    return 1;
  }
  // A jump (or the next counter after a copy): an error unless announced or expected.
  const bool next = counter == ((last + 1) & 0x0F);
  state.count = counter;
  Remember(state, pid, packet);
  return next || SignalsDiscontinuity(packet) ? 0 : 1;
}

void ContinuityChecker::Release() {
  for (const uint16_t pid : pending_) {
    PidState& state = state_[pid];
    if (state.saved == 0) {
      copies_.push_back(std::make_unique<std::array<uint8_t, ts::kPacketSize>>());
      state.saved = static_cast<uint16_t>(copies_.size());
    }
    std::array<uint8_t, ts::kPacketSize>& copy = *copies_[state.saved - 1u];
    std::memcpy(copy.data(), state.lastPayload, ts::kPacketSize);
    state.lastPayload = copy.data();
  }
  pending_.clear();
  if (++generation_ == 0) {
    // After four billion releases the numbers start again; no old one may look current.
    for (PidState& state : state_) state.generation = 0;
    generation_ = 1;
  }
}

}  // namespace pelorus
