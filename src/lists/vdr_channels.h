#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "lists/foreign_list.h"

namespace pelorus {

// A channels.conf, in the current form
//   name[,short][;provider]:freq:params:source:srate:vpid[+pcr][=type]:apids[;dpids]:tpid:caid:sid:nid:tid:rid
// (the last three may be missing in older files) or the old one
//   name:freq:pol:diseqc:srate:vpid:apid:tpid:ca:sid
// with ":group" lines between the channels. Channels and groups come back in file order, the
// groups as title rows; lines that cannot be read are in `badLines` (file index 0).
struct VdrChannels {
  std::vector<ForeignEntry> entries;
  std::vector<BadLine> badLines;
};

// True when the first line that is neither empty nor a group reads as a channel of either form.
bool LooksLikeVdrChannels(std::span<const uint8_t> bytes);

VdrChannels ParseVdrChannels(std::span<const uint8_t> bytes);

}  // namespace pelorus
