// pelorus-cli si, eit and pids of recordings made by ffmpeg (MPEG-2 video with MP2 and AC-3,
// two services, at 2 and 18 Mbit/s) and written by the stand-in receiver, checked against what
// ffprobe reads in the same files; and the messages for files that are no recording.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>

#include "common/strfmt.h"
#include "si/messages.h"
#include "support/cli_run.h"
#include "support/sim_process.h"
#include "support/temp_dir.h"

namespace pelorus {
namespace {

using testing::CliRun;
using testing::RunCommandLine;
using testing::TempDir;

bool Have(const char* tool) {
  return std::system((std::string(tool) + " -version > /dev/null 2>&1").c_str()) == 0;
}

std::string Shell(const std::string& command) {
  std::string out;
  if (std::FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    ::pclose(pipe);
  }
  return out;
}

// What ffprobe reads of a file's programmes: "program N PMT PCR" and "stream PID CODEC" lines,
// in its order, PIDs in "%04x".
std::string ProbedPrograms(const std::string& file) {
  const std::string out = Shell(
      "ffprobe -v error -show_entries program=program_num,pmt_pid,pcr_pid:program_stream="
      "id,codec_name -of compact=nk=0 '" +
      file + "' 2>&1");
  std::string lines;
  std::istringstream in(out);
  std::string line;
  const std::regex program(
      "^program\\|program_num=([0-9]+)\\|.*pmt_pid=([0-9]+)\\|pcr_pid=([0-9]+)");
  const std::regex stream("stream\\|codec_name=([a-z0-9]+)\\|id=0x([0-9a-f]+)");
  std::smatch match;
  // A programme's first stream is on the programme's line.
  while (std::getline(in, line)) {
    if (std::regex_search(line, match, program)) {
      lines += Format("program %s %04x %04x\n", match[1].str().c_str(), std::stoi(match[2]),
                      std::stoi(match[3]));
    }
    for (std::sregex_iterator at(line.begin(), line.end(), stream), end; at != end; ++at) {
      // A scrambled MPEG audio stream cannot be decoded, and ffprobe guesses its layer.
      const std::string codec = (*at)[1] == "mp3" ? "mp2" : (*at)[1].str();
      lines += Format("stream %04x %s\n", std::stoi((*at)[2], nullptr, 16), codec.c_str());
    }
  }
  return lines;
}

// The same from our si listing, the stream type given as the codec ffprobe names for it.
std::string ListedPrograms(const std::string& listing) {
  static const std::map<std::string, std::string> codecs = {
      {"02", "mpeg2video"}, {"03", "mp2"}, {"04", "mp2"}, {"81", "ac3"}, {"06", "ac3"}};
  std::string lines;
  std::istringstream in(listing);
  std::string line;
  std::string program;
  while (std::getline(in, line)) {
    std::smatch match;
    if (std::regex_match(line, match, std::regex("program\t([0-9]+)\t([0-9a-f]{4})"))) {
      program = "program " + match[1].str() + " " + match[2].str();
    } else if (std::regex_match(line, match, std::regex("pcr\t([0-9a-f]{4})"))) {
      lines += program + " " + match[1].str() + "\n";
    } else if (std::regex_match(line, match, std::regex("stream\t([0-9a-f]{2})\t([0-9a-f]{4})"))) {
      const auto codec = codecs.find(match[1]);
      lines +=
          "stream " + match[2].str() + " " + (codec == codecs.end() ? "?" : codec->second) + "\n";
    }
  }
  return lines;
}

// The bit rate ffprobe works out for the whole file, in kbit/s.
double ProbedKbps(const std::string& file) {
  return std::atof(
             Shell("ffprobe -v error -show_entries format=bit_rate -of csv=p=0 '" + file + "'")
                 .c_str()) /
         1000;
}

// The sum of the PID list's bit rates, in kbit/s.
double ListedKbps(const std::string& pids) {
  double sum = 0;
  std::istringstream in(pids);
  std::string line;
  while (std::getline(in, line)) {
    std::smatch match;
    if (std::regex_search(line, match, std::regex("^[0-9a-f]{4}\t[0-9]+\t([0-9.]+)\t"))) {
      sum += std::atof(match[1].str().c_str());
    }
  }
  return sum;
}

class TsFileCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Have("ffmpeg") || !Have("ffprobe")) GTEST_SKIP() << "no ffmpeg";
  }
  // Two seconds of two services: MPEG-2 video with MP2 audio, and with AC-3.
  std::string Record(const std::string& name, const char* muxrate) {
    const std::string file = dir.File(name);
    const std::string make =
        "ffmpeg -hide_banner -loglevel error -y"
        " -f lavfi -i testsrc=size=352x288:rate=25:duration=2"
        " -f lavfi -i sine=frequency=660:sample_rate=48000:duration=2"
        " -f lavfi -i testsrc2=size=352x288:rate=25:duration=2"
        " -f lavfi -i sine=frequency=440:sample_rate=48000:duration=2"
        " -map 0:v -map 1:a -map 2:v -map 3:a -c:v mpeg2video -b:v 800k -c:a:0 mp2 -c:a:1 ac3"
        " -b:a 128k"
        " -program title=Primo:program_num=10:st=0:st=1"
        " -program title=Secondo:program_num=20:st=2:st=3"
        " -muxrate " +
        std::string(muxrate) + " -f mpegts '" + file + "'";
    EXPECT_EQ(std::system(make.c_str()), 0);
    return file;
  }

  TempDir dir;
};

