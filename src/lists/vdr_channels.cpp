#include "lists/vdr_channels.h"

#include <string_view>

#include "channels/record_name_text.h"
#include "lists/satellite_position.h"
#include "lists/text_fields.h"

namespace pelorus {
namespace {

constexpr char kNotAChannel[] = "not a channel";
constexpr int kH264StreamType = 27;
constexpr int kHevcStreamType = 36;
constexpr uint8_t kDataServiceType = 0x0C;

// Frequencies are written in MHz, and some files use kHz or Hz instead.
uint32_t ToKilohertz(uint64_t value) {
  if (value < 100000) return static_cast<uint32_t>(value * 1000);
  if (value < 100000000) return static_cast<uint32_t>(value);
  return static_cast<uint32_t>((value + 500) / 1000);
}

// A PID: decimal, 0 for none.
bool ParsePid(std::string_view text, uint16_t& pid) {
  uint64_t value = 0;
  if (!ParseDecimal(TrimBlanks(text), value) || value > kPidMask) return false;
  pid = value == 0 ? kNoPid : static_cast<uint16_t>(value);
  return true;
}

// The first PID of "pid[=lang][@type],pid..." (empty: none).
bool FirstPid(std::string_view list, uint16_t& pid) {
  pid = kNoPid;
  if (TrimBlanks(list).empty()) return true;
  std::string_view first = list.substr(0, list.find(','));
  first = first.substr(0, first.find_first_of("=@"));
  return ParsePid(first, pid);
}

bool Parse16(std::string_view text, uint16_t& value) {
  uint64_t parsed = 0;
  if (!ParseDecimal(TrimBlanks(text), parsed) || parsed > 0xFFFF) return false;
  value = static_cast<uint16_t>(parsed);
  return true;
}

bool Polarity(char letter, uint8_t& polarity) {
  switch (letter) {
    case 'H':
    case 'h':
    case 'L':
    case 'l':
      polarity = 0;
      return true;
    case 'V':
    case 'v':
    case 'R':
    case 'r':
      polarity = 1;
      return true;
    default:
      return false;
  }
}

// "HC34M2S0": letters, each with an optional number.
bool ParseParameters(std::string_view text, ForeignChannel& channel) {
  size_t i = 0;
  while (i < text.size()) {
    const char letter = text[i++];
    size_t end = i;
    while (end < text.size() && text[end] >= '0' && text[end] <= '9') ++end;
    uint64_t number = 0;
    const bool hasNumber = end > i && ParseDecimal(text.substr(i, end - i), number);
    if (end > i && !hasNumber) return false;
    i = end;
    if (Polarity(letter, channel.polarity)) continue;
    switch (letter) {
      case 'C':
      case 'c':
        channel.fecCode = number == 12   ? 2
                          : number == 23 ? 3
                          : number == 34 ? 4
                          : number == 56 ? 6
                          : number == 78 ? 7
                                         : 0;
        break;
      case 'I':
      case 'i':
        channel.inversion = number == 0 ? 1 : number == 1 ? 2 : 0;
        break;
      case 'S':
      case 's':
        channel.dvbS2 = number == 1;
        break;
      default:
        if (!((letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z'))) return false;
        break;  // modulation, roll-off, stream id and the others: nothing the record holds
    }
  }
  return true;
}

// "vpid[+pcr][=type]"; without a PCR PID of its own the video PID carries the clock.
bool ParseVideo(std::string_view text, ForeignChannel& channel) {
  const size_t equals = text.find('=');
  if (equals != std::string_view::npos) {
    uint64_t type = 0;
    if (!ParseDecimal(text.substr(equals + 1), type)) return false;
    channel.advancedVideo = type == kH264StreamType || type == kHevcStreamType;
    text = text.substr(0, equals);
  }
  const size_t plus = text.find('+');
  if (!ParsePid(text.substr(0, plus), channel.videoPid)) return false;
  channel.pcrPid = channel.videoPid;
  if (plus != std::string_view::npos && !ParsePid(text.substr(plus + 1), channel.pcrPid)) {
    return false;
  }
  return true;
}

std::string ChannelName(std::string_view field, bool utf8) {
  std::string_view full = field.substr(0, field.find(';'));  // the provider follows a ';'
  full = full.substr(0, full.find(','));                     // and the short name a ','
  std::string text(full);
  for (char& c : text) {
    if (c == '|') c = ':';  // a colon of the name is written as '|'
  }
  return utf8 ? RecordNameFromUtf8(text) : RecordNameFromLatin1(text);
}

bool ParseChannel(std::string_view line, bool utf8, ForeignChannel& channel) {
  const std::vector<std::string_view> fields = SplitFields(line, ':');
  if (fields.size() < 10 || fields.size() > 13) return false;
  uint64_t frequency = 0;
  uint64_t symbolRate = 0;
  if (!ParseDecimal(TrimBlanks(fields[1]), frequency) ||
      !ParseDecimal(TrimBlanks(fields[4]), symbolRate)) {
    return false;
  }
  channel.name = ChannelName(fields[0], utf8);
  channel.frequencyKhz = ToKilohertz(frequency);
  // Symbol rates are in kS/s, or in S/s in some files.
  channel.symbolRate = static_cast<uint32_t>(symbolRate < 100000 ? symbolRate * 1000 : symbolRate);
  uint64_t diseqc = 0;
  const bool oldForm = ParseDecimal(TrimBlanks(fields[3]), diseqc);
  if (oldForm) {
    if (fields.size() != 10 || TrimBlanks(fields[2]).size() != 1 ||
        !Polarity(TrimBlanks(fields[2])[0], channel.polarity)) {
      return false;
    }
    if (diseqc <= 3) channel.diseqcPort = static_cast<int>(diseqc);
    channel.delivery = DeliverySystem::kSatellite;
  } else {
    const std::string_view source = TrimBlanks(fields[3]);
    if (source.empty() || source[0] < 'A' || source[0] > 'Z') return false;
    if (source[0] == 'S') {
      channel.orbital = ParseSatellitePosition(source);
      if (!channel.orbital) return false;
      channel.delivery = DeliverySystem::kSatellite;
    } else {
      channel.delivery = source[0] == 'C'   ? DeliverySystem::kCable
                         : source[0] == 'T' ? DeliverySystem::kTerrestrial
                                            : DeliverySystem::kOther;
    }
    if (!ParseParameters(TrimBlanks(fields[2]), channel)) return false;
  }
  const std::string_view audio = fields[6];
  const size_t semicolon = audio.find(';');
  const std::string_view dolby =
      semicolon == std::string_view::npos ? std::string_view() : audio.substr(semicolon + 1);
  const std::string_view text = fields[7].substr(0, fields[7].find(';'));
  if (!ParseVideo(TrimBlanks(fields[5]), channel) ||
      !FirstPid(audio.substr(0, semicolon), channel.audioPid) || !FirstPid(dolby, channel.ac3Pid) ||
      !FirstPid(text, channel.textPid) || !Parse16(fields[9], channel.serviceId)) {
    return false;
  }
  if (fields.size() >= 12 && !oldForm &&
      (!Parse16(fields[10], channel.originalNetworkId) || !Parse16(fields[11], channel.tsId))) {
    return false;
  }
  const bool sound = channel.audioPid != kNoPid || channel.ac3Pid != kNoPid;
  channel.serviceType = channel.videoPid != kNoPid ? 1 : sound ? 2 : kDataServiceType;
  return true;
}

// ":name", ":@201 name" or ":@201"; false for a line that only sets the next number.
bool GroupName(std::string_view line, std::string_view& name) {
  name = line.substr(1);
  if (name.starts_with('@')) {
    size_t i = 1;
    while (i < name.size() && name[i] >= '0' && name[i] <= '9') ++i;
    name = name.substr(i);
  }
  name = TrimBlanks(name);
  return !name.empty();
}

}  // namespace

bool LooksLikeVdrChannels(std::span<const uint8_t> bytes) {
  LineCursor cursor(bytes);
  std::string_view line;
  bool groups = false;
  while (cursor.Next(line)) {
    if (TrimBlanks(line).empty()) continue;
    if (line.starts_with(':')) {
      groups = true;
      continue;
    }
    ForeignChannel channel;
    return line.size() <= kMaxListLine && ParseChannel(line, true, channel);
  }
  return groups;
}

VdrChannels ParseVdrChannels(std::span<const uint8_t> bytes) {
  VdrChannels result;
  const bool utf8 =
      IsValidUtf8(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  LineCursor cursor(bytes);
  std::string_view line;
  while (cursor.Next(line)) {
    if (TrimBlanks(line).empty()) continue;
    if (line.size() > kMaxListLine) {
      result.badLines.push_back({0, cursor.LineNumber(), kNotAChannel});
      continue;
    }
    ForeignEntry entry;
    if (line.starts_with(':')) {
      std::string_view name;
      if (!GroupName(line, name)) continue;
      entry.marker = true;
      entry.fromFile = true;
      entry.markerName = utf8 ? RecordNameFromUtf8(name) : RecordNameFromLatin1(name);
      result.entries.push_back(std::move(entry));
      continue;
    }
    if (!ParseChannel(line, utf8, entry.channel)) {
      result.badLines.push_back({0, cursor.LineNumber(), kNotAChannel});
      continue;
    }
    entry.channel.line = cursor.LineNumber();
    result.entries.push_back(std::move(entry));
  }
  return result;
}

}  // namespace pelorus
