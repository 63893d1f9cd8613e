// The channel search against the stand-in receiver, through pelorus-cli as a user runs it. What
// it must find is what ffprobe reads from each transponder's --write-ts output, a decoder that
// shares nothing with ours; the tuning and ids come from the simulator's layout.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <regex>
#include <sstream>

#include "channels/record_name_text.h"
#include "receiver/channel_record.h"
#include "sim/multiplex_layout.h"
#include "support/cli_run.h"
#include "support/records.h"
#include "support/sim_process.h"
#include "support/temp_dir.h"

namespace pelorus {
namespace {

using testing::CliRun;
using testing::RunCommandLine;
using testing::ScsiSimProcess;
using testing::TempDir;

// One programme as ffprobe lists it.
struct Probed {
  int transponder = 0;
  uint16_t serviceId = 0;
  uint16_t pmtPid = 0;
  uint16_t pcrPid = 0;
  std::string name;                                  // UTF-8
  std::vector<std::pair<std::string, int>> streams;  // codec name and PID, in PMT order
  std::vector<int> streamTypes;
};

std::string Run(const std::string& command) {
  std::string text;
  if (std::FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, n);
    ::pclose(pipe);
  }
  return text;
}

// ffprobe's flat listing of a recording's programmes.
std::vector<Probed> Probe(const std::string& file, int transponder) {
  const std::string text =
      Run("ffprobe -v error -show_entries 'program=program_id,pmt_pid,pcr_pid:program_tags="
          "service_name:program_stream=id,codec_tag,codec_name' -of flat '" +
          file + "'");
  std::map<int, Probed> programs;
  std::map<std::pair<int, int>, std::pair<std::string, int>> streams;
  std::map<std::pair<int, int>, int> types;
  const std::regex field(R"(programs\.program\.(\d+)\.(\S+?)=(.*))");
  const std::regex stream(R"(streams\.stream\.(\d+)\.(\w+))");
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    std::smatch match;
    if (!std::regex_match(line, match, field)) continue;
    const int index = std::stoi(match[1]);
    const std::string key = match[2];
    std::string value = match[3];
    if (value.size() >= 2 && value.front() == '"') value = value.substr(1, value.size() - 2);
    Probed& program = programs[index];
    program.transponder = transponder;
    std::smatch part;
    if (key == "program_id") {
      program.serviceId = static_cast<uint16_t>(std::stoi(value));
    } else if (key == "pmt_pid") {
      program.pmtPid = static_cast<uint16_t>(std::stoi(value));
    } else if (key == "pcr_pid") {
      program.pcrPid = static_cast<uint16_t>(std::stoi(value));
    } else if (key == "tags.service_name") {
      program.name = value;
    } else if (std::regex_match(key, part, stream)) {
      const std::pair<int, int> at{index, std::stoi(part[1])};
      if (part[2] == "codec_name") streams[at].first = value;
      if (part[2] == "id") streams[at].second = std::stoi(value, nullptr, 16);
      if (part[2] == "codec_tag") types[at] = std::stoi(value, nullptr, 16);
    }
  }
  for (const auto& [at, entry] : streams) {
    programs[at.first].streams.push_back(entry);
    programs[at.first].streamTypes.push_back(types[at]);
  }
  std::vector<Probed> found;
  for (const auto& entry : programs) found.push_back(entry.second);
  return found;
}

// The record a service should become, worked out from the probe by the rules of the list:
// the first MPEG video and audio, else AC-3 for the audio; none where it has none.
struct Expected {
  bool shown = false;  // the receiver can show it: MPEG video, or sound without video
  uint16_t video = kNoPid;
  uint16_t audio = kNoPid;
};
Expected ExpectedOf(const Probed& program) {
  Expected expected;
  uint16_t ac3 = kNoPid;
  bool otherVideo = false;
  for (size_t i = 0; i < program.streams.size(); ++i) {
    const int type = program.streamTypes[i];
    const auto pid = static_cast<uint16_t>(program.streams[i].second);
    if ((type == 0x01 || type == 0x02) && expected.video == kNoPid) expected.video = pid;
    if ((type == 0x03 || type == 0x04) && expected.audio == kNoPid) expected.audio = pid;
    if (program.streams[i].first == "ac3" && ac3 == kNoPid) ac3 = pid;
    otherVideo |= type == 0x1B || type == 0x24 || type == 0x10;
  }
  if (expected.audio == kNoPid) expected.audio = ac3;
  expected.shown = expected.video != kNoPid || (!otherVideo && expected.audio != kNoPid);
  return expected;
}