TEST_F(TsFileCommandsTest, FfmpegRecordingsReadAsFfprobeReadsThem) {
  for (const auto& [name, muxrate] : {std::pair{"low.ts", "2M"}, std::pair{"high.ts", "18M"}}) {
    SCOPED_TRACE(name);
    const std::string file = Record(name, muxrate);
    const CliRun si = RunCommandLine({"si", file});
    ASSERT_EQ(si.status, 0) << si.err;
    // No NIT in an ffmpeg recording: said, as the receiver's listing says it.
    EXPECT_NE(si.err.find(msg::si::kNitMissing), std::string::npos);
    const std::string probed = ProbedPrograms(file);
    EXPECT_NE(probed.find("program 10 "), std::string::npos) << probed;
    EXPECT_EQ(ListedPrograms(si.out), probed) << si.out;
    // ffmpeg names the provider itself: ffprobe reads the same.
    const std::string provider =
        Shell("ffprobe -v error -show_entries program_tags=service_provider -of csv=p=0 '" + file +
              "' | head -1");
    ASSERT_FALSE(provider.empty());
    const std::string named = provider.substr(0, provider.find_first_of(",\n"));
    EXPECT_NE(si.out.find("service\t000a\t01\t" + named + "\tPrimo\n"), std::string::npos)
        << si.out;
    EXPECT_NE(si.out.find("service\t0014\t01\t" + named + "\tSecondo\n"), std::string::npos);

    const CliRun pids = RunCommandLine({"pids", file});
    ASSERT_EQ(pids.status, 0) << pids.err;
    EXPECT_TRUE(std::regex_search(pids.out, std::regex("\n0100\t[0-9]+\t[0-9.]+\t02\n")))
        << pids.out;
    EXPECT_TRUE(std::regex_search(pids.out, std::regex("\n1000\t[0-9]+\t[0-9.]+\tPMT\n")));
    EXPECT_EQ(pids.out.find("scrambled"), std::string::npos);
    // The PCR gives the multiplex's rate; ffprobe's, from the file's size over the time its
    // frames span, is a little higher for so short a file.
    const double muxKbps = std::atof(muxrate) * 1000;
    EXPECT_NEAR(ListedKbps(pids.out), muxKbps, muxKbps * 0.01) << pids.out;
    const double probedKbps = ProbedKbps(file);
    EXPECT_NEAR(ListedKbps(pids.out), probedKbps, probedKbps * 0.2) << pids.out;

    // No EIT either: the guide holds the two services and no event.
    const CliRun eit = RunCommandLine({"eit", file, dir.File("guide.txt")});
    ASSERT_EQ(eit.status, 0) << eit.err;
    const std::string guide = testing::ReadText(dir.File("guide.txt"));
    EXPECT_NE(guide.find("Ch:    10 Primo (" + named + ")"), std::string::npos) << guide;
    EXPECT_NE(guide.find("Ch:    20 Secondo (" + named + ")"), std::string::npos) << guide;
  }
}

