// The search's steps against a scripted receiver: the slots set up before the tune, three
// tables at once, PMTs three at a time with a shared PMT PID read once, no PAT as no lock, the
// NIT's transponders added on a network search, a stop, and a receiver lost part-way.
#include <gtest/gtest.h>

#include <map>
#include <thread>

#include "service_scan/channel_search.h"
#include "service_scan/messages.h"
#include "service_scan/transponder_read.h"
#include "unit/scsi/scripted_transport.h"
#include "unit/si/section_builder.h"

namespace pelorus {
namespace {

using testing::Append;
using testing::Bytes;
using testing::Descriptor;
using testing::LongSection;
using testing::Packetise;
using testing::U16;

// A receiver with multiplexes by frequency, each a set of PIDs whose packets repeat for ever. A
// slot of a PID that carries nothing refuses its reads, as the receiver does when its wait ends.
// After `loseAfter` commands the link is gone.
class FakeReceiver : public testing::ScriptedTransport {
 public:
  using Multiplex = std::map<uint16_t, std::vector<Bytes>>;
  std::map<int, Multiplex> multiplexes;
  int tuned = 0;
  int loseAfter = -1;
  std::vector<std::vector<uint16_t>> setups;
  std::vector<int> tunes;

  FakeReceiver() {
    handler = [this](const Command& command, std::span<uint8_t> in) { return Answer(command, in); };
  }

 protected:
  int Execute(ScsiAddress address, std::span<const uint8_t> cdb, ScsiDirection direction,
              std::span<uint8_t> buffer, size_t& received) override {
    if (loseAfter >= 0 && static_cast<int>(commands.size()) >= loseAfter) {
      lastProblem_ = LinkProblem::kLost;
      lastFailure_ = "receiver.sock: the connection was closed";
      commands.push_back({address, {cdb.begin(), cdb.end()}, direction, {}});
      return kScsiError;
    }
    return ScriptedTransport::Execute(address, cdb, direction, buffer, received);
  }

 private:
  Reply Answer(const Command& command, std::span<uint8_t> in) {
    const uint8_t op = command.cdb[0];
    if (op == 0x3E && command.direction == ScsiDirection::kOut) {
      std::vector<uint16_t> pids;
      for (size_t at = 0; at + 6 <= command.data.size(); at += 6) {
        pids.push_back(static_cast<uint16_t>(command.data[at] << 8 | command.data[at + 1]));
      }
      setups.push_back(pids);
      slots_ = pids;
      next_.clear();
      return {kScsiSuccess, 0};
    }
    if (op == 0x3B && command.cdb[1] == 0x30 && !command.data.empty() && command.data[0] == 0x17) {
      tuned = std::stoi(std::string(command.data.begin() + 1, command.data.begin() + 6));
      tunes.push_back(tuned);
      next_.clear();
      return {kScsiSuccess, 0};
    }
    if (op == 0x3C && command.direction == ScsiDirection::kIn && command.cdb[1] < slots_.size()) {
      const uint16_t pid = slots_[command.cdb[1]];
      const auto mux = multiplexes.find(tuned);
      if (mux == multiplexes.end() || !mux->second.count(pid)) return {kScsiError, 0};
      const std::vector<Bytes>& packets = mux->second.at(pid);
      const Bytes& packet = packets[next_[pid]++ % packets.size()];
      std::copy(packet.begin(), packet.end(), in.begin());
      return {kScsiSuccess, packet.size()};
    }
    return {kScsiSuccess, 0};
  }

