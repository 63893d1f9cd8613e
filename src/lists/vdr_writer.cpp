#include "channels/record_name_text.h"
#include "common/strfmt.h"
#include "lists/list_writers.h"

namespace pelorus {
namespace {

// The record's FEC code in the parameters ("C34"); nothing for Auto.
const char* FecParameter(uint8_t code) {
  switch (code) {
    case 2:
      return "C12";
    case 3:
      return "C23";
    case 4:
      return "C34";
    case 6:
      return "C56";
    case 7:
      return "C78";
    default:
      return "";
  }
}

// A name in the first field: a colon is written as '|', as the format has it; ',' and ';'
// would start the short name and the provider, and become '.'. An empty name is one blank, so
// that the line does not begin with ':' and read as a group.
std::string NameField(const ChannelRecord& record) {
  std::string name = RecordNameToUtf8(record);
  for (char& c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == ':') c = '|';
    if (c == ',' || c == ';') c = '.';
    if (byte < 0x20 || byte == 0x7F) c = ' ';
  }
  return name.empty() ? std::string(" ") : name;
}

// A group line: the whole line is the name, but one that begins with '@' would give the next
// channel number instead.
std::string GroupLine(const ChannelRecord& record) {
  std::string name = RecordNameToUtf8(record);
  for (char& c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) c = ' ';
  }
  return (name.starts_with('@') ? ": " : ":") + name + "\n";
}

std::string Pid(uint16_t pid) { return pid == kNoPid ? "0" : Format("%u", pid); }

// "vpid[+pcr]=2": without "+", the video PID would be taken for the PCR PID too.
std::string VideoField(const ChannelRecord& record) {
  if (record.videoPid == kNoPid) {
    return record.pcrPid == kNoPid ? "0" : Format("0+%u", record.pcrPid);
  }
  std::string field = Format("%u", record.videoPid);
  if (record.pcrPid != record.videoPid) field += Format("+%u", record.pcrPid);
  return field + "=2";
}

}  // namespace

VdrFile MakeVdrChannels(std::span<const ChannelRecord> records, const DiseqcPorts& ports) {
  VdrFile file;
  for (const ChannelRecord& record : records) {
    if (record.IsMarker()) {
      file.text += GroupLine(record);
      continue;
    }
    const int inversion = (record.lnbSelect >> 2) & 3;
    const std::string parameters =
        Format("%c%s%sM2S0", (record.polarity & 1) != 0 ? 'V' : 'H', FecParameter(record.fecCode),
               inversion == 1   ? "I0"
               : inversion == 2 ? "I1"
                                : "");
    const std::string source = "S" + SatellitePositionText(ExportOrbital(record, ports));
    file.text +=
        Format("%s:%u:%s:%s:%u:%s:%s:%s:0:%u:%u:%u:0\n", NameField(record).c_str(),
               record.frequency, parameters.c_str(), source.c_str(), record.symbolRate,
               VideoField(record).c_str(), Pid(record.audioPid).c_str(),
               Pid(record.textPid).c_str(), record.serviceId, record.networkId, record.tsId);
    ++file.channels;
  }
  return file;
}

}  // namespace pelorus
