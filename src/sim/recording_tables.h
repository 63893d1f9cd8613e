#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace sim {

// How a recording holds its packets: 188 bytes each, or 192 with a 4-byte time code in front
// (M2TS), the first sync byte at `offset`.
struct PacketFormat {
  size_t size = 188;
  size_t prefix = 0;  // bytes before the sync byte of each packet
  size_t offset = 0;  // where the first packet (its prefix) starts in the file
};

// The format of a recording from its first bytes: the first place where three packets in a
// row start with the sync byte, trying 188 and then 192 bytes; none if there is no such place in
// the bytes given.
std::optional<PacketFormat> DetectPacketFormat(std::span<const uint8_t> head);

// What the stand-in receiver needs to know of a recording to offer it as a transponder, read
// from its own PAT, PMT and NIT actual. Every field is as broadcast; what the tables do not
// say stays unset.
struct RecordingInfo {
  std::optional<uint16_t> transportStreamId;
  // The first programme of the PAT and its PMT.
  std::optional<uint16_t> serviceId;
  std::optional<uint16_t> pmtPid;
  std::optional<uint16_t> pcrPid;
  std::optional<uint16_t> videoPid;
  std::optional<uint16_t> audioPid;  // the first MPEG (or AAC) audio
  std::optional<uint16_t> ac3Pid;
  // The satellite delivery descriptor of its own transport stream in the NIT actual.
  std::optional<uint32_t> frequency10kHz;
  std::optional<uint32_t> symbolRate100;  // in units of 100 symbols/s
  bool vertical = false;
  // The first PID that carries a PCR, when the PMT gives none.
  std::optional<uint16_t> firstPcrPid;
};

// Reads the tables out of a recording's first packets. Untrusted: any bytes give an answer.
RecordingInfo ParseRecordingTables(std::span<const uint8_t> bytes, const PacketFormat& format);

}  // namespace sim
