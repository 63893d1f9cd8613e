// The channel table the stand-in receiver starts with: built from its own multiplex, read over
// both links with pelorus-cli, listed, and every broadcast channel's PIDs compared with what
// `scsi si` reports on its transponder.
#include "sim/default_channels.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <sstream>

#include "receiver/channel_record.h"
#include "scsi/receiver_commands.h"
#include "scsi/sim_transport.h"
#include "sim/multiplex_layout.h"
#include "support/cli_run.h"
#include "support/records.h"
#include "support/sim_process.h"
#include "support/temp_dir.h"

namespace pelorus {
namespace {

using testing::CliRun;
using testing::RunCommandLine;

std::vector<ChannelRecord> Records(const std::vector<uint8_t>& bytes) {
  std::vector<ChannelRecord> records;
  for (size_t at = 0; at + 64 <= bytes.size(); at += 64) {
    records.push_back(RecordFromReceiverBytes(bytes.data() + at));
  }
  return records;
}

std::string NameOf(const ChannelRecord& record) {
  std::string name(record.name.begin(), record.name.end());
  return name.substr(0, name.find('\0'));
}

TEST(DefaultChannelsTest, NamesAreTheReceiversLatinOneTextOfTheSdtNames) {
  EXPECT_EQ(sim::ReceiverName("Pelorus Uno"), "Pelorus Uno");
  EXPECT_EQ(sim::ReceiverName("\x05"
                              "Caf\xE9 TV"),
            "Caf\xE9 TV");
  EXPECT_EQ(sim::ReceiverName("\x05"
                              "\xDE"
                              "ehir \xFD"),
            "Sehir i");  // the Turkish letters of ISO 8859-9 as their nearest Latin-1 letter
  EXPECT_EQ(sim::ReceiverName("\x15"
                              "Citt\xC3\xA0 TV"),
            "Citt\xE0 TV");
  EXPECT_EQ(sim::ReceiverName("\x15"
                              "\xE2\x82\xAC 5 \xC3"),
            "? 5 ?");  // beyond Latin-1, and cut inside a character
  EXPECT_EQ(sim::ReceiverName("\x86"
                              "Uno\x87 Due\x8A"),
            "\x86Uno\x87 Due");  // emphasis kept, other control codes dropped
  EXPECT_EQ(sim::ReceiverName(std::string_view("\x10\x00\x01"
                                               "Gr\xFC\xDF"
                                               "e",
                                               8)),
            "Gr\xFC\xDF"
            "e");
  EXPECT_EQ(sim::ReceiverName("Un nome molto, molto piu lungo"), "Un nome molto, molto piu");
}

TEST(DefaultChannelsTest, TheTableHoldsAMarkerPerPositionAndEveryBroadcastService) {
  const auto records = Records(sim::DefaultChannelTable());
  EXPECT_GE(records.size(), 190u);
  EXPECT_LE(records.size(), 210u);
  std::vector<std::string> markers;
  std::set<std::string> names;
  std::map<int, const ChannelRecord*> byService;
  int position = -1;
  for (const ChannelRecord& record : records) {
    ASSERT_TRUE(record.HasTag());
    if (record.IsMarker()) {
      markers.push_back(NameOf(record));
      ++position;
      continue;
    }
    ASSERT_GE(position, 0) << "a channel before the first marker";
    EXPECT_TRUE(names.insert(NameOf(record)).second) << NameOf(record);
    EXPECT_EQ(record.networkId, sim::kNetworks[static_cast<size_t>(position)].networkId);
    EXPECT_EQ(record.lnbSelect, position) << "each position on its own DiSEqC port";
    EXPECT_EQ(record.acqBandwidth, (record.symbolRate + 500) / 1000);
    EXPECT_TRUE(byService.emplace(record.serviceId, &record).second) << record.serviceId;
  }
  EXPECT_EQ(markers, (std::vector<std::string>{"== PELSAT1 19.2E", "== PELSAT2 13.0E"}));

  static constexpr uint8_t kFec[] = {0, 2, 3, 4, 6, 7};
  int broadcast = 0;
  for (int t = 0; t < static_cast<int>(sim::kTransponders.size()); ++t) {
    const sim::Transponder& ts = sim::kTransponders[static_cast<size_t>(t)];
    for (int s = 0; s < sim::ServiceCount(t); ++s, ++broadcast) {
      const sim::ServiceLayout service = sim::ServiceAt(t, s);
      ASSERT_TRUE(byService.count(service.serviceId)) << service.serviceId;
      const ChannelRecord& record = *byService[service.serviceId];
      EXPECT_EQ(NameOf(record), sim::ReceiverName(service.name));
      EXPECT_EQ(record.frequency, ts.frequencyMhz);
      EXPECT_EQ(record.symbolRate, ts.symbolRateKs);
      EXPECT_EQ(record.fecCode, kFec[ts.fecInner]);
      EXPECT_EQ(record.polarity, ts.vertical ? 1 : 0);
      EXPECT_EQ(record.tsId, ts.transportStreamId);
      EXPECT_EQ(record.serviceType, service.serviceType);
      EXPECT_EQ(record.pmtPid, service.pids.pmt);
      EXPECT_EQ(record.videoPid, service.pids.video ? service.pids.video : kNoPid);
      EXPECT_EQ(record.audioPid, service.pids.audio ? service.pids.audio : kNoPid);
      EXPECT_EQ(record.pcrPid, service.pids.pcr);
    }
  }
  EXPECT_EQ(
      static_cast<int>(records.size()),
      2 + broadcast + 2 * sim::kExtraTranspondersPerPosition * sim::kServicesPerExtraTransponder);
}

// The channels of the table as `pelorus-cli scsi si` sees them on air, by service id: PMT,
// PCR and the first two elementary PIDs.
struct OnAir {
  int pmt = 0;
  int pcr = 0;
  std::vector<int> streams;
};

std::map<int, OnAir> ProgrammesOf(const std::string& si) {
  std::map<int, OnAir> programmes;
  OnAir* current = nullptr;
  for (const auto& row : testing::TabSeparatedRows(si)) {
    if (row.size() == 3 && row[0] == "program") {
      current = &programmes[std::stoi(row[1])];
      current->pmt = std::stoi(row[2], nullptr, 16);
    } else if (current && row.size() == 2 && row[0] == "pcr") {
      current->pcr = std::stoi(row[1], nullptr, 16);
    } else if (current && row.size() == 3 && row[0] == "stream") {
      current->streams.push_back(std::stoi(row[2], nullptr, 16));
    }
  }
  return programmes;
}

TEST(DefaultChannelsTest, BothLinksReadTheTableAndItsChannelsAreOnAirWithTheirPids) {
  testing::TempDir dir;
  const std::string socket = dir.File("rx.sock");
  testing::SimProcess sim(dir, {"--scsi-socket", socket});
  ASSERT_TRUE(sim.Running());
  for (int i = 0; i < 300 && !std::filesystem::exists(socket); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  const std::vector<uint8_t> expected = sim::DefaultChannelTable();

  const CliRun serial =
      RunCommandLine({"serial", "read-settings", dir.File("serial.dvb"), "--port", sim.Port()});
  ASSERT_EQ(serial.status, 0) << serial.err;
  EXPECT_EQ(testing::ReadBytes(dir.File("serial.dvb")), expected);
  const CliRun scsi =
      RunCommandLine({"scsi", "read-settings", dir.File("scsi.dvb"), "--scsi", "sim:" + socket});
  ASSERT_EQ(scsi.status, 0) << scsi.err;
  EXPECT_EQ(testing::ReadBytes(dir.File("scsi.dvb")), expected);

  const CliRun list = RunCommandLine({"list", dir.File("scsi.dvb")});
  ASSERT_EQ(list.status, 0) << list.err;
  const auto rows = testing::TabSeparatedRows(list.out);
  const auto records = Records(expected);
  ASSERT_EQ(rows.size(), records.size() + 1);  // and the count
  EXPECT_EQ(rows.back(), (std::vector<std::string>{std::to_string(records.size()) + " channels"}));
  EXPECT_EQ(rows[0], (std::vector<std::string>{"1", "== PELSAT1 19.2E"}));
  EXPECT_EQ(rows[1][1], "Pelorus Uno");
  EXPECT_EQ(rows[1][2], "11747");
  int markers = 0;
  for (size_t i = 0; i < records.size(); ++i) markers += rows[i].size() == 2 ? 1 : 0;
  EXPECT_EQ(markers, 2);

  // Tune each transponder the way the table says, and find each of its channels on air.
  int checked = 0;
  for (const sim::Transponder& ts : sim::kTransponders) {
    static constexpr const char* kFec[] = {"", "1/2", "2/3", "3/4", "5/6", "7/8"};
    const CliRun tune = RunCommandLine({"scsi", "tune", std::to_string(ts.frequencyMhz),
                                        std::to_string(ts.symbolRateKs), kFec[ts.fecInner],
                                        ts.vertical ? "V" : "H", "--scsi", "sim:" + socket});
    ASSERT_EQ(tune.status, 0) << tune.err;
    const CliRun si = RunCommandLine({"scsi", "si", "--scsi", "sim:" + socket});
    ASSERT_EQ(si.status, 0) << si.err;
    const auto programmes = ProgrammesOf(si.out);
    for (const ChannelRecord& record : records) {
      if (record.IsMarker() || record.tsId != ts.transportStreamId) continue;
      SCOPED_TRACE(NameOf(record));
      ASSERT_TRUE(programmes.count(record.serviceId));
      const OnAir& onAir = programmes.at(record.serviceId);
      EXPECT_EQ(onAir.pmt, record.pmtPid);
      EXPECT_EQ(onAir.pcr, record.pcrPid);
      std::vector<int> named;
      for (const int pid : {record.videoPid, record.audioPid}) {
        if (pid != kNoPid) named.push_back(pid);
      }
      ASSERT_GE(onAir.streams.size(), named.size());
      EXPECT_EQ(std::vector<int>(onAir.streams.begin(),
                                 onAir.streams.begin() + static_cast<long>(named.size())),
                named);
      ++checked;
    }
  }
  EXPECT_EQ(checked, 22);
}

TEST(DefaultChannelsTest, AnEmptyChannelsFileGivesAnEmptyTable) {
  testing::TempDir dir;
  testing::WriteBytes(dir.File("empty.dvb"), {});
  for (const std::string& file : {std::string("/dev/null"), dir.File("empty.dvb")}) {
    testing::ScsiSimProcess sim(dir, {"--channels", file});
    ASSERT_TRUE(sim.Running());
    SimTransport transport(dir.File("receiver.sock"));
    transport.receiverAddress = {0, 3};
    std::vector<uint8_t> count(4, 0xFF);
    EXPECT_EQ(ExecScsiCommand(transport, GetChannelCountBlock(), ScsiDirection::kIn, count),
              kScsiSuccess);
    EXPECT_EQ(count, (std::vector<uint8_t>{0, 0, 0, 0})) << file;
  }
}

}  // namespace
}  // namespace pelorus
