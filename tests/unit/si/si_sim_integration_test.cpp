// The service-information actions of pelorus-cli against the stand-in receiver's multiplex: a
// real process with a live transport stream on a real socket. What is expected comes from the
// simulator's layout table, never from the client's own parsing.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>

#include "common/strfmt.h"
#include "sim/multiplex_layout.h"
#include "support/cli_run.h"
#include "support/sim_process.h"
#include "support/temp_dir.h"

namespace pelorus {
namespace {

using testing::CliRun;
using testing::RunCommandLine;
using testing::ScsiSimProcess;
using testing::TempDir;

class SiSimTest : public ::testing::Test {
 public:
  std::string XmlPath() const { return dir.File("guide.xml"); }

 protected:
  void SetUp() override {
    sim = std::make_unique<ScsiSimProcess>(dir);
    ASSERT_TRUE(sim->Running());
  }
  CliRun Scsi(std::vector<std::string> words) {
    words.insert(words.begin(), "scsi");
    words.push_back("--scsi");
    words.push_back(sim->Link());
    return RunCommandLine(words);
  }
  // The lines `scsi si` should print for transponder `index`, in order.
  static std::string ExpectedSi(size_t index) {
    const sim::Network& network = sim::NetworkOf(static_cast<int>(index));
    std::string text =
        Format("network\t%04x\t%s\n", network.networkId, std::string(network.name).c_str());
    // The NIT actual names the transport streams of the tuned one's own network.
    for (const sim::Transponder& ts : sim::kTransponders) {
      if (ts.network != sim::kTransponders[index].network) continue;
      static constexpr const char* kFec[] = {"Unknown", "1/2", "2/3", "3/4", "5/6", "7/8"};
      text += Format("delivery\t%d\t%d.00 MHz\t%.1f %s\t%s\t%.5f MSps\t%s\n", ts.frequencyMhz,
                     ts.frequencyMhz, ts.orbitalTenths / 10.0, ts.east ? "E" : "W",
                     ts.vertical ? "V" : "H", ts.symbolRateKs / 1000.0, kFec[ts.fecInner]);
    }
    const sim::Transponder& tuned = sim::kTransponders[index];
    text += Format("transport_stream\t%04x\n", tuned.transportStreamId);
    for (int k = 0; k < sim::ServiceCount(static_cast<int>(index)); ++k) {
      const sim::ServiceLayout service = sim::ServiceAt(static_cast<int>(index), k);
      const sim::ServicePids& pids = service.pids;
      text += Format("program\t%d\t%04x\n", service.serviceId, pids.pmt);
      text += Format("pcr\t%04x\n", pids.pcr);
      for (const uint16_t pid : {pids.video, pids.audio, pids.ac3, pids.data}) {
        if (pid != 0) text += Format("stream\t@@\t%04x\n", pid);
      }
    }
    return text;
  }
  // The stream types are the simulator's business; the PIDs and their order are checked.
  static std::string WithoutStreamTypes(const std::string& printed) {
    std::string text;
    for (auto& row : testing::TabSeparatedRows(printed)) {
      if (row.size() == 3 && row[0] == "stream") row[1] = "@@";
      for (size_t i = 0; i < row.size(); ++i) text += (i ? "\t" : "") + row[i];
      text += "\n";
    }
    return text;
  }

