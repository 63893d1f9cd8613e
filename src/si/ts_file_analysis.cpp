#include "si/ts_file_analysis.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <limits>

#include "common/file_handle.h"
#include "common/file_io.h"
#include "common/read_ahead.h"
#include "common/strfmt.h"
#include "si/eit.h"
#include "si/messages.h"

namespace pelorus {
namespace {

constexpr size_t kM2tsSyncOffset = ts::kM2tsPacketSize - ts::kPacketSize;
// A packet's sync byte is trusted once the next two packets' sync bytes follow it.
constexpr size_t kLookahead = 2 * ts::kM2tsPacketSize + 1;
// Enough of a new block to read past anything held from the last one.
constexpr size_t kJoin = 4 * kLookahead;
constexpr uint64_t kPcrWrap = (uint64_t{1} << 33) * 300;
// PCRs further apart than this are a cut or a jump, not the stream's pace.
constexpr uint64_t kMaxPcrGap = 27'000'000;
// The file has no "now": no event of it ever counts as ended.
constexpr std::time_t kNeverEnds = std::numeric_limits<std::time_t>::min();
constexpr size_t kMaxEarlyEit = 65536;

size_t SyncOffset(size_t packetSize) {
  return packetSize == ts::kM2tsPacketSize ? kM2tsSyncOffset : 0;
}

bool IsSiPid(uint16_t pid) {
  return pid == ts::pid::kPat || pid == ts::pid::kCat || pid == ts::pid::kNit ||
         pid == ts::pid::kSdt || pid == ts::pid::kEit;
}

template <typename Table>
std::optional<Table> Collected(const TableCollector<Table>& collector) {
  if (collector.Current()) return collector.Current();
  return collector.Partial();
}

}  // namespace

TsFileAnalyser::TsFileAnalyser() {
  for (const uint16_t pid :
       {ts::pid::kPat, ts::pid::kCat, ts::pid::kNit, ts::pid::kSdt, ts::pid::kEit}) {
    assembled_[pid] = true;
  }
}

size_t TsFileAnalyser::SyncedSize(std::span<const uint8_t> data, size_t at, bool atEnd) const {
  const size_t n = data.size();
  if (at + ts::kPacketSize > n || data[at] != ts::kSyncByte) return 0;
  // At the end, a packet the file has no room to confirm counts once the packets are known,
  // or when the whole file is one or two packets; a text's stray 0x47 near its end does not.
  const bool shortFile =
      result_.packetSize != 0 ||
      (result_.packets == 0 && result_.skippedBytes == 0 && at <= kM2tsSyncOffset);
  const auto confirmed = [&](size_t size) {
    for (size_t next = at + size; next <= at + 2 * size; next += size) {
      if (next >= n) return atEnd && shortFile && (n - at - ts::kPacketSize) % size == 0;
      if (data[next] != ts::kSyncByte) return false;
    }
    return true;
  };
  if (result_.packetSize != 0) return confirmed(result_.packetSize) ? result_.packetSize : 0;
  if (confirmed(ts::kPacketSize)) return ts::kPacketSize;
  if (confirmed(ts::kM2tsPacketSize)) return ts::kM2tsPacketSize;
  return 0;
}

size_t TsFileAnalyser::Scan(std::span<const uint8_t> data, bool atEnd) {
  const size_t n = data.size();
  size_t at = 0;  // where the next unit (an M2TS time stamp, or the packet) begins
  while (true) {
    if (synced_) {
      const size_t size = result_.packetSize;
      const size_t offset = SyncOffset(size);
      if (at + size > n) break;
      if (data[at + offset] == ts::kSyncByte) {
        Packet(&data[at + offset]);
        at += size;
        continue;
      }
      synced_ = false;
    }
    // Looking for the packets: the next sync byte that two more confirm.
    if (!atEnd && at + kLookahead > n) break;
    size_t found = at;
    size_t size = 0;
    const size_t last = atEnd ? n : n - kLookahead + 1;
    while (found < last) {
      const uint8_t* next =
          static_cast<const uint8_t*>(std::memchr(&data[found], ts::kSyncByte, last - found));
      if (next == nullptr) {
        found = last;
        break;
      }
      found = static_cast<size_t>(next - data.data());
      size = SyncedSize(data, found, atEnd);
      if (size != 0) break;
      ++found;
    }
    if (size == 0) {
      // The last bytes may be the time stamp of an M2TS packet whose sync byte comes next.
      const size_t keep = std::min(found - at, kM2tsSyncOffset);
      result_.skippedBytes += found - at - keep;
      at = found - keep;
      break;
    }
    if (result_.packetSize == 0) result_.packetSize = size;
    // An M2TS time stamp before the sync byte is part of the unit, not skipped.
    const size_t offset = SyncOffset(size);
    result_.skippedBytes += found - at - std::min(found - at, offset);
    Packet(&data[found]);
    synced_ = true;
    at = found + ts::kPacketSize;
  }
  if (atEnd && at < n) {
    result_.skippedBytes += n - at;
    at = n;
  }
  return at;
}

void TsFileAnalyser::Feed(std::span<const uint8_t> bytes) {
  if (!held_.empty()) {
    const size_t kept = held_.size();
    const size_t take = std::min(bytes.size(), kJoin);
    held_.insert(held_.end(), bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(take));
    const size_t used = Scan(held_, false);
    if (used < kept) {
      // Only a few new bytes came: all of them are held now.
      held_.erase(held_.begin(), held_.begin() + static_cast<ptrdiff_t>(used));
      return;
    }
    held_.clear();
    bytes = bytes.subspan(used - kept);
  }
  const size_t used = Scan(bytes, false);
  held_.assign(bytes.begin() + static_cast<ptrdiff_t>(used), bytes.end());
}

void TsFileAnalyser::Packet(const uint8_t* packet) {
  const uint16_t pid = static_cast<uint16_t>(((packet[1] & 0x1F) << 8) | packet[2]);
  PidUsage& usage = usage_[pid];
  ++usage.packets;
  ++result_.packets;
  const bool scrambled = (packet[3] & 0xC0) != 0;
  if (scrambled) usage.scrambled = true;
  const bool adaptation = (packet[3] & 0x20) != 0;
  if (adaptation && packet[4] >= 7 && (packet[5] & 0x10) != 0) NotePcr(pid, packet);
  if (assembled_[pid] && !scrambled) {
    assemblers_[pid].Feed(std::span<const uint8_t>(packet, ts::kPacketSize),
                          [this, pid](const Section& section) { Sections(pid, section); });
  }
}

void TsFileAnalyser::NotePcr(uint16_t pid, const uint8_t* packet) {
  usage_[pid].pcr = true;
  if (pcr_.pid < 0) pcr_.pid = pid;
  if (pcr_.pid != pid) return;
  const uint64_t base = (uint64_t{packet[6]} << 25) | (uint64_t{packet[7]} << 17) |
                        (uint64_t{packet[8]} << 9) | (uint64_t{packet[9]} << 1) | (packet[10] >> 7);
  const uint64_t value = base * 300 + (((packet[10] & 0x01u) << 8) | packet[11]);
  const bool discontinuity = (packet[5] & 0x80) != 0;
  const uint64_t packetIndex = result_.packets - 1;
  if (pcr_.seen) {
    const uint64_t gap = (value + kPcrWrap - pcr_.last) % kPcrWrap;
    if (!discontinuity && gap > 0 && gap <= kMaxPcrGap) {
      pcr_.ticks += gap;
      pcr_.between += packetIndex - pcr_.lastPacket;
    }
  }
  pcr_.last = value;
  pcr_.lastPacket = packetIndex;
  pcr_.seen = true;
}

void TsFileAnalyser::Sections(uint16_t pid, const Section& section) {
  if ((pid == ts::pid::kSdt || pid == ts::pid::kEit) && section.whole && section.hasCrc &&
      !section.crcOk) {
    ++result_.crcErrors;
  }
  if (!section.Usable()) return;
  switch (pid) {
    case ts::pid::kPat:
      if (section.tableId != ts::table::kPat) return;
      pat_.Add(section);
      // The PMTs are looked for as soon as a section names their PIDs.
      if (const std::optional<Pat> pat = Pat::Parse(section)) {
        for (const PatProgram& program : pat->programs) {
          if (program.pmtPid < ts::kPidCount && !IsSiPid(program.pmtPid)) {
            assembled_[program.pmtPid] = true;
          }
        }
      }
      return;
    case ts::pid::kCat:
      if (section.tableId == ts::table::kCat) cat_.Add(section);
      return;
    case ts::pid::kNit:
      if (section.tableId == ts::table::kNitActual) nit_.Add(section);
      return;
    case ts::pid::kSdt:
      TakeSdt(section);
      return;
    case ts::pid::kEit:
      AddEit(section);
      return;
    default:
      if (section.tableId == ts::table::kPmt) pmts_[section.extension].Add(section);
      return;
  }
}

void TsFileAnalyser::TakeSdt(const Section& section) {
  if (section.tableId == ts::table::kSdtActual) sdt_.Add(section);
  const std::optional<Sdt> sdt = Sdt::Parse(section);
  if (!sdt) return;
  bool fresh = false;
  for (const SdtService& service : sdt->services) fresh |= !knownServices_[service.serviceId];
  if (!fresh) return;
  result_.guide->AddServices(*sdt);
  for (const SdtService& service : sdt->services) knownServices_[service.serviceId] = true;
}

void TsFileAnalyser::AddEit(const Section& section) {
  const bool eit = (section.tableId >= ts::table::kEitPfActual &&
                    section.tableId <= ts::table::kEitScheduleOtherLast);
  if (!eit) return;
  if (knownServices_[section.extension]) {
    if (const std::optional<EitView> view = EitView::Parse(section)) {
      result_.guide->AddEvents(*view, kNeverEnds);
    }
    return;
  }
  if (earlyEit_.size() >= kMaxEarlyEit) return;
  const std::array<uint16_t, 5> key = {section.tableId, section.extension, section.number,
                                       section.version,
                                       static_cast<uint16_t>(section.bytes.size())};
  earlyEit_.try_emplace(key, section.bytes.begin(), section.bytes.end());
}

TsFileAnalysis TsFileAnalyser::Finish() {
  std::vector<uint8_t> tail;
  tail.swap(held_);
  Scan(tail, true);
  for (const auto& [key, bytes] : earlyEit_) {
    if (!knownServices_[key[1]]) continue;
    const std::optional<Section> section = Section::Parse(bytes);
    if (!section) continue;
    if (const std::optional<EitView> view = EitView::Parse(*section)) {
      result_.guide->AddEvents(*view, kNeverEnds);
    }
  }
  earlyEit_.clear();
  for (size_t pid = 0; pid < usage_.size(); ++pid) {
    if (usage_[pid].packets != 0) result_.pids.emplace(static_cast<uint16_t>(pid), usage_[pid]);
  }
  if (pcr_.ticks != 0) {
    result_.bitRate = static_cast<double>(pcr_.between) * ts::kPacketSize * 8 * 27e6 /
                      static_cast<double>(pcr_.ticks);
  }
  result_.pat = Collected(pat_);
  result_.cat = Collected(cat_);
  result_.nit = Collected(nit_);
  result_.sdt = Collected(sdt_);
  for (const auto& [number, collector] : pmts_) {
    if (std::optional<Pmt> pmt = Collected(collector)) result_.pmts.emplace(number, *pmt);
  }
  return std::move(result_);
}

TsFileAnalysis AnalyseTsBytes(std::span<const uint8_t> bytes, size_t blockSize) {
  TsFileAnalyser analyser;
  blockSize = std::max<size_t>(blockSize, 1);
  for (size_t at = 0; at < bytes.size(); at += blockSize) {
    analyser.Feed(bytes.subspan(at, std::min(blockSize, bytes.size() - at)));
  }
  return analyser.Finish();
}

RunResult AnalyseTsFile(const std::string& path, RunControl& control, TsFileAnalysis& analysis) {
  const auto unreadable = [&path](int error) {
    return RunResult::Failed(Format(msg::si::kTsFileUnreadable, path.c_str()),
                             path + ": " + std::strerror(error));
  };
  // Only a regular file: opening a FIFO would wait for a writer, and a device may never end.
  FileContents contents;
  const FileHandle handle(
      OpenRegularFileForReading(path, std::numeric_limits<uint64_t>::max(), contents));
  if (handle.get() < 0) {
    return RunResult::Failed(Format(msg::si::kTsFileUnreadable, path.c_str()),
                             FileProblemText(path, contents));
  }
  const int file = handle.get();
  struct stat status {};
  if (::fstat(file, &status) != 0) return unreadable(errno);
  const uint64_t size = static_cast<uint64_t>(std::max<off_t>(status.st_size, 0));
  const std::string name = path.substr(path.find_last_of('/') + 1);

  TsFileAnalyser analyser;
  ReadAhead reader(file, ReadAhead::kFileBlock);
  uint64_t read = 0;
  int shown = -1;
  bool stopped = false;
  while (true) {
    if (control.StopRequested()) {
      stopped = true;
      break;
    }
    const ReadAhead::Block block = reader.Next();
    if (block.error != 0) return unreadable(block.error);
    if (block.bytes.empty()) break;
    analyser.Feed(block.bytes);
    read += block.bytes.size();
    const int percent =
        size == 0 ? 0 : static_cast<int>(std::min<uint64_t>(read * 100 / size, 100));
    if (percent != shown) {
      shown = percent;
      control.Progress(percent, Format(msg::si::kAnalysingTsFile, name.c_str()));
    }
  }
  if (read == 0 && !stopped) {
    return RunResult::Failed(Format(msg::si::kTsFileEmpty, path.c_str()), path);
  }
  analysis = analyser.Finish();
  if (analysis.packets == 0) {
    if (stopped) return RunResult::Failed(Format(msg::si::kTsFileNothingRead, path.c_str()), path);
    return RunResult::Failed(Format(msg::si::kTsFileNotTs, path.c_str()), path);
  }
  return stopped ? RunResult::Stopped() : RunResult::Done();
}

std::optional<double> TsFileAnalysis::PidKbps(uint16_t pid) const {
  const auto found = pids.find(pid);
  if (!bitRate || packets == 0 || found == pids.end()) return std::nullopt;
  return *bitRate * static_cast<double>(found->second.packets) / static_cast<double>(packets) /
         1000.0;
}

const Pmt* TsFileAnalysis::ProgramMap(uint16_t programNumber) const {
  const auto found = pmts.find(programNumber);
  return found == pmts.end() ? nullptr : &found->second;
}

std::string TsFileAnalysis::PidContent(uint16_t pid) const {
  switch (pid) {
    case ts::pid::kPat:
      return "PAT";
    case ts::pid::kCat:
      return "CAT";
    case ts::pid::kNit:
      return "NIT";
    case ts::pid::kSdt:
      return "SDT/BAT";
    case ts::pid::kEit:
      return "EIT";
    case ts::pid::kTdt:
      return "TDT/TOT";
    case ts::kNullPid:
      return "null";
    default:
      break;
  }
  if (pat) {
    for (const PatProgram& program : pat->programs) {
      if (program.pmtPid == pid) return "PMT";
    }
  }
  for (const auto& [number, pmt] : pmts) {
    for (const PmtStream& stream : pmt.streams) {
      if (stream.pid == pid) return Format("%02x", stream.streamType);
    }
  }
  for (const auto& [number, pmt] : pmts) {
    if (pmt.pcrPid == pid) return "PCR";
  }
  if (cat) {
    for (const CaDescriptor& ca : cat->ca) {
      if (ca.pid == pid) return "EMM";
    }
  }
  for (const auto& [number, pmt] : pmts) {
    for (const CaDescriptor& ca : pmt.ca) {
      if (ca.pid == pid) return "ECM";
    }
  }
  return "";
}

bool TsFileAnalysis::ServiceScrambled(const SdtService& service) const {
  if (service.Scrambled()) return true;
  const Pmt* pmt = ProgramMap(service.serviceId);
  return pmt != nullptr && pmt->Scrambled();
}

}  // namespace pelorus
