#include "default_channels.h"

#include <array>
#include <cstring>

#include "multiplex_layout.h"
#include "receiver/channel_record.h"

namespace sim {
namespace {

using pelorus::ChannelRecord;

constexpr uint8_t kEmphasisOn = 0x86;
constexpr uint8_t kEmphasisOff = 0x87;

// The record's FEC codes for the delivery descriptor's FEC values 1/2 .. 7/8.
constexpr std::array<uint8_t, 6> kFecCodes = {0, 2, 3, 4, 6, 7};

struct ExtraTransponder {
  int frequencyMhz;
  bool vertical;
  int symbolRateKs;
  uint8_t fecCode;
};

// Other transponders of the two positions, as a real list has them: not broadcast here.
constexpr std::array<std::array<ExtraTransponder, kExtraTranspondersPerPosition>, 2> kExtras = {{
    {{{10744, false, 22000, 6},
      {10773, false, 22000, 6},
      {10832, false, 22000, 6},
      {10862, true, 22000, 3},
      {11038, true, 22000, 6},
      {11244, false, 22000, 6},
      {11303, false, 22000, 4},
      {11362, false, 22000, 3},
      {11494, false, 22000, 3},
      {11836, false, 27500, 4},
      {12266, false, 27500, 4}}},
    {{{10992, true, 27500, 3},
      {11054, false, 27500, 6},
      {11137, false, 27500, 4},
      {11200, true, 27500, 6},
      {11334, false, 27500, 4},
      {11411, false, 27500, 6},
      {11623, true, 27500, 4},
      {11727, true, 27500, 4},
      {11766, true, 27500, 3},
      {12015, false, 27500, 4},
      {12475, true, 27500, 4}}},
}};

constexpr std::array<std::string_view, 11> kNameStarts = {"Tele",   "Radio",   "Canale", "Rete",
                                                          "Studio", "Antenna", "Video",  "Sat",
                                                          "Onda",   "Stella",  "Nova"};
constexpr std::array<std::string_view, 16> kNameEnds = {
    "Nord",   "Sud",     "Sole",   "Mare", "Italia", "Uno",    "Sport", "Cinema",
    "Musica", "Notizie", "Storia", "Moda", "Viaggi", "Cucina", "Arte",  "Ragazzi"};
static_assert(kNameStarts.size() * kNameEnds.size() ==
              2 * kExtraTranspondersPerPosition * kServicesPerExtraTransponder);

void AppendUtf8AsLatin1(std::string& out, std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    const auto lead = static_cast<uint8_t>(text[i]);
    const size_t length = lead < 0x80             ? 1
                          : (lead & 0xE0) == 0xC0 ? 2
                          : (lead & 0xF0) == 0xE0 ? 3
                                                  : 4;
    uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
    bool valid = i + length <= text.size() && (length == 1 || lead >= 0xC2) && lead < 0xF8;
    for (size_t k = 1; valid && k < length; ++k) {
      const auto next = static_cast<uint8_t>(text[i + k]);
      valid = (next & 0xC0) == 0x80;
      code = code << 6 | (next & 0x3F);
    }
    out += valid && code >= 0x20 && code < 0x100 ? static_cast<char>(code) : '?';
    i += valid ? length : 1;
  }
}

// A record with the tag and everything else zero, and `name` in it.
ChannelRecord Blank(std::string_view name) {
  ChannelRecord record;
  std::memset(&record, 0, sizeof record);
  record.tag = pelorus::kChannelTag;
  std::memcpy(record.name.data(), name.data(), std::min(name.size(), record.name.size()));
  return record;
}

ChannelRecord Tuned(std::string_view name, int frequencyMhz, int symbolRateKs, uint8_t fecCode,
                    bool vertical, int position) {
  ChannelRecord record = Blank(name);
  record.frequency = static_cast<uint16_t>(frequencyMhz);
  record.symbolRate = static_cast<uint16_t>(symbolRateKs);
  record.fecCode = fecCode;
  // As the lock search's auto-add reckons it: the bandwidth in MHz of the symbol rate.
  record.acqBandwidth = static_cast<uint8_t>((symbolRateKs + 500) / 1000);
  record.polarity = vertical ? 1 : 0;
  record.lnbSelect = static_cast<uint8_t>(position & 3);  // DiSEqC port, inversion Auto
  record.networkId = kNetworks[static_cast<size_t>(position)].networkId;
  record.videoPid = record.audioPid = record.pcrPid = record.textPid = pelorus::kNoPid;
  return record;
}

void Append(std::vector<uint8_t>& table, ChannelRecord record) {
  pelorus::SwapRecordByteOrder(record);
  const auto* bytes = reinterpret_cast<const uint8_t*>(&record);
  table.insert(table.end(), bytes, bytes + sizeof record);
}

}  // namespace

