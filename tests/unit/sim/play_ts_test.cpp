// Recordings played as the stand-in receiver's transponders, through pelorus-cli as a user runs
// it: one made by ffmpeg (MPEG-2 video and MP2 audio, no NIT of its own) and two written by the
// simulator itself, found by tuning to where their NITs place them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>

#include "receiver/receiver_memory.h"
#include "scsi/receiver_commands.h"
#include "scsi/sim_transport.h"
#include "support/cli_run.h"
#include "support/records.h"
#include "support/sim_process.h"
#include "support/temp_dir.h"
#include "ts_reading.h"

namespace pelorus {
namespace {

using testing::CliRun;
using testing::RunCommandLine;
using testing::ScsiSimProcess;
using testing::TempDir;
using testing::Word;

class PlayTsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::system("ffmpeg -version > /dev/null 2>&1") != 0) GTEST_SKIP() << "no ffmpeg";
    // Four seconds of a test card and a tone in one programme, service 77 on PIDs of our choice,
    // at a constant 3 Mbit/s.
    const std::string make =
        "ffmpeg -hide_banner -loglevel error -y -f lavfi -i testsrc=size=352x288:rate=25:duration=4"
        " -f lavfi -i sine=frequency=660:sample_rate=48000:duration=4 -c:v mpeg2video -b:v 1M"
        " -g 12 -c:a mp2 -b:a 128k -ac 2 -metadata service_name=Registrazione"
        " -metadata service_provider=Prova -mpegts_service_id 77 -mpegts_transport_stream_id 291"
        " -mpegts_pmt_start_pid 0x1000 -mpegts_start_pid 0x0100 -muxrate 3M -f mpegts " +
        dir.File("ff.ts");
    ASSERT_EQ(std::system(make.c_str()), 0);
    const std::string simulator = ScsiSimProcess::SimulatorPath();
    for (const auto& [file, transponder] : {std::pair{"one.ts", "0"}, std::pair{"six.ts", "5"}}) {
      const std::string write = simulator + " --write-ts " + dir.File(file) + " --seconds 4" +
                                " --transponder " + transponder;
      ASSERT_EQ(std::system(write.c_str()), 0);
    }
  }
  void Start(std::vector<std::string> files) {
    std::vector<std::string> args;
    for (const std::string& file : files) args.insert(args.end(), {"--play-ts", dir.File(file)});
    sim = std::make_unique<ScsiSimProcess>(dir, args);
    ASSERT_TRUE(sim->Running());
  }
  CliRun Scsi(std::vector<std::string> words) {
    words.insert(words.begin(), "scsi");
    words.insert(words.end(), {"--scsi", sim->Link()});
    return RunCommandLine(words);
  }
  std::vector<uint8_t> CurrentService() {
    SimTransport transport(dir.File("receiver.sock"));
    transport.receiverAddress = {0, 3};
    std::vector<uint8_t> block(512);
    ExecScsiCommand(transport, ReadMemoryBlock(kCurrentServiceAddress, 512), ScsiDirection::kIn,
                    block);
    return block;
  }

  TempDir dir;
  std::unique_ptr<ScsiSimProcess> sim;
};

TEST_F(PlayTsTest, AnFfmpegRecordingIsTheTunedTransponder) {
  Start({"ff.ts", "one.ts"});
  const CliRun si = Scsi({"si"});
  ASSERT_EQ(si.status, 0) << si.err;
  // It has no NIT; its PAT and PMT are read as the recording has them.
  EXPECT_NE(si.out.find("transport_stream\t0123\nprogram\t77\t1000\npcr\t0100\n"
                        "stream\t02\t0100\nstream\t03\t0101\n"),
            std::string::npos)
      << si.out;
  const auto block = CurrentService();
  EXPECT_EQ(Word(block, 32), 0x0100);
  EXPECT_EQ(Word(block, 34), 0x0101);
  EXPECT_EQ(Word(block, 148), 0x0100);

  const CliRun find =
      Scsi({"pid-find", "--start", "256", "--dwell", "500", "--until-stopped", "--seconds", "1"});
  ASSERT_EQ(find.status, 0) << find.err;
  EXPECT_EQ(find.out.substr(0, 46), "PID 0100 active TSF=00\nPID 0101 active TSF=00\n");

  // Its SDT comes twice a second, and the guide reads it eight packets at a time.
  const CliRun eit = Scsi({"eit", dir.File("guide.txt"), "--seconds", "6"});
  EXPECT_NE(testing::ReadText(dir.File("guide.txt")).find("Ch:    77 Registrazione (Prova)"),
            std::string::npos)
      << eit.err;

  // Six seconds of a four-second recording: across its loop, without a continuity error.
  const CliRun record = Scsi({"record", dir.File("rec.m2t"), "--seconds", "6"});
  ASSERT_EQ(record.status, 0) << record.err;
  const CliRun check = RunCommandLine({"ts-check", dir.File("rec.m2t")});
  EXPECT_NE(check.out.find("\n0100 "), std::string::npos) << check.out;
  EXPECT_TRUE(std::regex_search(check.out, std::regex("\n0100 [0-9]+ 0 ")) &&
              std::regex_search(check.out, std::regex("\n0101 [0-9]+ 0 ")))
      << check.out;
  EXPECT_GT(testing::ReadBytes(dir.File("rec.m2t")).size(), 188u * 1500);
}