std::vector<ChannelRecord> ReadList(const std::string& path) {
  const std::vector<uint8_t> bytes = testing::ReadBytes(path);
  std::vector<ChannelRecord> records(bytes.size() / sizeof(ChannelRecord));
  std::memcpy(records.data(), bytes.data(), records.size() * sizeof(ChannelRecord));
  for (ChannelRecord& record : records) SwapRecordByteOrder(record);
  return records;
}

class SearchSimTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::system("ffprobe -version > /dev/null 2>&1") != 0) GTEST_SKIP() << "no ffprobe";
  }
  void Start(std::vector<std::string> extra = {}) {
    sim = std::make_unique<ScsiSimProcess>(dir, std::move(extra));
    ASSERT_TRUE(sim->Running());
  }
  CliRun Search(std::vector<std::string> words) {
    words.insert(words.begin(), {"scsi", "channel-search"});
    words.insert(words.end(), {"--scsi", sim->Link()});
    return RunCommandLine(words);
  }
  void WriteTs(int transponder, const std::string& file) {
    const std::string write = ScsiSimProcess::SimulatorPath() + " --write-ts " + dir.File(file) +
                              " --seconds 1 --transponder " + std::to_string(transponder);
    ASSERT_EQ(std::system(write.c_str()), 0);
  }

  TempDir dir;
  std::unique_ptr<ScsiSimProcess> sim;
};