std::string ReceiverName(std::string_view dvbText, size_t limit) {
  std::string out;
  std::string_view text = dvbText;
  const auto first = text.empty() ? uint8_t{0x20} : static_cast<uint8_t>(text[0]);
  if (first == 0x15) {
    AppendUtf8AsLatin1(out, text.substr(1));
  } else {
    // 0x05 is ISO 8859-9, which differs from Latin-1 in six letters; 0x10 0x00 0x01 names
    // Latin-1 itself. The other tables share only ASCII with it.
    bool latin = first == 0x05;
    if (first == 0x10 && text.size() >= 3) {
      latin = text[1] == 0 && text[2] == 1;
      text.remove_prefix(3);
    } else if (first < 0x20) {
      text.remove_prefix(1);
    }
    for (const char c : text) {
      const auto byte = static_cast<uint8_t>(c);
      if (byte < 0x80 || byte == kEmphasisOn || byte == kEmphasisOff) {
        out += c;
      } else if (byte >= 0xA0 && latin) {
        static constexpr std::string_view kTurkish = "\xD0G\xDDI\xDES\xF0g\xFDi\xFEs";
        const size_t at = first == 0x05 ? kTurkish.find(c) : std::string_view::npos;
        out += at != std::string_view::npos && at % 2 == 0 ? kTurkish[at + 1] : c;
      } else if (byte >= 0xA0) {
        out += '?';
      }  // other control codes of the DVB tables have no place in a name
    }
  }
  if (out.size() > limit) out.resize(limit);
  return out;
}

std::vector<uint8_t> DefaultChannelTable() {
  std::vector<uint8_t> table;
  int extra = 0;
  for (int position = 0; position < static_cast<int>(kNetworks.size()); ++position) {
    Append(table, Blank(kNetworks[static_cast<size_t>(position)].marker));
    for (int t = 0; t < static_cast<int>(kTransponders.size()); ++t) {
      const Transponder& ts = kTransponders[static_cast<size_t>(t)];
      if (ts.network != position) continue;
      for (int s = 0; s < ServiceCount(t); ++s) {
        const ServiceLayout service = ServiceAt(t, s);
        ChannelRecord record = Tuned(ReceiverName(service.name), ts.frequencyMhz, ts.symbolRateKs,
                                     kFecCodes[ts.fecInner], ts.vertical, position);
        record.serviceId = service.serviceId;
        record.tsId = ts.transportStreamId;
        record.serviceType = service.serviceType;
        record.pmtPid = service.pids.pmt;
        if (service.pids.video != 0) record.videoPid = service.pids.video;
        if (service.pids.audio != 0) record.audioPid = service.pids.audio;
        record.pcrPid = service.pids.pcr;
        Append(table, record);
      }
    }
    const auto& extras = kExtras[static_cast<size_t>(position)];
    for (size_t e = 0; e < extras.size(); ++e) {
      const ExtraTransponder& ts = extras[e];
      const auto tsId = static_cast<uint16_t>(0x0410 + position * 0x0100 + static_cast<int>(e));
      for (int k = 0; k < kServicesPerExtraTransponder; ++k, ++extra) {
        const std::string_view start = kNameStarts[static_cast<size_t>(extra) % kNameStarts.size()];
        const std::string_view end = kNameEnds[static_cast<size_t>(extra) / kNameStarts.size()];
        const std::string name = std::string(start) + " " + std::string(end);
        ChannelRecord record =
            Tuned(name, ts.frequencyMhz, ts.symbolRateKs, ts.fecCode, ts.vertical, position);
        record.serviceId = static_cast<uint16_t>(tsId * 10 + k + 1);
        record.tsId = tsId;
        record.pmtPid = static_cast<uint16_t>(0x0100 + 0x10 * k);
        const bool radio = start == "Radio";
        record.serviceType = radio ? 0x02 : 0x01;
        record.audioPid = static_cast<uint16_t>(0x0300 + 0x10 * k);
        if (!radio) {
          record.videoPid = static_cast<uint16_t>(0x0200 + 0x10 * k);
          record.textPid = static_cast<uint16_t>(0x0400 + 0x10 * k);
        }
        record.pcrPid = radio ? record.audioPid : record.videoPid;
        Append(table, record);
      }
    }
  }
  return table;
}

}  // namespace sim