TEST_F(PlayTsTest, TuningFindsTheRecordingsTheirOwnNitPlaces) {
  Start({"ff.ts", "one.ts", "six.ts"});
  const CliRun tune = Scsi({"tune", "12322", "6111", "3/4", "V"});
  ASSERT_EQ(tune.status, 0) << tune.err;
  const CliRun six = Scsi({"si"});
  ASSERT_EQ(six.status, 0) << six.err;
  EXPECT_NE(six.out.find("network\t00b2\tPelorus Sat Est\n"), std::string::npos) << six.out;
  EXPECT_NE(six.out.find("transport_stream\t0006\nprogram\t601\t0100\n"), std::string::npos);
  EXPECT_TRUE(sim->WaitForLog("tuned recording 2 " + dir.File("six.ts")));

  ASSERT_EQ(Scsi({"tune", "11747", "27500", "3/4", "H"}).status, 0);
  const CliRun eit = Scsi({"eit", dir.File("guide.txt"), "--seconds", "4"});
  const std::string guide = testing::ReadText(dir.File("guide.txt"));
  EXPECT_NE(guide.find("Ch:   101 Pelorus Uno (Pelorus)"), std::string::npos) << eit.err;
  EXPECT_NE(guide.find("Telegiornale"), std::string::npos) << guide;
  const auto block = CurrentService();
  EXPECT_EQ(Word(block, 32), 0x0200);

  // The recording without a NIT is not found by tuning; nor is a frequency nobody has.
  ASSERT_EQ(Scsi({"tune", "12000", "27500", "3/4", "H"}).status, 0);
  EXPECT_TRUE(sim->WaitForLog("tuned nothing (no lock)"));
  EXPECT_EQ(Word(CurrentService(), 32), 0x1FFF);
}

TEST_F(PlayTsTest, M2tsAndDamagedRecordingsPlayAsTheyAre) {
  // The simulator's own TS 1 as 192-byte packets, and with a cut and a bad sync byte.
  const std::vector<uint8_t> plain = testing::ReadBytes(dir.File("one.ts"));
  std::vector<uint8_t> m2ts;
  for (size_t at = 0; at + 188 <= plain.size(); at += 188) {
    m2ts.insert(m2ts.end(), {0x00, 0x00, 0x00, static_cast<uint8_t>(at / 188)});
    m2ts.insert(m2ts.end(), plain.begin() + static_cast<long>(at),
                plain.begin() + static_cast<long>(at + 188));
  }
  testing::WriteBytes(dir.File("one.m2ts"), m2ts);
  std::vector<uint8_t> damaged = plain;
  size_t video = 0;  // the 500th packet of the video PID gets a bad sync byte
  for (size_t at = 0, seen = 0; at + 188 <= damaged.size() && !video; at += 188) {
    if (testing::PidOf(std::span(damaged).subspan(at)) == 0x0200 && ++seen == 500) video = at;
  }
  ASSERT_GT(video, 0u);
  damaged[video] = 0x46;
  damaged.erase(damaged.begin() + 188 * 3000 + 20, damaged.begin() + 188 * 3000 + 120);
  testing::WriteBytes(dir.File("damaged.ts"), damaged);

  Start({"one.m2ts", "damaged.ts"});
  const CliRun si = Scsi({"si"});
  ASSERT_EQ(si.status, 0) << si.err;
  EXPECT_NE(si.out.find("transport_stream\t0001\nprogram\t101\t0100\n"), std::string::npos);
  sim->Stop();
  sim.reset();
  Start({"damaged.ts"});
  const CliRun record = Scsi({"record", dir.File("rec.m2t"), "--seconds", "6"});
  // The packet with the bad sync byte reaches the recorder as the recording has it.
  const std::string said = record.out + record.err;
  EXPECT_NE(said.find(" packets without sync"), std::string::npos) << said;
  EXPECT_EQ(said.find(", 0 packets without sync"), std::string::npos) << said;
}

}  // namespace
}  // namespace pelorus
