#pragma once

#include <span>
#include <string>

#include "lists/satellite_position.h"
#include "receiver/channel_record.h"

namespace pelorus {

inline constexpr char kLamedbFileName[] = "lamedb";
inline constexpr char kBouquetIndexFileName[] = "bouquets.tv";
inline constexpr char kBouquetFileName[] = "userbouquet.pelorus.tv";
inline constexpr char kBouquetName[] = "Pelorus";
// The satellite of a DiSEqC port for which none was named.
inline constexpr int kDefaultExportOrbital = 192;

// The satellite a record is written at: the one named for its DiSEqC port, else 19.2E.
int ExportOrbital(const ChannelRecord& record, const DiseqcPorts& ports);

// The three files of an Enigma2 settings folder for a list: a service database (version 4) with
// one transponder per frequency, polarisation, symbol rate, FEC and inversion on each satellite,
// the bouquet index, and one bouquet holding the list in its order with its title rows as
// markers. Channels that are the same service (the same ids on the same transponder) and differ
// in nothing the database keeps are one service entry, named twice in the bouquet; channels with
// the same ids that differ otherwise are kept apart, each on a transponder entry of its own.
struct Enigma2Files {
  std::string lamedb;
  std::string bouquetIndex;
  std::string bouquet;
  int channels = 0;
};
Enigma2Files MakeEnigma2Files(std::span<const ChannelRecord> records, const DiseqcPorts& ports);

// The list as a channels.conf in the current form, its title rows as groups.
struct VdrFile {
  std::string text;
  int channels = 0;
};
VdrFile MakeVdrChannels(std::span<const ChannelRecord> records, const DiseqcPorts& ports);

}  // namespace pelorus
