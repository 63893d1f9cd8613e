#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

// The channel table the receiver holds when it is started without --channels, in its own
// (big-endian) record order: for each orbital position a marker row, then one channel per
// service of the position's transport streams as the multiplex carries them, then channels of
// other transponders of the position (which the simulator does not broadcast), about 200 rows
// in all. Built from the multiplex layout, so the two always agree.
std::vector<uint8_t> DefaultChannelTable();

// A DVB text (an optional character-table selector, then the text) as the receiver's 8-bit
// names hold it: Latin-1, characters beyond it as "?", cut at `limit` bytes.
std::string ReceiverName(std::string_view dvbText, size_t limit = 24);

// How many rows of DefaultChannelTable are not broadcast: extra transponders per position and
// services on each.
inline constexpr int kExtraTranspondersPerPosition = 11;
inline constexpr int kServicesPerExtraTransponder = 8;

}  // namespace sim
