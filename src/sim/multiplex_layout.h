#pragma once

// What the stand-in receiver's satellite carries. One network, "Pelorus Sat Net" (network_id
// and original_network_id 0x00B1), six transport streams on two orbital positions. Every
// transport stream carries three services with the same PID plan; the NIT (PID 0x0010),
// SDT (0x0011), EIT (0x0012) and TDT (0x0014) are on every one.
//
//  index  TS id  frequency   pol  symbol rate  FEC  orbital position
//  0      0x0001 11747 MHz   H    27500 kS/s   3/4  19.2 E   (tuned at start)
//  1      0x0002 11778 MHz   V    27500 kS/s   3/4  19.2 E
//  2      0x0003 12188 MHz   H    27500 kS/s   3/4  19.2 E
//  3      0x0004 10971 MHz   H    29900 kS/s   2/3  13.0 E
//  4      0x0005 11566 MHz   V    22000 kS/s   5/6  13.0 E
//  5      0x0006 12322 MHz   V    6111 kS/s    3/4  13.0 E
//
//  service  service_id          PMT     video   MP2 audio  AC-3    PCR
//  0        TS id * 100 + 1     0x0100  0x0200  0x0280     0x0281  0x0200
//  1        TS id * 100 + 2     0x0110  0x0220  0x02A0     -       0x0221 (PCR only)
//  2        TS id * 100 + 3     0x0120  0x0240  0x02C0     -       0x0240
//
//  Service 2 of TS 0x0002 (service_id 203) is scrambled: its video and audio packets have
//  transport_scrambling_control 2 and a payload that no decoder can read.
//  Service names are in kServiceNames (multiplex_layout.cpp); the name of 402 starts with the
//  character-table selector 0x05 (ISO 8859-9 table) and that of 501 with 0x15 (UTF-8).
//
// Audio: the MP2 track of service k (k = 0, 1, 2) is a tone of kToneHz[(TS index + k) % 4] Hz
// (440, 660, 880, 1200); every AC-3 track is a 1000 Hz tone. Video is the same test card on
// every service (720x576, 25 frames/s, a white square sliding along the bottom).
//
// Events (EIT present/following and schedule, table 0x50): per service, starting at the full
// hour before the simulator's clock start, a repeating cycle of kEventCycle (durations 30 to
// 120 minutes) for at least 50 hours. Event ids count from 1 per service. Every event has a
// short event descriptor ("ita") and an extended event descriptor; the names of the events at
// cycle positions 2 and 5 start with a character-table selector (0x05 and 0x15).
//
// The simulator's clock starts at the wall-clock UTC time when it starts; in --write-ts
// output the clock runs with the packets.

#include <array>
#include <cstdint>
#include <string_view>

namespace sim {

inline constexpr uint16_t kNetworkId = 0x00B1;
inline constexpr std::string_view kNetworkName = "Pelorus Sat Net";
inline constexpr int kServicesPerTransport = 3;

inline constexpr uint16_t kPatPid = 0x0000;
inline constexpr uint16_t kNitPid = 0x0010;
inline constexpr uint16_t kSdtPid = 0x0011;
inline constexpr uint16_t kEitPid = 0x0012;
inline constexpr uint16_t kTdtPid = 0x0014;
inline constexpr uint16_t kNullPid = 0x1FFF;

struct Transponder {
  uint16_t transportStreamId;
  int frequencyMhz;
  bool vertical;
  int symbolRateKs;  // kS/s
  uint8_t fecInner;  // 1 1/2, 2 2/3, 3 3/4, 4 5/6, 5 7/8
  uint16_t orbitalTenths;
  bool east;
};

inline constexpr std::array<Transponder, 6> kTransponders = {{
    {0x0001, 11747, false, 27500, 3, 192, true},
    {0x0002, 11778, true, 27500, 3, 192, true},
    {0x0003, 12188, false, 27500, 3, 192, true},
    {0x0004, 10971, false, 29900, 2, 130, true},
    {0x0005, 11566, true, 22000, 4, 130, true},
    {0x0006, 12322, true, 6111, 3, 130, true},
}};

struct ServicePids {
  uint16_t pmt;
  uint16_t video;
  uint16_t audio;
  uint16_t ac3;  // 0: none
  uint16_t pcr;
};

inline constexpr std::array<ServicePids, kServicesPerTransport> kServicePids = {{
    {0x0100, 0x0200, 0x0280, 0x0281, 0x0200},
    {0x0110, 0x0220, 0x02A0, 0, 0x0221},
    {0x0120, 0x0240, 0x02C0, 0, 0x0240},
}};

inline constexpr std::array<int, 4> kToneHz = {440, 660, 880, 1200};
inline constexpr int kAc3ToneHz = 1000;

// One service as the multiplex carries it.
struct ServiceLayout {
  uint16_t serviceId;
  ServicePids pids;
  bool scrambled;
  int toneHz;
  std::string_view name;  // as the SDT carries it (may start with a table selector byte)
  std::string_view provider;
};

ServiceLayout ServiceAt(int transponder, int service);

// An event of the repeating schedule: its offset from the first event and its length.
struct EventLayout {
  std::string_view name;
  std::string_view text;  // the extended event descriptor's text
  int minutes;
};
inline constexpr int kEventCycleLength = 8;
const std::array<EventLayout, kEventCycleLength>& EventCycle();

// The transponder with this tune request's digits, or -1 (see TuneMatches).
int FindTransponder(int frequencyMhz, int symbolRateDigits, bool vertical);

}  // namespace sim
