#include "lists/list_import.h"

#include <algorithm>

#include "channels/messages.h"
#include "channels/record_name_text.h"
#include "common/file_dialogs.h"
#include "common/strfmt.h"
#include "lists/list_reader.h"
#include "lists/messages.h"

namespace pelorus {
namespace {

constexpr uint8_t kAutoPmt = 0x01;
constexpr int kDataBroadcast = 0x0C;

bool IsAdvancedVideoType(int type) {
  return type == 0x0B || (type >= 0x16 && type <= 0x1E) || type >= 0x1F;
}

// Reserved types, data, return channel and interactive services: nothing to watch or hear.
bool IsDataType(int type) {
  return type == 0x00 || type == 0x08 || type == 0x09 || (type >= kDataBroadcast && type <= 0x10) ||
         (type >= 0x12 && type <= 0x15);
}

uint32_t Rounded(uint32_t value) { return (value + 500) / 1000; }

}  // namespace

SkipReason WhyNotShown(const ForeignChannel& channel) {
  if (channel.delivery != DeliverySystem::kSatellite) return SkipReason::kOther;
  if (channel.dvbS2) return SkipReason::kDvbS2;
  if (channel.advancedVideo ||
      (channel.serviceType >= 0 && IsAdvancedVideoType(channel.serviceType))) {
    return SkipReason::kAdvancedVideo;
  }
  if (channel.serviceType >= 0 && IsDataType(channel.serviceType)) return SkipReason::kOther;
  return SkipReason::kNone;
}

bool RecordFromForeign(const ForeignChannel& channel, int port, ChannelRecord& record,
                       std::string& reason) {
  const uint32_t megahertz = Rounded(channel.frequencyKhz);
  const uint32_t kilosymbols = Rounded(channel.symbolRate);
  // A frequency of 0 would make the channel a title row.
  if (megahertz == 0 || megahertz > 0xFFFF) {
    reason = msg::kFrequencyOutOfRange;
    return false;
  }
  if (kilosymbols > 0xFFFF) {
    reason = msg::kSymbolRateOutOfRange;
    return false;
  }
  record = ChannelRecord{};
  record.tag = kChannelTag;
  StoreRecordName(record, channel.name);
  record.frequency = static_cast<uint16_t>(megahertz);
  record.symbolRate = static_cast<uint16_t>(kilosymbols);
  record.fecCode = channel.fecCode;
  record.acqBandwidth = static_cast<uint8_t>(std::min<uint32_t>((kilosymbols + 500) / 1000, 0xFF));
  record.polarity = channel.polarity & 1;
  record.lnbSelect = static_cast<uint8_t>(((std::clamp(port, 1, 4) - 1) & 0x03) |
                                          ((channel.inversion & 0x03) << 2));
  record.serviceId = channel.serviceId;
  record.tsId = channel.tsId;
  record.networkId = channel.originalNetworkId;
  record.videoPid = channel.videoPid & kPidMask;
  record.audioPid = (channel.audioPid != kNoPid ? channel.audioPid : channel.ac3Pid) & kPidMask;
  record.pcrPid = channel.pcrPid & kPidMask;
  record.textPid = channel.textPid & kPidMask;
  record.pmtPid = kNoPid;
  record.autoFlags = kAutoPmt;
  const bool sound = channel.audioPid != kNoPid || channel.ac3Pid != kNoPid;
  record.serviceType = channel.serviceType >= 0 && channel.serviceType <= 0xFF
                           ? static_cast<uint8_t>(channel.serviceType)
                       : channel.videoPid != kNoPid ? 1
                       : sound                      ? 2
                                                    : static_cast<uint8_t>(kDataBroadcast);
  record.modeFlags = 0;  // PAL, normal audio, 12 V off
  return true;
}

ChannelRecord MarkerRecord(std::string_view recordText) {
  ChannelRecord marker{};
  marker.tag = kChannelTag;
  StoreRecordName(marker, recordText);
  return marker;
}

ImportOutcome BuildImport(const ForeignList& list, const ImportOptions& options) {
  ImportOutcome outcome;
  outcome.badLines = list.badLines;
  outcome.skippedOther = list.streams;
  outcome.records.reserve(list.entries.size());
  // One section a title row: the row is written once it is known whether to keep it.
  const ForeignEntry* marker = nullptr;
  std::vector<ChannelRecord> section;
  int sectionChannels = 0;
  const auto flush = [&] {
    const bool keep =
        marker != nullptr && (!section.empty() || (marker->fromFile && sectionChannels == 0));
    if (keep) outcome.records.push_back(MarkerRecord(marker->markerName));
    outcome.records.insert(outcome.records.end(), section.begin(), section.end());
    section.clear();
    sectionChannels = 0;
  };
  for (const ForeignEntry& entry : list.entries) {
    if (entry.marker) {
      flush();
      marker = &entry;
      continue;
    }
    ++sectionChannels;
    const ForeignChannel& channel = entry.channel;
    const SkipReason reason = options.all ? SkipReason::kNone : WhyNotShown(channel);
    if (reason == SkipReason::kDvbS2) {
      ++outcome.skippedDvbS2;
      continue;
    }
    if (reason == SkipReason::kAdvancedVideo) {
      ++outcome.skippedAdvancedVideo;
      continue;
    }
    if (reason == SkipReason::kOther) {
      ++outcome.skippedOther;
      continue;
    }
    // The old channels.conf form names its own port; the ports given are by satellite.
    const int fallback = channel.diseqcPort >= 0 ? channel.diseqcPort + 1 : 1;
    ChannelRecord record;
    std::string why;
    if (!RecordFromForeign(channel, options.diseqc.PortOf(channel.orbital, fallback), record,
                           why)) {
      outcome.badLines.push_back({channel.file, channel.line, why});
      continue;
    }
    section.push_back(record);
    ++outcome.imported;
  }
  flush();
  return outcome;
}

std::string ImportSummary(const ImportOutcome& outcome) {
  return Format(msg::kImportReport, outcome.imported, outcome.Skipped(), outcome.skippedDvbS2,
                outcome.skippedAdvancedVideo, outcome.skippedOther);
}

std::vector<std::string> BadLineReport(const ForeignList& list, const std::vector<BadLine>& lines,
                                       size_t limit) {
  std::vector<std::string> report;
  for (size_t i = 0; i < lines.size() && i < limit; ++i) {
    const BadLine& line = lines[i];
    const std::string file = line.file >= 0 && static_cast<size_t>(line.file) < list.files.size()
                                 ? list.files[static_cast<size_t>(line.file)]
                                 : std::string("?");
    report.push_back(Format(msg::kUnreadableLine, file.c_str(), line.line, line.reason.c_str()));
  }
  if (lines.size() > limit) {
    report.push_back(Format(msg::kMoreUnreadableLines, static_cast<int>(lines.size() - limit)));
  }
  return report;
}

std::vector<int> SatellitesOf(const ForeignList& list) {
  std::vector<int> satellites;
  for (const ForeignEntry& entry : list.entries) {
    if (entry.marker || !entry.channel.orbital) continue;
    if (std::find(satellites.begin(), satellites.end(), *entry.channel.orbital) ==
        satellites.end()) {
      satellites.push_back(*entry.channel.orbital);
    }
  }
  return satellites;
}

int ImportFromOtherReceiver(EditorState& state, Ui& ui, ImportChoice& choice,
                            const ImportChooser& choose) {
  FileRequest request;
  request.title = msg::kImportListTitle;
  request.filterName = msg::kAnyListFilterName;
  request.filterPattern = msg::kAnyListFilterPattern;
  if (!AskOpenFile(ui, request, choice.folder)) return -1;
  ForeignList list;
  {
    BusyScope busy(ui);
    if (!ReadForeignLists({request.path}, ui, list)) return -1;
  }
  if (choose && !choose(SatellitesOf(list), choice)) return -1;
  if (choice.replace && state.settingsImage &&
      ui.Ask(msg::kSettingsAlreadyLoaded, Buttons::kYesNo, Icon::kQuestion, Answer::kNo) !=
          Answer::kYes) {
    return -1;
  }
  BusyScope busy(ui);
  ImportOutcome outcome = BuildImport(list, choice.options);
  if (choice.replace || !outcome.records.empty()) {
    if (choice.replace || !state.settingsImage) {
      state.settingsImage = std::move(outcome.records);
    } else {
      state.settingsImage->insert(state.settingsImage->end(), outcome.records.begin(),
                                  outcome.records.end());
    }
    state.settingsModified = true;
    ui.RefillChannelList();
  }
  const std::string summary = ImportSummary(outcome);
  ui.SetStatusText(summary);
  std::vector<std::string> bad = BadLineReport(list, outcome.badLines);
  std::string detail;
  if (!outcome.badLines.empty()) {
    detail = Format(msg::kUnreadableLines, static_cast<int>(outcome.badLines.size()));
    for (const std::string& line : bad) detail += "\n" + line;
  }
  ui.ShowDetailedMessage(summary, detail, Icon::kInformation);
  return outcome.imported;
}

}  // namespace pelorus
