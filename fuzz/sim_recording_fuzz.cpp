// What the stand-in receiver reads out of a recording it is asked to play: the packet format,
// the PAT, PMT and NIT, and the counters it rewrites. Any bytes must give an answer within the
// bounds of the input, and rewritten packets differ from the read ones only in their counter.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "sim/recording_reader.h"
#include "sim/recording_tables.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> input(data, size);
  const auto format = sim::DetectPacketFormat(input);
  if (!format) return 0;
  if ((format->size != 188 && format->size != 192) || format->offset >= size ||
      input[format->offset + format->prefix] != 0x47) {
    std::abort();
  }
  const sim::RecordingInfo info = sim::ParseRecordingTables(input, *format);
  for (const auto& pid : {info.pmtPid, info.pcrPid, info.videoPid, info.audioPid, info.ac3Pid}) {
    if (pid && *pid > 0x1FFF) std::abort();
  }
  if (info.frequency10kHz && *info.frequency10kHz > 99999999) std::abort();
  if (info.symbolRate100 && *info.symbolRate100 > 9999999) std::abort();
  sim::ContinuityRewriter rewriter;
  for (int pass = 0; pass < 2; ++pass) {
    for (size_t at = format->offset; at + format->size <= size; at += format->size) {
      sim::Packet packet;
      std::copy_n(input.begin() + static_cast<long>(at + format->prefix), 188, packet.begin());
      const sim::Packet before = packet;
      rewriter.Rewrite(packet);
      packet[3] = static_cast<uint8_t>((packet[3] & 0xF0) | (before[3] & 0x0F));
      if (packet != before) std::abort();
    }
    rewriter.NewPass();
  }
  return 0;
}
