#include "si/psi_tables.h"

#include "common/byte_reader.h"
#include "common/ts_numbers.h"

namespace pelorus {
namespace {

void CollectCa(std::span<const uint8_t> loop, std::vector<CaDescriptor>& into) {
  ForEachDescriptor(loop, [&](uint8_t tag, std::span<const uint8_t> body) {
    if (tag == ts::tag::kCa) into.push_back(ParseCaDescriptor(body));
  });
}

PmtStream ParseStream(ByteReader& loop) {
  PmtStream stream;
  stream.streamType = loop.U8();
  stream.pid = loop.U16() & ts::kPidMask;
  const std::span<const uint8_t> info = loop.Loop12().Rest();
  ForEachDescriptor(info, [&](uint8_t tag, std::span<const uint8_t> body) {
    switch (tag) {
      case ts::tag::kCa:
        stream.ca.push_back(ParseCaDescriptor(body));
        break;
      case ts::tag::kIso639Language:
        if (stream.language.empty() && body.size() >= 3)
          stream.language.assign(body.begin(), body.begin() + 3);
        break;
      case ts::tag::kAc3:
      case ts::tag::kEnhancedAc3:
        stream.ac3 = true;
        break;
      case ts::tag::kTeletext:
        stream.teletext = true;
        break;
      case ts::tag::kSubtitling:
        stream.subtitles = true;
        break;
      default:
        break;  // private and unknown descriptors: passed over by their length
    }
  });
  return stream;
}

}  // namespace

std::optional<Pat> Pat::Parse(const Section& section) {
  if (section.tableId != ts::table::kPat || !section.syntax) return std::nullopt;
  Pat pat;
  pat.transportStreamId = section.extension;
  pat.version = section.version;
  ByteReader reader(section.payload);
  while (reader.Remaining() >= 4) {
    const uint16_t program = reader.U16();
    const uint16_t pid = reader.U16() & ts::kPidMask;
    if (program == 0) {
      pat.networkPid = pid;
    } else {
      pat.programs.push_back({program, pid});
    }
  }
  return pat;
}

void Pat::Append(const Pat& later) {
  if (later.networkPid) networkPid = later.networkPid;
  programs.insert(programs.end(), later.programs.begin(), later.programs.end());
}

std::optional<Cat> Cat::Parse(const Section& section) {
  if (section.tableId != ts::table::kCat || !section.syntax) return std::nullopt;
  Cat cat;
  cat.version = section.version;
  CollectCa(section.payload, cat.ca);
  return cat;
}

void Cat::Append(const Cat& later) { ca.insert(ca.end(), later.ca.begin(), later.ca.end()); }

bool Pmt::Scrambled() const {
  if (!ca.empty()) return true;
  for (const PmtStream& stream : streams) {
    if (!stream.ca.empty()) return true;
  }
  return false;
}

std::optional<Pmt> Pmt::Parse(const Section& section) {
  if (section.tableId != ts::table::kPmt || !section.syntax) return std::nullopt;
  ByteReader reader(section.payload);
  Pmt pmt;
  pmt.programNumber = section.extension;
  pmt.version = section.version;
  pmt.pcrPid = reader.U16() & ts::kPidMask;
  if (!reader.Ok()) return std::nullopt;
  ByteReader info = reader.Loop12();
  if (!info.Ok()) return std::nullopt;
  CollectCa(info.Rest(), pmt.ca);
  // The stream loop runs to the CRC; a stream whose fixed fields are cut short is not one.
  while (reader.Ok() && reader.Remaining() >= 5) pmt.streams.push_back(ParseStream(reader));
  return pmt;
}

void Pmt::Append(const Pmt& later) {
  ca.insert(ca.end(), later.ca.begin(), later.ca.end());
  streams.insert(streams.end(), later.streams.begin(), later.streams.end());
}

}  // namespace pelorus
