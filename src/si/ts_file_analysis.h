#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "common/ts_numbers.h"
#include "common/worker.h"
#include "si/guide.h"
#include "si/nit.h"
#include "si/psi_tables.h"
#include "si/sdt.h"
#include "si/section_assembler.h"
#include "si/table_tracker.h"

namespace pelorus {

// What one PID of a recording carried.
struct PidUsage {
  uint64_t packets = 0;
  bool scrambled = false;  // a packet had transport_scrambling_control set
  bool pcr = false;        // a packet carried a PCR
};

// What a recorded transport stream holds, for the SI view, the guide and the PID list. Built by
// TsFileAnalyser; the front ends only read it.
struct TsFileAnalysis {
  size_t packetSize = 0;  // 188, or 192 for M2TS; 0 when no packets were found
  uint64_t packets = 0;   // whole packets read
  // Bytes passed over to find the packets again, a cut tail included.
  uint64_t skippedBytes = 0;
  std::optional<double> bitRate;      // bits a second, from the PCR
  std::map<uint16_t, PidUsage> pids;  // every PID that came
  std::optional<Nit> nit;             // of this network (0x40)
  std::optional<Pat> pat;
  std::optional<Cat> cat;
  std::optional<Sdt> sdt;        // of this multiplex (0x42)
  std::map<uint16_t, Pmt> pmts;  // by programme number
  // The services of every SDT and the events of the whole file, times as broadcast: nothing
  // expires, since the file has no "now".
  std::shared_ptr<Guide> guide = std::make_shared<Guide>();
  int crcErrors = 0;  // SDT and EIT sections with a wrong CRC, as the EIT browser counts them

  // A PID's share of the bit rate, in kbit/s; no value without a PCR.
  std::optional<double> PidKbps(uint16_t pid) const;
  // What a PID carries: the table's name ("PAT", "PMT", "SDT/BAT" ...), the stream type of the
  // programme map ("%02x"), "null", or "" when nothing says.
  std::string PidContent(uint16_t pid) const;
  // The PMT of a programme, if it came.
  const Pmt* ProgramMap(uint16_t programNumber) const;
  // free_CA_mode or a CA identifier in the SDT, or a CA descriptor in the service's PMT.
  bool ServiceScrambled(const SdtService& service) const;
};

// Reads a recording block by block, in any cutting. Finds the packets (188 bytes, or 192 with
// the M2TS time stamp before each), finding them again after junk or a cut (the next sync byte
// confirmed two packets on); counts every packet by PID, marks scrambled and PCR PIDs, works out
// the bit rate from the PCR, and assembles only the PSI/SI PIDs, which is what keeps it near the
// speed of reading the file.
class TsFileAnalyser {
 public:
  TsFileAnalyser();

  // The next bytes of the file.
  void Feed(std::span<const uint8_t> bytes);
  // The end of the file: what is held is read as far as it goes. The analysis is then complete.
  TsFileAnalysis Finish();

  uint64_t Packets() const { return result_.packets; }

 private:
  struct Pcr {
    int pid = -1;  // the first PID that carried one paces the file
    bool seen = false;
    uint64_t last = 0;
    uint64_t lastPacket = 0;
    uint64_t ticks = 0;    // 27 MHz ticks between PCRs that follow on
    uint64_t between = 0;  // the packets over those ticks
  };

  // Reads from `data` as far as whole packets and their confirmation go; returns the bytes used.
  size_t Scan(std::span<const uint8_t> data, bool atEnd);
  // The packet size whose sync bytes follow at `at` (0 when neither); `atEnd` lets a file of
  // one or two packets count.
  size_t SyncedSize(std::span<const uint8_t> data, size_t at, bool atEnd) const;
  void Packet(const uint8_t* packet);
  void NotePcr(uint16_t pid, const uint8_t* packet);
  void Sections(uint16_t pid, const Section& section);
  void AddEit(const Section& section);
  void TakeSdt(const Section& section);

  TsFileAnalysis result_;
  std::vector<uint8_t> held_;  // the start of a packet (or of a sync check) cut by the block
  bool synced_ = false;
  std::array<PidUsage, ts::kPidCount> usage_{};
  std::array<bool, ts::kPidCount> assembled_{};  // PSI/SI PIDs, PMT PIDs once the PAT names them
  std::map<uint16_t, SectionAssembler> assemblers_;
  Pcr pcr_;
  TableCollector<Pat> pat_;
  TableCollector<Cat> cat_;
  TableCollector<Nit> nit_;
  TableCollector<Sdt> sdt_;
  std::map<uint16_t, TableCollector<Pmt>> pmts_;
  std::vector<bool> knownServices_ = std::vector<bool>(0x10000);  // given to the guide by an SDT
  // EIT sections of services no SDT has named yet (the guide takes events only for services it
  // knows), given to it at the end. Kept once per table, section and version, so a long carousel
  // does not grow them.
  std::map<std::array<uint16_t, 5>, std::vector<uint8_t>> earlyEit_;
};

// Reads the file at `path` in blocks of 1 MiB, with progress and a stop between blocks. Fails
// (message and "PATH: reason") when the file cannot be read, is empty or holds no packets; a
// stop keeps what was read.
RunResult AnalyseTsFile(const std::string& path, RunControl& control, TsFileAnalysis& analysis);

// The same without a worker, for the tests and the fuzzer: every byte of `bytes` at once.
TsFileAnalysis AnalyseTsBytes(std::span<const uint8_t> bytes, size_t blockSize = 1 << 20);

}  // namespace pelorus