  TempDir dir;
  std::unique_ptr<ScsiSimProcess> sim;
};

TEST_F(SiSimTest, SiListsTheTunedMultiplexAndTuneChangesIt) {
  const CliRun first = Scsi({"si"});
  ASSERT_EQ(first.status, 0) << first.err;
  EXPECT_EQ(WithoutStreamTypes(first.out), ExpectedSi(0));

  const sim::Transponder& other = sim::kTransponders[5];
  const CliRun tune = Scsi(
      {"tune", std::to_string(other.frequencyMhz), std::to_string(other.symbolRateKs), "3/4", "V"});
  ASSERT_EQ(tune.status, 0) << tune.err;
  const CliRun second = Scsi({"si"});
  ASSERT_EQ(second.status, 0) << second.err;
  EXPECT_EQ(WithoutStreamTypes(second.out), ExpectedSi(5));

  EXPECT_EQ(Scsi({"tune", "11747", "27500", "9/10", "H"}).status, 2);
}

// The PIDs the tuned multiplex (the first) carries in [from, to).
std::set<int> CarriedPids(int from, int to) {
  std::set<int> carried;
  for (const int pid : {sim::kPatPid, sim::kNitPid, sim::kSdtPid, sim::kEitPid, sim::kTdtPid}) {
    carried.insert(pid);
  }
  for (int k = 0; k < sim::ServiceCount(0); ++k) {
    const sim::ServicePids pids = sim::ServiceAt(0, k).pids;
    for (const int pid : {pids.pmt, pids.video, pids.audio, pids.ac3, pids.pcr, pids.data}) {
      if (pid != 0 && pid != sim::kNullPid) carried.insert(pid);
    }
  }
  std::set<int> inRange;
  for (const int pid : carried) {
    if (pid >= from && pid < to) inRange.insert(pid);
  }
  return inRange;
}

TEST_F(SiSimTest, PidFinderListsExactlyTheCarriedPidsAndTheMonitorDumpsOne) {
  struct Scan {
    int start;
    int dwellMs;
    int seconds;
    int end;  // blocks past this carry nothing, however far the scan went
  };
  // The TDT comes once a second, the PMTs every 100 ms; a video PID that does not carry the
  // PCR can be quiet for a picture's time and a little more (up to about 55 ms on TS 1).
  for (const Scan& scan :
       {Scan{0, 1100, 2, 0x100}, Scan{0x100, 250, 1, 0x200}, Scan{0x200, 120, 2, 0x1000}}) {
    const CliRun run = Scsi({"pid-find", "--start", std::to_string(scan.start), "--dwell",
                             std::to_string(scan.dwellMs), "--until-stopped", "--seconds",
                             std::to_string(scan.seconds)});
    ASSERT_EQ(run.status, 0) << run.err;
    std::string expected;
    for (const int pid : CarriedPids(scan.start, scan.end)) {
      expected += Format("PID %04X active TSF=00\n", pid);
    }
    EXPECT_EQ(run.out, expected) << "from " << scan.start;
  }

  const CliRun monitor = Scsi({"pid-monitor", "0280", "--packets", "3"});
  ASSERT_EQ(monitor.status, 0) << monitor.err;
  const auto rows = testing::TabSeparatedRows(monitor.out);
  ASSERT_EQ(rows.size(), 3u * 13u);
  for (size_t packet = 0; packet < 3; ++packet) {
    const std::string& first = rows[packet * 13][0];
    ASSERT_GE(first.size(), 13u);
    EXPECT_EQ(first.substr(0, 7), "00: 47 ");
    const int pid = std::stoi(first.substr(7, 2), nullptr, 16) * 256 +
                    std::stoi(first.substr(10, 2), nullptr, 16);
    EXPECT_EQ(pid & 0x1FFF, 0x0280);
    EXPECT_EQ(rows[packet * 13 + 11][0].substr(0, 4), "b0: ");
  }
}

// The guide after `seconds` of listening: every service of the tuned transponder with its
// events, and an XMLTV file the XMLTV tools accept.
void CheckGuide(SiSimTest& test, const CliRun& run, const std::string& text, const std::string& xml,
                bool everyEvent) {
  ASSERT_EQ(run.status, 0) << run.err;
  const sim::Transponder& tuned = sim::kTransponders[0];
  for (int k = 0; k < sim::ServiceCount(0); ++k) {
    EXPECT_NE(text.find(Format("Ch: %5d ", tuned.transportStreamId * 100 + k + 1)),
              std::string::npos)
        << k;
  }
  EXPECT_NE(text.find(" Telegiornale ["), std::string::npos);
  EXPECT_NE(text.find("Le notizie del giorno"), std::string::npos);
  if (everyEvent) {
    for (const char* name :
         {"Il grande film", "Documentario: il mare", "Sport oggi", "Meteo", "Concerto"}) {
      EXPECT_NE(text.find(std::string(" ") + name + " ["), std::string::npos) << name;
    }
  }
  EXPECT_NE(xml.find("<display-name>Pelorus Uno</display-name>"), std::string::npos);
  EXPECT_NE(xml.find("Caff\xC3\xA8 e cornetto"), std::string::npos);
  // The DTD that ships with the tools, not one fetched from the network.
  const std::string command =
      "XMLTV_SUPPLEMENT=/usr/share/xmltv tv_validate_file " + test.XmlPath() + " >/dev/null 2>&1";
  EXPECT_EQ(std::system(command.c_str()), 0);
}

TEST_F(SiSimTest, EitWritesTheGuideAndAValidXmltvFile) {
  const std::string textPath = dir.File("guide.txt");
  const CliRun run = Scsi({"eit", textPath, "--seconds", "6", "--xmltv", XmlPath()});
  CheckGuide(*this, run, testing::ReadText(textPath), testing::ReadText(XmlPath()), false);
}

// Sixty seconds of listening, as a user would: run once, under the "long" label.
TEST_F(SiSimTest, DISABLED_EitSixtySecondsHoldsEveryServiceAndEvent) {
  const std::string textPath = dir.File("guide.txt");
  const CliRun run = Scsi({"eit", textPath, "--seconds", "60", "--xmltv", XmlPath()});
  CheckGuide(*this, run, testing::ReadText(textPath), testing::ReadText(XmlPath()), true);
}

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

// Runs `words` while the receiver is ended part-way, as a user pulling its cable would.
CliRun RunWhileTheReceiverDies(SiSimTest& test, ScsiSimProcess& sim, std::vector<std::string> words,
                               std::chrono::milliseconds after) {
  std::thread killer([&] {
    std::this_thread::sleep_for(after);
    sim.Stop();
  });
  words.insert(words.begin(), "scsi");
  words.push_back("--scsi");
  words.push_back(sim.Link());
  const auto started = std::chrono::steady_clock::now();
  CliRun run = RunCommandLine(words);
  killer.join();
  // The run ends at once, not at the end of its seconds.
  EXPECT_LT(std::chrono::steady_clock::now() - started, after + std::chrono::seconds(8));
  (void)test;
  return run;
}

TEST_F(SiSimTest, AGuideThatHeardNothingOrLostTheReceiverKeepsTheOldFiles) {
  const std::string textPath = dir.File("g.txt");
  WriteText(textPath, "old guide\n");
  WriteText(XmlPath(), "<old/>\n");
  // Out of range or not a number: a usage error naming the option, nothing touched.
  for (const char* seconds : {"0", "10000000000", "99999999999", "5x"}) {
    const CliRun run = Scsi({"eit", textPath, "--xmltv", XmlPath(), "--seconds", seconds});
    EXPECT_EQ(run.status, 2) << seconds;
    EXPECT_NE(run.err.find("--seconds"), std::string::npos) << run.err;
  }
  // Tuned to nothing: no SDT or EIT section comes, and the run says so.
  ASSERT_EQ(Scsi({"tune", "10000", "27500", "3/4", "H"}).status, 0);
  const CliRun quiet = Scsi({"eit", textPath, "--xmltv", XmlPath(), "--seconds", "2"});
  EXPECT_EQ(quiet.status, 1);
  EXPECT_NE(quiet.err.find("No SDT or EIT section was received from the receiver"),
            std::string::npos)
      << quiet.err;
  EXPECT_NE(quiet.err.find(textPath + " was left as it was"), std::string::npos) << quiet.err;
  EXPECT_EQ(testing::ReadText(textPath), "old guide\n");
  EXPECT_EQ(testing::ReadText(XmlPath()), "<old/>\n");

  // The receiver ended at once after the start: nothing came, the files stay.
  const CliRun early = RunWhileTheReceiverDies(
      *this, *sim, {"eit", textPath, "--xmltv", XmlPath(), "--seconds", "60"},
      std::chrono::milliseconds(0));
  EXPECT_EQ(early.status, 1) << early.err;
  EXPECT_EQ(testing::ReadText(textPath), "old guide\n");
  EXPECT_EQ(testing::ReadText(XmlPath()), "<old/>\n");
}

TEST_F(SiSimTest, AGuideCutShortKeepsWhatArrivedAndFails) {
  const std::string textPath = dir.File("g.txt");
  WriteText(textPath, "old guide\n");
  const CliRun run = RunWhileTheReceiverDies(
      *this, *sim, {"eit", textPath, "--xmltv", XmlPath(), "--seconds", "60"},
      std::chrono::milliseconds(3000));
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("The receiver stopped sending the service information"), std::string::npos)
      << run.err;
  // The services heard before the receiver went are written, whole.
  EXPECT_TRUE(testing::ReadText(textPath).starts_with("Ch: ")) << testing::ReadText(textPath);
  EXPECT_TRUE(testing::ReadText(XmlPath()).ends_with("</tv>\n"));
}

TEST_F(SiSimTest, PidToolsAndTuneNameTheirFailures) {
  // A PID the multiplex does not carry: the monitor saw nothing, and says so.
  const CliRun nothing = Scsi({"pid-monitor", "1FF0", "--packets", "1", "--seconds", "1"});
  EXPECT_EQ(nothing.status, 1);
  EXPECT_NE(nothing.err.find("No packet of PID 1FF0 was received"), std::string::npos)
      << nothing.err;
  // Numbers the tune command cannot carry are usage errors; nothing is sent.
  for (const char* frequency : {"-5", "abc", "99999999", "0", "12x"}) {
    const CliRun run = Scsi({"tune", frequency, "27500", "3/4", "H"});
    EXPECT_EQ(run.status, 2) << frequency;
    EXPECT_NE(run.err.find("must be a whole number from 1 to 99999"), std::string::npos) << run.err;
  }
  EXPECT_EQ(Scsi({"tune", "11747", "100000", "3/4", "H"}).status, 2);
  EXPECT_EQ(Scsi({"pid-find", "--dwell", "abc"}).status, 2);
  EXPECT_EQ(Scsi({"pid-monitor", "0100", "--packets", "0"}).status, 2);
  // PIDs as the finder shows them, whole: nothing after the digits, none beyond 1FFF.
  for (const char* pid : {"2000", "12x", " 100", "+100", "0x", "10000000000000000000"}) {
    const CliRun run = Scsi({"pid-monitor", pid, "--packets", "1"});
    EXPECT_EQ(run.status, 2) << pid;
    EXPECT_NE(run.err.find("is not a PID from 0000 to 1FFF"), std::string::npos) << run.err;
  }
  EXPECT_EQ(Scsi({"pid-find", "--start", "0x2000"}).status, 2);

  const CliRun monitor = RunWhileTheReceiverDies(
      *this, *sim, {"pid-monitor", "0200", "--packets", "1000000", "--seconds", "60"},
      std::chrono::milliseconds(1000));
  EXPECT_EQ(monitor.status, 1);
  EXPECT_NE(monitor.err.find("The receiver stopped sending the monitored PID"), std::string::npos)
      << monitor.err;
}

TEST_F(SiSimTest, TheFinderEndsWhenTheReceiverGoesAndARefusedTuneFails) {
  const CliRun finder = RunWhileTheReceiverDies(*this, *sim, {"pid-find", "--dwell", "100"},
                                                std::chrono::milliseconds(1000));
  EXPECT_EQ(finder.status, 1);
  EXPECT_NE(finder.err.find("The receiver stopped answering the PID finder"), std::string::npos)
      << finder.err;

  // A receiver that refuses its first command after the scan: the tune.
  TempDir otherDir;
  ScsiSimProcess refusing(otherDir, {"--fault", "scsi-fail:1"});
  ASSERT_TRUE(refusing.Running());
  const CliRun refused =
      RunCommandLine({"scsi", "tune", "11747", "27500", "3/4", "H", "--scsi", refusing.Link()});
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("The receiver refused the tune command"), std::string::npos)
      << refused.err;
}

}  // namespace
}  // namespace pelorus
