#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "si/descriptors.h"
#include "si/section.h"

namespace pelorus {

// The MPEG-2 programme tables. Each Parse reads one section of its table (no value for another
// table_id or a section too short for the fixed fields); loops whose lengths point past the
// section are read as far as it goes. Checking the CRC is the caller's business
// (Section::Usable); Append adds the next section of the same table.

struct PatProgram {
  uint16_t programNumber = 0;
  uint16_t pmtPid = 0;
};

// Programme association table (PID 0x0000, table 0x00).
struct Pat {
  uint16_t transportStreamId = 0;
  uint8_t version = 0;
  std::optional<uint16_t> networkPid;  // programme 0
  std::vector<PatProgram> programs;    // programme 0 (the network PID) is left out

  static std::optional<Pat> Parse(const Section& section);
  void Append(const Pat& later);
};

// Conditional access table (PID 0x0001, table 0x01): the CA systems of the multiplex.
struct Cat {
  uint8_t version = 0;
  std::vector<CaDescriptor> ca;

  static std::optional<Cat> Parse(const Section& section);
  void Append(const Cat& later);
};

struct PmtStream {
  uint8_t streamType = 0;
  uint16_t pid = 0;
  std::vector<CaDescriptor> ca;
  std::string language;  // the first ISO 639 code, if any
  bool ac3 = false;      // an AC-3 or enhanced AC-3 descriptor marks DVB's private AC-3 audio
  bool teletext = false;
  bool subtitles = false;
};

// Programme map table (table 0x02, one section per programme).
struct Pmt {
  uint16_t programNumber = 0;
  uint8_t version = 0;
  uint16_t pcrPid = 0;
  std::vector<CaDescriptor> ca;  // programme-level CA descriptors
  std::vector<PmtStream> streams;

  // A CA descriptor for the programme or any of its streams.
  bool Scrambled() const;
  static std::optional<Pmt> Parse(const Section& section);
  void Append(const Pmt& later);
};

// The names the SI browser's code has always used.
using PatInfo = Pat;
using PmtInfo = Pmt;

}  // namespace pelorus