TEST_F(SearchSimTest, ANetworkSearchFindsEveryServiceOfTheSixTransponders) {
  std::vector<Probed> probed;
  for (int t = 0; t < static_cast<int>(sim::kTransponders.size()); ++t) {
    const std::string file = "t" + std::to_string(t) + ".ts";
    WriteTs(t, file);
    const std::vector<Probed> programs = Probe(dir.File(file), t);
    ASSERT_EQ(static_cast<int>(programs.size()), sim::ServiceCount(t)) << file;
    probed.insert(probed.end(), programs.begin(), programs.end());
  }
  Start();
  const std::string list = dir.File("list.dvb");
  // A list with one channel of its own, which the search leaves where it is.
  testing::WriteBytes(list, testing::FileBytes({testing::MakeChannel("Mine", 10700)}));
  const CliRun first = Search({list, "--network"});
  ASSERT_EQ(first.status, 0) << first.out << first.err;
  // One line per transponder, in the order the NITs name them, the tuned one first.
  const std::vector<std::string> lines = {
      "11747 H 27500 3/4: 3 services, 3 added, 0 updated",
      "11778 V 27500 3/4: 3 services, 3 added, 0 updated",
      "12188 H 27500 3/4: 3 services, 3 added, 0 updated",
      "10971 H 29900 2/3: 4 services, 3 added, 0 updated, 1 skipped (H.264)",
      "11566 V 22000 5/6: 4 services, 3 added, 0 updated, 1 skipped (data)",
      "12322 V 6111 3/4: 5 services, 5 added, 0 updated",
  };
  std::string expectedOut;
  for (const std::string& line : lines) expectedOut += line + "\n";
  expectedOut +=
      "Transponders: 6 searched, 6 locked, 0 no lock, 0 DVB-S2 skipped\n"
      "Channels: 20 added, 0 updated, 0 unchanged\n"
      "Services skipped: 1 H.264, 1 data\n";
  EXPECT_EQ(first.out, expectedOut) << first.err;

  const std::vector<ChannelRecord> records = ReadList(list);
  // "Mine", a title row per position, and every service the receiver can show.
  ASSERT_EQ(records.size(), 1u + 2u + 20u);
  EXPECT_EQ(RecordNameToUtf8(records[0]), "Mine");
  EXPECT_EQ(records[1].frequency, 0);
  EXPECT_EQ(RecordNameToUtf8(records[1]), "19.2E");
  EXPECT_EQ(records[11].frequency, 0);
  EXPECT_EQ(RecordNameToUtf8(records[11]), "13.0E");
  std::map<uint16_t, const ChannelRecord*> byService;
  for (const ChannelRecord& record : records) {
    if (record.frequency != 0) byService[record.serviceId] = &record;
  }
  int shown = 0;
  for (const Probed& program : probed) {
    SCOPED_TRACE(program.serviceId);
    const Expected expected = ExpectedOf(program);
    const auto at = byService.find(program.serviceId);
    if (!expected.shown) {
      EXPECT_EQ(at, byService.end());
      continue;
    }
    ++shown;
    ASSERT_NE(at, byService.end());
    const ChannelRecord& record = *at->second;
    const sim::Transponder& ts = sim::kTransponders[static_cast<size_t>(program.transponder)];
    EXPECT_TRUE(record.HasTag());
    EXPECT_EQ(RecordNameToUtf8(record), program.name);
    EXPECT_EQ(record.pmtPid, program.pmtPid);
    EXPECT_EQ(record.pcrPid, program.pcrPid);
    EXPECT_EQ(record.videoPid, expected.video);
    EXPECT_EQ(record.audioPid, expected.audio);
    EXPECT_EQ(record.textPid, kNoPid);
    EXPECT_EQ(record.frequency, ts.frequencyMhz);
    EXPECT_EQ(record.symbolRate, ts.symbolRateKs);
    EXPECT_EQ(record.polarity, ts.vertical ? 1 : 0);
    EXPECT_EQ(record.acqBandwidth, (ts.symbolRateKs + 500) / 1000);
    constexpr std::array<int, 6> kFecCodes = {0, 2, 3, 4, 6, 7};  // FEC_inner to the record's
    EXPECT_EQ(record.fecCode, kFecCodes[ts.fecInner]);
    EXPECT_EQ(record.tsId, ts.transportStreamId);
    EXPECT_EQ(record.networkId, sim::NetworkOf(program.transponder).networkId);
    EXPECT_EQ(record.serviceType,
              sim::ServiceAt(program.transponder, program.serviceId % 100 - 1).serviceType);
    EXPECT_EQ(record.lnbSelect, 0);  // port 1: the list says nothing of these positions
    EXPECT_EQ(record.modeFlags, 0);
    EXPECT_EQ(record.autoFlags, 0);
  }
  EXPECT_EQ(shown, 20);

  // The same search again finds the same channels: nothing to add, nothing to update, and the
  // file is left as it was.
  const std::vector<uint8_t> written = testing::ReadBytes(list);
  const CliRun second = Search({list, "--network"});
  ASSERT_EQ(second.status, 0) << second.err;
  EXPECT_NE(second.out.find("11747 H 27500 3/4: 3 services, 0 added, 0 updated, 3 unchanged\n"),
            std::string::npos)
      << second.out;
  EXPECT_NE(second.out.find("Channels: 0 added, 0 updated, 20 unchanged\n"), std::string::npos)
      << second.out;
  EXPECT_EQ(testing::ReadBytes(list), written);
}

