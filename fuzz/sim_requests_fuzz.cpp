// What the stand-in receiver decodes from outside: stream set-ups, tune and probe commands,
// elementary streams (its assets could be any file) and the packets its filters cut up. Byte 0
// picks the decoder; the rest is its input. Results are checked against the input's bounds.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "sim/es_assets.h"
#include "sim/pid_queue.h"
#include "sim/stream_requests.h"

namespace {

void CheckUnits(const std::vector<sim::AccessUnit>& units, size_t size) {
  size_t end = 0;
  for (const sim::AccessUnit& unit : units) {
    if (unit.size == 0 || unit.offset < end || unit.offset + unit.size > size) std::abort();
    end = unit.offset + unit.size;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const std::span<const uint8_t> input(data + 1, size - 1);
  switch (data[0] % 6) {
    case 0:
      for (bool slotted : {false, true}) {
        if (const auto filters = sim::DecodeStreamSetup(input, slotted)) {
          for (const sim::StreamFilter& f : *filters) {
            if (f.pid > 0x1FFF || f.mode > 6 || f.threshold == 0) std::abort();
          }
        }
      }
      break;
    case 1:
      if (const auto tune = sim::DecodeTune(input)) {
        if (tune->frequencyMhz > 99999 || tune->symbolRateDigits > 99999) std::abort();
      }
      break;
    case 2:
      if (const auto pids = sim::DecodeProbe(input); pids && pids->size() > 32) std::abort();
      break;
    case 3:
      CheckUnits(sim::SplitVideo(input), input.size());
      break;
    case 4:
      CheckUnits(sim::SplitMpegAudio(input), input.size());
      CheckUnits(sim::SplitAc3(input), input.size());
      break;
    default: {
      // Packets through every mode, and through a small ring that must drop, not grow.
      for (uint16_t mode = 0; mode <= 6; ++mode) {
        sim::PidQueue queue({0x0100, 188, mode}, 3);
        for (size_t at = 0; at + sim::kPacketSize <= input.size(); at += sim::kPacketSize) {
          sim::Packet packet;
          std::copy_n(input.begin() + static_cast<long>(at), sim::kPacketSize, packet.begin());
          queue.Push(packet);
        }
        std::vector<uint8_t> out;
        const size_t want = input.empty() ? 1 : input[0] + 1;
        while (queue.Take(want, out)) {
          if (out.size() != want) std::abort();
        }
        if (queue.Queued() > 3) std::abort();
      }
      break;
    }
  }
  return 0;
}