TEST_F(TsFileCommandsTest, TheSimulatorsRecordingHasItsNetworkServicesAndGuide) {
  const std::string file = dir.File("sim.ts");
  const std::string write = testing::ScsiSimProcess::SimulatorPath() + " --write-ts " + file +
                            " --seconds 4" + " --transponder 1";
  ASSERT_EQ(std::system(write.c_str()), 0);

  const CliRun si = RunCommandLine({"si", file});
  ASSERT_EQ(si.status, 0) << si.err;
  EXPECT_NE(si.out.find("network\t"), std::string::npos) << si.out;
  EXPECT_NE(si.out.find("\ndelivery\t"), std::string::npos);
  EXPECT_EQ(ListedPrograms(si.out), ProbedPrograms(file)) << si.out;
  // The scrambled service says so, from its SDT entry and its PMT's CA descriptor.
  EXPECT_TRUE(std::regex_search(si.out, std::regex("\nservice\t[0-9a-f]{4}\t01\t[^\t\n]+\t[^\t\n]+"
                                                   "\tscrambled\n")))
      << si.out;
  const std::string names =
      Shell("ffprobe -v error -show_entries program_tags=service_name -of csv=p=0 '" + file + "'");
  std::istringstream in(names);
  std::string name;
  while (std::getline(in, name)) {
    name = name.substr(0, name.find(','));
    if (name.empty()) continue;
    EXPECT_NE(si.out.find("\t" + name), std::string::npos) << name << " not in\n" << si.out;
  }

  const CliRun pids = RunCommandLine({"pids", file});
  ASSERT_EQ(pids.status, 0) << pids.err;
  EXPECT_TRUE(std::regex_search(pids.out, std::regex("(^|\n)0001\t[0-9]+\t[0-9.]+\tCAT\n")))
      << pids.out;
  EXPECT_TRUE(std::regex_search(pids.out, std::regex("\n0012\t[0-9]+\t[0-9.]+\tEIT\n")));
  const double probedKbps = ProbedKbps(file);
  EXPECT_NEAR(ListedKbps(pids.out), probedKbps, probedKbps * 0.03) << pids.out;

  const CliRun eit =
      RunCommandLine({"eit", file, dir.File("guide.txt"), "--xmltv", dir.File("guide.xml")});
  ASSERT_EQ(eit.status, 0) << eit.err;
  const std::string guide = testing::ReadText(dir.File("guide.txt"));
  EXPECT_NE(guide.find("Ch:   201 Canale Aurora (Aurora)"), std::string::npos) << guide;
  EXPECT_NE(guide.find("Telegiornale"), std::string::npos) << guide;
  EXPECT_NE(guide.find("Caff\xc3\xa8"), std::string::npos) << "decoded, in UTF-8";
  EXPECT_NE(testing::ReadText(dir.File("guide.xml")).find("<programme "), std::string::npos);
}

TEST(TsFileCommandsFailureTest, FilesThatAreNoRecordingSayWhy) {
  TempDir dir;
  testing::WriteBytes(dir.File("empty.ts"), {});
  std::string notes;
  for (int i = 0; i < 200; ++i) notes += "Gianni: Guardare il GP alle 14\n";
  testing::WriteBytes(dir.File("notes.ts"), std::vector<uint8_t>(notes.begin(), notes.end()));
  const std::vector<std::pair<std::string, const char*>> cases = {
      {dir.File("missing.ts"), msg::si::kTsFileUnreadable},
      {dir.File("empty.ts"), msg::si::kTsFileEmpty},
      {dir.File("notes.ts"), msg::si::kTsFileNotTs},
  };
  for (const auto& [file, message] : cases) {
    for (const char* command : {"si", "pids"}) {
      SCOPED_TRACE(std::string(command) + " " + file);
      const CliRun run = RunCommandLine({command, file});
      EXPECT_EQ(run.status, 1);
      EXPECT_NE(run.err.find(Format(message, file.c_str())), std::string::npos) << run.err;
      EXPECT_EQ(run.out, "");
    }
    const CliRun eit = RunCommandLine({"eit", file, dir.File("guide.txt")});
    EXPECT_EQ(eit.status, 1);
    EXPECT_FALSE(std::ifstream(dir.File("guide.txt")).good()) << "no guide file for " << file;
  }
}

}  // namespace
}  // namespace pelorus