  std::vector<uint16_t> slots_;
  std::map<uint16_t, size_t> next_;
};

Bytes PatBytes(uint16_t tsid, const std::vector<std::pair<uint16_t, uint16_t>>& programs) {
  Bytes payload;
  for (const auto& [number, pid] : programs) {
    U16(payload, number);
    U16(payload, 0xE000 | pid);
  }
  return LongSection(0x00, tsid, payload);
}

Bytes PmtBytes(uint16_t program, uint16_t video) {
  Bytes payload;
  U16(payload, 0xE000 | video);
  U16(payload, 0xF000);
  payload.push_back(0x02);
  U16(payload, 0xE000 | video);
  U16(payload, 0xF000);
  return LongSection(0x02, program, payload);
}

Bytes BuildSdt(uint16_t tsid, uint16_t onid,
               const std::vector<std::pair<uint16_t, std::string>>& names) {
  Bytes payload;
  U16(payload, onid);
  payload.push_back(0xFF);
  for (const auto& [id, name] : names) {
    Bytes body = {0x01, 0, static_cast<uint8_t>(name.size())};
    Append(body, Bytes(name.begin(), name.end()));
    const Bytes descriptor = Descriptor(0x48, body);
    U16(payload, id);
    payload.push_back(0xFC);
    U16(payload, 0x8000 | descriptor.size());
    Append(payload, descriptor);
  }
  return LongSection(0x42, tsid, payload);
}

// A NIT naming transport streams by (tsid, frequency MHz, vertical, DVB-S2).
struct Named {
  uint16_t tsid;
  int mhz;
  bool vertical;
  bool s2 = false;
};
Bytes NitBytes(uint8_t table, uint16_t network, const std::vector<Named>& streams) {
  Bytes payload;
  U16(payload, 0xF000);  // no network descriptors
  Bytes loop;
  for (const Named& named : streams) {
    // The frequency in units of 10 kHz, eight BCD digits.
    const std::string digits = std::to_string(100000000 + named.mhz * 100).substr(1);
    Bytes delivery;
    for (size_t i = 0; i < 8; i += 2) {
      delivery.push_back(static_cast<uint8_t>((digits[i] - '0') << 4 | (digits[i + 1] - '0')));
    }
    delivery.push_back(0x01);  // 19.2
    delivery.push_back(0x92);
    delivery.push_back(
        static_cast<uint8_t>(0x80 | (named.vertical ? 0x20 : 0) | (named.s2 ? 0x04 : 0) | 0x01));
    for (const uint8_t byte : {0x02, 0x75, 0x00, 0x03}) delivery.push_back(byte);  // 27500 3/4
    const Bytes descriptor = Descriptor(0x43, delivery);
    U16(loop, named.tsid);
    U16(loop, network);
    U16(loop, 0xF000 | descriptor.size());
    Append(loop, descriptor);
  }
  U16(payload, 0xF000 | loop.size());
  Append(payload, loop);
  return LongSection(table, network, payload);
}

// A multiplex of `count` television services, ids tsid * 100 + k, the first two sharing a PMT PID.
FakeReceiver::Multiplex Services(uint16_t tsid, int count, const Bytes& nit = {}) {
  FakeReceiver::Multiplex mux;
  std::vector<std::pair<uint16_t, uint16_t>> programs;
  std::vector<std::pair<uint16_t, std::string>> names;
  for (int k = 0; k < count; ++k) {
    const uint16_t id = static_cast<uint16_t>(tsid * 100 + k + 1);
    const uint16_t pmtPid = static_cast<uint16_t>(k < 2 ? 0x100 : 0x100 + 0x10 * k);
    programs.push_back({id, pmtPid});
    names.push_back({id, "TV " + std::to_string(id)});
    // Programmes that share a PMT PID follow each other on it, the continuity counter going on.
    std::vector<Bytes>& onPid = mux[pmtPid];
    for (const Bytes& packet :
         testing::PacketiseCounted(pmtPid, PmtBytes(id, static_cast<uint16_t>(0x200 + k)),
                                   static_cast<uint8_t>(onPid.size()))) {
      onPid.push_back(packet);
    }
  }
  mux[0x0000] = Packetise(0x0000, PatBytes(tsid, programs));
  mux[0x0011] = Packetise(0x0011, BuildSdt(tsid, 0xB1, names));
  if (!nit.empty()) mux[0x0010] = Packetise(0x0010, nit);
  return mux;
}

RunGate NeverStop() {
  return {[] { return false; },
          [](std::chrono::milliseconds duration) {
            std::this_thread::sleep_for(duration);
            return true;
          }};
}

TEST(SearchRunTest, TablesThreeAtOnceAfterSlotsSetUpBeforeTheTune) {
  FakeReceiver receiver;
  receiver.multiplexes[11778] = Services(2, 5);
  TransponderReadRequest request;
  request.transponder.frequencyMhz = 11778;
  request.transponder.symbolRateKs = 27500;
  request.transponder.vertical = true;
  request.timeout = std::chrono::milliseconds(500);
  const TransponderRead read = ReadTransponder(receiver, request, NeverStop());
  ASSERT_TRUE(read.tables.pat.has_value());
  EXPECT_EQ(read.tables.pat->transportStreamId, 2);
  ASSERT_TRUE(read.tables.sdt.has_value());
  EXPECT_EQ(read.tables.pmts.size(), 5u);
  EXPECT_FALSE(read.stopped);
  // PAT, SDT and NIT first; the tune after their set-up; then four PMT PIDs (the first two
  // programmes share one) three at a time.
  ASSERT_EQ(receiver.setups.size(), 3u);
  EXPECT_EQ(receiver.setups[0], (std::vector<uint16_t>{0x0000, 0x0011, 0x0010}));
  EXPECT_EQ(receiver.setups[1], (std::vector<uint16_t>{0x0100, 0x0120, 0x0130}));
  EXPECT_EQ(receiver.setups[2], (std::vector<uint16_t>{0x0140}));
  size_t firstSetup = 0;
  size_t tune = 0;
  for (size_t i = 0; i < receiver.commands.size(); ++i) {
    const auto& cdb = receiver.commands[i].cdb;
    if (cdb[0] == 0x3E && firstSetup == 0) firstSetup = i + 1;
    if (cdb[0] == 0x3B && cdb[1] == 0x30) tune = i + 1;
  }
  EXPECT_LT(firstSetup, tune);
  EXPECT_EQ(receiver.tunes, std::vector<int>{11778});
  // The tune's digits follow the manual tune: frequency, ten times the rate, FEC, polarity.
  for (const auto& command : receiver.commands) {
    if (command.cdb[0] == 0x3B && command.cdb[1] == 0x30) {
      EXPECT_EQ(std::string(command.data.begin() + 1, command.data.begin() + 13), "117782750011");
    }
  }
}

TEST(SearchRunTest, NoPatWithinTheTimeOutIsNoLockAndANetworkSearchFollowsTheNit) {
  FakeReceiver receiver;
  // The tuned multiplex names itself, two more of its network and one DVB-S2 transponder in its
  // NIT actual, and one of another network in a NIT other; 12000 MHz carries nothing.
  const std::vector<Named> own = {
      {1, 11747, false}, {2, 11778, true}, {3, 12000, false}, {7, 12100, true, true}};
  Bytes nits = NitBytes(0x40, 0xB1, own);
  Append(nits, NitBytes(0x41, 0xB2, {{4, 10971, false}}));
  receiver.multiplexes[0] = Services(1, 2, nits);
  receiver.multiplexes[11778] = Services(2, 1, NitBytes(0x40, 0xB1, own));
  receiver.multiplexes[10971] = Services(4, 3);
  ChannelSearchRequest request;
  request.network = true;
  request.timeout = std::chrono::milliseconds(200);
  std::vector<TransponderReport> reports;
  ChannelSearch::Events events;
  events.transponder = [&](const TransponderReport& report) { reports.push_back(report); };
  ChannelSearch search(receiver, {}, request);
  const RunResult result = search.Run(NeverStop(), events);
  EXPECT_EQ(result.outcome, RunOutcome::kDone);
  std::vector<std::string> lines;
  for (const TransponderReport& report : reports) lines.push_back(report.Line());
  // The tuned one is 11747 H; it is not tuned to again.
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "11747 H 27500 3/4: 2 services, 2 added, 0 updated",
                       "11778 V 27500 3/4: 1 services, 1 added, 0 updated",
                       "12000 H 27500 3/4: no lock",
                       "10971 H 27500 3/4: 3 services, 3 added, 0 updated",
                   }));
  EXPECT_EQ(receiver.tunes, (std::vector<int>{11778, 12000, 10971}));
  const SearchSummary summary = search.Summary();
  EXPECT_EQ(summary.searched, 4);
  EXPECT_EQ(summary.locked, 3);
  EXPECT_EQ(summary.noLock, 1);
  EXPECT_EQ(summary.dvbS2, 1);
  EXPECT_EQ(summary.channels.added, 6);
  EXPECT_EQ(search.Found().size(), 6u);
  EXPECT_EQ(search.Found().front().orbital, 192);
  // The slotted stream is stopped at the end.
  EXPECT_EQ(receiver.commands.back().cdb[0], 0x3E);
  EXPECT_EQ(receiver.commands.back().direction, ScsiDirection::kNone);
}