TEST_F(SearchSimTest, AnUnknownFrequencyOfATableIsOneNoLock) {
  Start();
  const std::string table = dir.File("Pelsat-19.2E");
  {
    std::FILE* file = std::fopen(table.c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fputs(
        "[CHANNEL]\n\tDELIVERY_SYSTEM = DVBS\n\tFREQUENCY = 11778000\n\tPOLARIZATION = VERTICAL\n"
        "\tSYMBOL_RATE = 27500000\n\tINNER_FEC = 3/4\n\n"
        "[CHANNEL]\n\tDELIVERY_SYSTEM = DVBS\n\tFREQUENCY = 12000000\n"
        "\tPOLARIZATION = HORIZONTAL\n\tSYMBOL_RATE = 27500000\n\tINNER_FEC = 3/4\n\n"
        "[CHANNEL]\n\tDELIVERY_SYSTEM = DVBS2\n\tFREQUENCY = 12100000\n"
        "\tPOLARIZATION = HORIZONTAL\n\tSYMBOL_RATE = 27500000\n\tINNER_FEC = 3/4\n",
        file);
    std::fclose(file);
  }
  const std::string list = dir.File("list.dvb");
  const CliRun dry = Search({list, "--transponders", table, "--timeout", "1", "--dry-run"});
  ASSERT_EQ(dry.status, 0) << dry.err;
  EXPECT_EQ(dry.out,
            "11778 V 27500 3/4: 3 services, 3 added, 0 updated\n"
            "12000 H 27500 3/4: no lock\n"
            "Transponders: 2 searched, 1 locked, 1 no lock, 1 DVB-S2 skipped\n"
            "Channels: 3 added, 0 updated, 0 unchanged\n"
            "Services skipped: none\n");
  EXPECT_FALSE(std::filesystem::exists(list));

  const CliRun real = Search({list, "--transponders", table, "--timeout", "1"});
  ASSERT_EQ(real.status, 0) << real.err;
  const std::vector<ChannelRecord> records = ReadList(list);
  ASSERT_EQ(records.size(), 4u);
  // The position comes from the transponder's NIT; the table's name says the same.
  EXPECT_EQ(RecordNameToUtf8(records[0]), "19.2E");
  EXPECT_EQ(RecordNameToUtf8(records[1]), "Canale Aurora");

  // Nothing but the unknown frequency: nothing locked, the list left as it was, status 1.
  const std::vector<uint8_t> before = testing::ReadBytes(list);
  const std::string nothing = dir.File("nothing.txt");
  testing::WriteBytes(
      nothing, {'S', ' ', '1', '2', '0', '0', '0', ' ', 'H', ' ', '2', '7', '5', '0', '0', '\n'});
  const CliRun none = Search({list, "--transponders", nothing, "--timeout", "1"});
  EXPECT_EQ(none.status, 1);
  EXPECT_NE(none.out.find("12000 H 27500 Auto: no lock\n"), std::string::npos) << none.out;
  EXPECT_NE(none.err.find("No transponder locked: " + list + " was left as it was"),
            std::string::npos)
      << none.err;
  EXPECT_EQ(testing::ReadBytes(list), before);
}

TEST_F(SearchSimTest, RecordingsPlayedAsTranspondersAreSearchedTheSameWay) {
  WriteTs(0, "one.ts");
  WriteTs(5, "six.ts");
  Start({"--play-ts", dir.File("one.ts"), "--play-ts", dir.File("six.ts")});
  const std::string list = dir.File("list.dvb");
  const CliRun search = Search({list, "--network", "--timeout", "1"});
  ASSERT_EQ(search.status, 0) << search.err;
  // The recording of TS 1 is tuned at the start; its NITs name all six, of which only the
  // recorded ones lock.
  EXPECT_EQ(search.out,
            "11747 H 27500 3/4: 3 services, 3 added, 0 updated\n"
            "11778 V 27500 3/4: no lock\n"
            "12188 H 27500 3/4: no lock\n"
            "10971 H 29900 2/3: no lock\n"
            "11566 V 22000 5/6: no lock\n"
            "12322 V 6111 3/4: 5 services, 5 added, 0 updated\n"
            "Transponders: 6 searched, 2 locked, 4 no lock, 0 DVB-S2 skipped\n"
            "Channels: 8 added, 0 updated, 0 unchanged\n"
            "Services skipped: none\n");
  const std::vector<ChannelRecord> records = ReadList(list);
  ASSERT_EQ(records.size(), 10u);
  EXPECT_EQ(RecordNameToUtf8(records[4]), "13.0E");
  EXPECT_EQ(RecordNameToUtf8(records[9]), "Radio Sei Classica");
  EXPECT_EQ(records[9].videoPid, kNoPid);
  EXPECT_EQ(records[9].audioPid, 0x02F0);
}

}  // namespace
}  // namespace pelorus
