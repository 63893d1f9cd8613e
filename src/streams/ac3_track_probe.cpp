#include "streams/ac3_track_probe.h"

#include <algorithm>
#include <array>

#include "common/byte_reader.h"

namespace pelorus {
namespace {

constexpr uint16_t kAc3Sync = 0x0B77;
constexpr size_t kHeaderBytes = 6;
// E-AC-3's frame size field counts up to 2048 words; plain AC-3 frames are shorter.
constexpr size_t kMaxAc3FrameBytes = 4096;
// bsid above this is Enhanced AC-3, whose header carries the frame size itself.
constexpr uint8_t kLastPlainBsid = 10;
constexpr uint8_t kFirstEnhancedBsid = 11;
constexpr uint8_t kLastEnhancedBsid = 16;

// Bit rates in kbit/s by frmsizecod / 2.
constexpr std::array<uint32_t, 19> kBitRates = {32,  40,  48,  56,  64,  80,  96,  112, 128, 160,
                                                192, 224, 256, 320, 384, 448, 512, 576, 640};
constexpr std::array<uint32_t, 3> kSampleRates = {48000, 44100, 32000};

}  // namespace

size_t Ac3FrameLength(std::span<const uint8_t> bytes) {
  ByteReader reader(bytes);
  const uint16_t sync = reader.U16();
  const uint16_t second = reader.U16();  // crc1, or E-AC-3's stream type and frame size
  const uint8_t rates = reader.U8();
  const uint8_t bsid = static_cast<uint8_t>(reader.U8() >> 3);
  if (!reader.Ok() || sync != kAc3Sync) return 0;
  if (bsid >= kFirstEnhancedBsid && bsid <= kLastEnhancedBsid) {
    const uint32_t words = (second & 0x07FFu) + 1;
    // A frame shorter than its own header is no frame.
    return words * 2 >= kHeaderBytes ? words * 2 : 0;
  }
  if (bsid > kLastPlainBsid) return 0;
  const uint8_t fscod = rates >> 6;
  const uint8_t frmsizecod = rates & 0x3F;
  if (fscod >= kSampleRates.size() || frmsizecod / 2 >= kBitRates.size()) return 0;
  // Words of 16 bits per frame of 1536 samples; at 44.1 kHz odd codes carry one word more.
  const uint32_t sampleRate = kSampleRates[fscod];
  uint32_t words = kBitRates[frmsizecod / 2] * 96000 / sampleRate;
  if (sampleRate == 44100 && (frmsizecod & 1) != 0) ++words;
  return size_t{words} * 2;
}

bool HoldsAc3Frames(std::span<const uint8_t> bytes) {
  for (size_t at = 0; at + kHeaderBytes <= bytes.size(); ++at) {
    if (bytes[at] != (kAc3Sync >> 8) || bytes[at + 1] != (kAc3Sync & 0xFF)) continue;
    const size_t length = Ac3FrameLength(bytes.subspan(at));
    if (length == 0 || length > bytes.size() - at) continue;
    const std::span<const uint8_t> next = bytes.subspan(at + length);
    if (Ac3FrameLength(next) != 0) return true;
  }
  return false;
}

void Ac3TrackProbe::Feed(std::span<const uint8_t> bytes) {
  if (verdict_) return;
  const size_t before = seen_.size();
  const size_t room = kAc3ProbeWindow - before;
  seen_.insert(seen_.end(), bytes.begin(), bytes.begin() + std::min(room, bytes.size()));
  // A sync word that far back had its whole next header in view already and was decided.
  const size_t recheck = kMaxAc3FrameBytes + kHeaderBytes;
  const size_t from = before > recheck ? before - recheck : 0;
  if (HoldsAc3Frames(std::span(seen_).subspan(from))) {
    verdict_ = true;
  } else if (seen_.size() >= kAc3ProbeWindow) {
    verdict_ = false;
  }
  if (verdict_) std::vector<uint8_t>().swap(seen_);
}

}  // namespace pelorus
