#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "si/si_describe.h"
#include "si/ts_file_analysis.h"

namespace pelorus {

// The texts of a recording's analysis, shared by the console and the window.

// One PID of the list: "%04x", the packets, the bit rate in kbit/s ("%.1f", "-" without a PCR),
// what it carries (a table's name or the stream type, "%02x"), and its marks.
struct PidTexts {
  std::string pid;
  std::string packets;
  std::string kbps;
  std::string content;
  bool pcr = false;
  bool scrambled = false;
};
std::vector<PidTexts> DescribePids(const TsFileAnalysis& analysis);

// The SDT's services, the scrambled mark taken from the SDT and the service's PMT.
std::vector<ServiceTexts> DescribeServices(const TsFileAnalysis& analysis);

// The lines of the SI listing, as the receiver's listing prints them: network and delivery
// lines (when the NIT came), the transport stream, each programme with its PCR and streams, and
// then one line per SDT service. `nitMissing` and `pmtsMissing` say what did not come.
struct SiListing {
  std::vector<std::string> lines;
  bool nitMissing = false;
  bool patMissing = false;
  int pmtsMissing = 0;
};
SiListing ListSi(const TsFileAnalysis& analysis);

// One line of the console's PID list: the fields tab-separated, "scrambled" last when it is.
std::string PidLine(const PidTexts& texts);

}  // namespace pelorus
