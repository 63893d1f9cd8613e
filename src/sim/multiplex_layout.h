#pragma once

// What the stand-in receiver's satellites carry: six transport streams on two orbital
// positions, each position a network of its own. The NIT actual of a transport stream names the
// transport streams of its own position; the other position's are in the NIT other (0x41).
//
//  index  TS id  frequency   pol  symbol rate  FEC  position  network (= original network)
//  0      0x0001 11747 MHz   H    27500 kS/s   3/4  19.2 E    0x00B1 "Pelorus Sat Net" (tuned
//  1      0x0002 11778 MHz   V    27500 kS/s   3/4  19.2 E    0x00B1                at start)
//  2      0x0003 12188 MHz   H    27500 kS/s   3/4  19.2 E    0x00B1
//  3      0x0004 10971 MHz   H    29900 kS/s   2/3  13.0 E    0x00B2 "Pelorus Sat Est"
//  4      0x0005 11566 MHz   V    22000 kS/s   5/6  13.0 E    0x00B2
//  5      0x0006 12322 MHz   V    6111 kS/s    3/4  13.0 E    0x00B2
//
// Services: service_id = TS id * 100 + slot + 1; each slot has its own PIDs on every transport
// stream (kSlotPids). What a slot carries depends on its kind:
//  television  MPEG-2 video (0x02) + MP2 audio (0x03) [+ AC-3 (0x06) on slot 0], type 0x01
//  H.264       H.264 video (0x1B) on the video PID + MP2 audio, type 0x16    (slot 3 of TS 4)
//  radio       MP2 audio only, PCR on the audio PID, type 0x02               (slots 3, 4 of TS 6)
//  data        private sections (0x05) on the data PID, no PCR, type 0x0C   (slot 3 of TS 5)
//
//  slot  PMT     video   MP2 audio  AC-3    PCR               data
//  0     0x0100  0x0200  0x0280     0x0281  0x0200            -
//  1     0x0110  0x0220  0x02A0     -       0x0221 (PCR only) -
//  2     0x0120  0x0240  0x02C0     -       0x0240            -
//  3     0x0130  0x0260  0x02E0     -       video or audio    0x0260
//  4     0x0140  0x0270  0x02F0     -       video or audio    -
//
// Service 203 (slot 2 of TS 2) is scrambled: its video and audio packets have
// transport_scrambling_control 2 and a payload no decoder can read; its PMT names its ECM PID
// (kEcmPid) in a CA descriptor, TS 2 carries a CAT (PID 0x0001) naming the EMM PID (kEmmPid),
// and its SDT entry sets free_CA_mode. The SDT of TS 6 comes in two sections (slots 0-2, 3-4).
// Service names are in multiplex_layout.cpp; the name of 402 starts with the character-table
// selector 0x05 (ISO 8859-9) and that of 501 with 0x15 (UTF-8).
//
// Audio: the MP2 track of slot k is a tone of kToneHz[(TS index + k) % 4] Hz (440, 660, 880,
// 1200); every AC-3 track is a 1000 Hz tone. MPEG-2 video is the same 4:3 test card on every
// service (720x576, 25 frames/s, a white square sliding along the bottom); the H.264 service
// shows the same card at a lower rate.
//
// Events (EIT present/following and schedule, table 0x50) for every service but the data one:
// per service, starting at the full hour before the simulator's clock start, a repeating cycle
// of kEventCycle (durations 30 to 120 minutes) for at least 50 hours. Event ids count from 1
// per service. Every event has a short event descriptor ("ita") and an extended event
// descriptor; texts that are not plain ASCII start with a character-table selector (0x05 or
// 0x15). Schedule segments from midnight up to the first event are sent as empty sections.
//
// The simulator's clock starts at the wall-clock UTC time when it starts; in --write-ts
// output the clock runs with the packets.
//
// Repetition: PAT, PMTs and CAT every 100 ms, NIT actual and SDT every 200 ms, NIT other every
// second, EIT every 500 ms (all present/following sections, and one service's schedule in
// turn), TDT every second, ECMs every 100 ms, EMMs and data sections every second, an
// adaptation-only PCR packet on every PCR PID every 20 ms (and a PCR in the first packet of
// each picture on services whose PCR is on the video PID). Video and audio are sent as each
// unit falls due and decoded 700 ms later. The busiest transport stream (TS 6) needs about
// 3.7 Mbit/s; --rate accepts 4 to 400 Mbit/s and fills the rest with null packets.
//
// Stream side (stream_server.h): a read (3C 06, 3C ss) answers exactly the length asked for,
// filtered by the set-up's mode, waiting up to 500 ms for it and failing (status 4) if it did
// not come; what came stays queued for the next read. Each filter keeps a ring of 2048 packets
// of its PID (16384 while the busy word is 0x0000); a full ring drops new packets and the
// losses are written to --log. Tuning to a frequency the layout does not have stops the
// multiplex: every read fails and the current-service block shows PID 0x1FFF.