TEST(SearchRunTest, ALostReceiverEndsTheSearchAtOnceAndWhatWasFoundIsKept) {
  FakeReceiver receiver;
  receiver.multiplexes[11747] = Services(1, 2);
  receiver.multiplexes[11778] = Services(2, 2);
  ChannelSearchRequest request;
  for (const int mhz : {11747, 11778}) {
    SearchTransponder transponder;
    transponder.frequencyMhz = mhz;
    transponder.symbolRateKs = 27500;
    request.transponders.push_back(transponder);
  }
  request.timeout = std::chrono::milliseconds(300);
  {
    // How many commands the first transponder takes.
    FakeReceiver counting;
    counting.multiplexes = receiver.multiplexes;
    ChannelSearchRequest first = request;
    first.transponders.resize(1);
    ChannelSearch(counting, {}, first).Run(NeverStop(), {});
    receiver.loseAfter = static_cast<int>(counting.commands.size()) + 3;
  }
  std::vector<std::string> lines;
  ChannelSearch::Events events;
  events.transponder = [&](const TransponderReport& report) { lines.push_back(report.Line()); };
  ChannelSearch search(receiver, {}, request);
  const RunResult result = search.Run(NeverStop(), events);
  ASSERT_TRUE(result.Failed());
  EXPECT_EQ(result.message, msg::search::kSearchLost);
  EXPECT_EQ(result.detail,
            "receiver.sock: the connection was closed; 2 channels found before can still be "
            "added to the list");
  EXPECT_EQ(lines.size(), 1u);
  EXPECT_EQ(search.Found().size(), 2u);
  // Nothing more was asked of a receiver that is gone.
  EXPECT_EQ(static_cast<int>(receiver.commands.size()), receiver.loseAfter + 1);
}

TEST(SearchRunTest, AStopRequestEndsTheReadAndTheSearch) {
  FakeReceiver receiver;  // nothing anywhere: every read is refused
  SearchTransponder transponder;
  transponder.frequencyMhz = 11778;
  ChannelSearchRequest request;
  request.transponders = {transponder, transponder};
  request.transponders[1].frequencyMhz = 12188;
  request.timeout = std::chrono::seconds(30);
  int waits = 0;
  const RunGate gate{[&waits] { return waits >= 3; },
                     [&waits](std::chrono::milliseconds) { return ++waits < 3; }};
  ChannelSearch search(receiver, {}, request);
  const auto start = std::chrono::steady_clock::now();
  search.Run(gate, {});
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_EQ(receiver.tunes, std::vector<int>{11778});
  EXPECT_EQ(search.Summary().searched, 0);
}

}  // namespace
}  // namespace pelorus
