#include "streams/psi_templates.h"

#include <algorithm>

#include "common/crc32_mpeg.h"

namespace pelorus {
namespace {

constexpr size_t kPmtAt = ts::kPacketSize;
// The sections inside each packet: PAT bytes 5-16 and PMT bytes 5-32, each followed by its CRC.
constexpr size_t kSectionAt = 5;
constexpr size_t kPatSectionEnd = 17;
constexpr size_t kPmtSectionEnd = 33;

void PutPid(uint8_t* at, uint16_t pid) {
  at[0] = static_cast<uint8_t>(0xE0 + (pid >> 8));
  at[1] = static_cast<uint8_t>(pid & 0xFF);
}

void PutCrc(std::span<uint8_t> packet, size_t sectionEnd) {
  const uint32_t crc = Crc32Mpeg(packet.subspan(kSectionAt, sectionEnd - kSectionAt));
  packet[sectionEnd] = static_cast<uint8_t>(crc >> 24);
  packet[sectionEnd + 1] = static_cast<uint8_t>(crc >> 16);
  packet[sectionEnd + 2] = static_cast<uint8_t>(crc >> 8);
  packet[sectionEnd + 3] = static_cast<uint8_t>(crc);
}

}  // namespace

PsiTemplates::PsiTemplates() {
  pair_.fill(0xFF);
  static constexpr uint8_t kPat[] = {0x47, 0x40, 0x00, 0x10, 0x00, 0x00, 0xB0, 0x0D, 0x00,
                                     0x7B, 0xC1, 0x00, 0x00, 0x00, 0x01, 0xE0, 0x20};
  std::copy(std::begin(kPat), std::end(kPat), pair_.begin());
  static constexpr uint8_t kPmt[] = {0x47, 0x40, 0x20, 0x10, 0x00, 0x02, 0xB0,
                                     0x1D, 0x00, 0x01, 0xC1, 0x00, 0x00};
  std::copy(std::begin(kPmt), std::end(kPmt), pair_.begin() + kPmtAt);
  SetProgram({});
}

void PsiTemplates::SetProgram(const RecordedProgram& program) {
  uint8_t* pmt = pair_.data() + kPmtAt;
  PutPid(pmt + 13, program.pcrPid);
  pmt[15] = 0xF0;  // no programme descriptors
  pmt[16] = 0x00;
  pmt[17] = ts::stream_type::kMpeg2Video;
  PutPid(pmt + 18, program.videoPid);
  static constexpr uint8_t kVideoInfo[] = {0xF0, 0x03, 0x02, 0x01, 0x22};
  std::copy(std::begin(kVideoInfo), std::end(kVideoInfo), pmt + 20);
  pmt[25] = program.ac3 ? ts::stream_type::kAc3 : ts::stream_type::kMpeg2Audio;
  PutPid(pmt + 26, program.audioPid);
  static constexpr uint8_t kAudioInfo[] = {0xF0, 0x03, 0x03, 0x01, 0x02};
  std::copy(std::begin(kAudioInfo), std::end(kAudioInfo), pmt + 28);
  RefreshCrcs();
}

void PsiTemplates::RefreshCrcs() {
  const std::span<uint8_t> all(pair_);
  PutCrc(all.first(ts::kPacketSize), kPatSectionEnd);
  PutCrc(all.subspan(kPmtAt, ts::kPacketSize), kPmtSectionEnd);
}

std::span<const uint8_t> PsiTemplates::NextPair() {
  pair_[3] = static_cast<uint8_t>(0x10 | counter_);
  pair_[kPmtAt + 3] = static_cast<uint8_t>(0x10 | counter_);
  RefreshCrcs();
  // The caller writes the bytes before the next call, which is when the counters change.
  counter_ = static_cast<uint8_t>((counter_ + 1) & 0x0F);
  return pair_;
}

}  // namespace pelorus