#include <array>
#include <cstdint>
#include <string_view>

namespace sim {

inline constexpr uint16_t kPatPid = 0x0000;
inline constexpr uint16_t kCatPid = 0x0001;
inline constexpr uint16_t kNitPid = 0x0010;
inline constexpr uint16_t kSdtPid = 0x0011;
inline constexpr uint16_t kEitPid = 0x0012;
inline constexpr uint16_t kTdtPid = 0x0014;
inline constexpr uint16_t kNullPid = 0x1FFF;
inline constexpr uint16_t kEcmPid = 0x0602;
inline constexpr uint16_t kEmmPid = 0x0700;
// The conditional-access system the scrambled service names; one of no real system.
inline constexpr uint16_t kCaSystemId = 0x4AFE;

struct Network {
  uint16_t networkId;  // also the original_network_id of its transport streams
  std::string_view name;
  uint16_t orbitalTenths;
  bool east;
  std::string_view marker;  // the channel table's title row for the position
};

inline constexpr std::array<Network, 2> kNetworks = {{
    {0x00B1, "Pelorus Sat Net", 192, true, "== PELSAT1 19.2E"},
    {0x00B2, "Pelorus Sat Est", 130, true, "== PELSAT2 13.0E"},
}};

struct Transponder {
  uint16_t transportStreamId;
  int frequencyMhz;
  bool vertical;
  int symbolRateKs;  // kS/s
  uint8_t fecInner;  // 1 1/2, 2 2/3, 3 3/4, 4 5/6, 5 7/8
  uint16_t orbitalTenths;
  bool east;
  int network;  // index into kNetworks
};

inline constexpr std::array<Transponder, 6> kTransponders = {{
    {0x0001, 11747, false, 27500, 3, 192, true, 0},
    {0x0002, 11778, true, 27500, 3, 192, true, 0},
    {0x0003, 12188, false, 27500, 3, 192, true, 0},
    {0x0004, 10971, false, 29900, 2, 130, true, 1},
    {0x0005, 11566, true, 22000, 4, 130, true, 1},
    {0x0006, 12322, true, 6111, 3, 130, true, 1},
}};

const Network& NetworkOf(int transponder);

enum class ServiceKind { kTelevision, kH264Television, kRadio, kData };

// A service's PIDs; 0 where it has no such stream.
struct ServicePids {
  uint16_t pmt;
  uint16_t video;
  uint16_t audio;
  uint16_t ac3;
  uint16_t pcr;  // kNullPid: no PCR
  uint16_t data = 0;
  uint16_t ecm = 0;
};

inline constexpr int kMaxServicesPerTransport = 5;

inline constexpr std::array<int, 4> kToneHz = {440, 660, 880, 1200};
inline constexpr int kAc3ToneHz = 1000;

// One service as the multiplex carries it.
struct ServiceLayout {
  uint16_t serviceId;
  ServiceKind kind;
  uint8_t serviceType;      // as the SDT gives it
  uint8_t videoStreamType;  // 0x02 or 0x1B; 0 without video
  ServicePids pids;
  bool scrambled;
  bool hasEvents;  // EIT present/following and schedule
  int toneHz;
  std::string_view name;  // as the SDT carries it (may start with a table selector byte)
  std::string_view provider;
};

int ServiceCount(int transponder);
ServiceLayout ServiceAt(int transponder, int service);
// The SDT's sections: the first service of section 1, or ServiceCount when it has one section.
int SdtSplit(int transponder);

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
