// The stand-in receiver's stream side through its socket, with the editor's own transport and
// stream primitives: what the capture, the recorder, the SI browser and the PID finder see.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <thread>

#include "receiver/receiver_memory.h"
#include "receiver/scsi_opcodes.h"
#include "scsi/receiver_commands.h"
#include "scsi/sim_transport.h"
#include "scsi/stream_primitives.h"
#include "sim/default_channels.h"
#include "support/sim_process.h"
#include "support/temp_dir.h"
#include "ts_reading.h"

namespace pelorus {
namespace {

using testing::PidOf;
using testing::ScsiSimProcess;
using testing::TempDir;
using testing::Word;

class SimStreamsTest : public ::testing::Test {
 protected:
  void Start(std::vector<std::string> extra = {}) {
    sim = std::make_unique<ScsiSimProcess>(dir, extra);
    ASSERT_TRUE(sim->Running());
    transport = std::make_unique<SimTransport>(dir.File("receiver.sock"));
    transport->receiverAddress = {0, 3};
  }
  int Exec(const ScsiBlock& cdb, ScsiDirection direction, std::vector<uint8_t>& buffer) {
    return ExecScsiCommand(*transport, cdb, direction, buffer);
  }
  std::vector<uint8_t> Read(const ScsiBlock& cdb, uint32_t length, int* status = nullptr) {
    std::vector<uint8_t> data(length);
    const int result = Exec(cdb, ScsiDirection::kIn, data);
    if (status) *status = result;
    return data;
  }
  int Tune(const std::string& digits) {
    std::vector<uint8_t> data = {kReceiverCommandTune};
    data.insert(data.end(), digits.begin(), digits.end());
    data.resize(16, 0);
    return Exec(ReceiverCommandBlock(16), ScsiDirection::kOut, data);
  }
  // The transport_stream_id of the PAT, or -1 when none can be captured.
  int PatStreamId() {
    std::vector<uint8_t> buffer(1024);
    const auto section = CaptureSection(*transport, 0x0000, 0x00, buffer);
    return section.size() < 5 ? -1 : Word(section, 3);
  }

  TempDir dir;
  std::unique_ptr<ScsiSimProcess> sim;
  std::unique_ptr<SimTransport> transport;
};

TEST_F(SimStreamsTest, SinglePidStreamDeliversThePidInTheModeAsked) {
  Start();
  ASSERT_TRUE(SetupPidStream(*transport, 0x0280, 1880, 6, false));
  int status = 0;
  const auto packets = Read(ReadStreamBlock(1880), 1880, &status);
  ASSERT_EQ(status, kScsiSuccess);
  int last = -1;
  for (size_t at = 0; at < packets.size(); at += 188) {
    ASSERT_EQ(packets[at], 0x47);
    EXPECT_EQ(PidOf(std::span(packets).subspan(at)), 0x0280);
    if (last >= 0) {
      EXPECT_EQ(packets[at + 3] & 0x0F, (last + 1) % 16);
    }
    last = packets[at + 3] & 0x0F;
  }
  StopPidStream(*transport, false);
  EXPECT_EQ(Read(ReadStreamBlock(188), 188, &status).size(), 188u);
  EXPECT_NE(status, kScsiSuccess);  // no stream set up

  // "ES data" of the audio PID: MP2 frames, sync word first.
  ASSERT_TRUE(SetupPidStream(*transport, 0x0280, 1024, 2, false));
  const auto es = Read(ReadStreamBlock(1024), 1024, &status);
  ASSERT_EQ(status, kScsiSuccess);
  EXPECT_EQ(es[0], 0xFF);
  EXPECT_EQ(es[1] & 0xF0, 0xF0);
  EXPECT_EQ(es[384], 0xFF);  // the next frame, 384 bytes on
  StopPidStream(*transport, false);
  EXPECT_TRUE(sim->WaitForLog("stream set up pid 0x0280 threshold 1024 mode 2"));
}

TEST_F(SimStreamsTest, SlotsServeTheirPidsAndLeaveOtherReadsAlone) {
  Start();
  const StreamFilter slots[] = {{0x0200, 6016, 6}, {0x0280, 188, 6}, {0x0012, 3008, 6}};
  std::vector<uint8_t> setup = StreamFilterData(slots);
  ASSERT_EQ(Exec(SetupStreamBlock(true, 18), ScsiDirection::kOut, setup), kScsiSuccess);
  for (int round = 0; round < 2; ++round) {
    for (uint8_t slot = 0; slot < 3; ++slot) {
      int status = 0;
      const auto data =
          Read(ReadSlotBlock(slot, slots[slot].threshold), slots[slot].threshold, &status);
      ASSERT_EQ(status, kScsiSuccess) << "slot " << int{slot};
      for (size_t at = 0; at < data.size(); at += 188) {
        ASSERT_EQ(data[at], 0x47);
        EXPECT_EQ(PidOf(std::span(data).subspan(at)), slots[slot].pid);
      }
    }
  }
  // A channel count and a memory read are still what they were.
  int status = 0;
  const auto count = static_cast<uint8_t>(sim::DefaultChannelTable().size() / 64);
  EXPECT_EQ(Read(GetChannelCountBlock(), 4, &status), (std::vector<uint8_t>{0, 0, 0, count}));
  EXPECT_EQ(status, kScsiSuccess);
  const auto block = Read(ReadMemoryBlock(kCurrentServiceAddress, 512), 512, &status);
  EXPECT_EQ(Word(block, 32), 0x0200);
  EXPECT_EQ(Word(block, 34), 0x0280);
  EXPECT_EQ(Word(block, 148), 0x0200);
  std::vector<uint8_t> none;
  EXPECT_EQ(Exec(StopStreamBlock(true), ScsiDirection::kNone, none), kScsiSuccess);
  Read(ReadSlotBlock(2, 188), 188, &status);
  EXPECT_NE(status, kScsiSuccess);
}

// Every packet of a read is of `pid`.
bool AllOfPid(const std::vector<uint8_t>& data, int pid) {
  for (size_t at = 0; at + 188 <= data.size(); at += 188) {
    if (data[at] != 0x47 || PidOf(std::span(data).subspan(at)) != pid) return false;
  }
  return !data.empty();
}

TEST_F(SimStreamsTest, ASecondConnectionIsBusyWhileAnotherConnectionsStreamRuns) {
  Start();
  SimTransport other(dir.File("receiver.sock"));
  other.receiverAddress = {0, 3};
  int status = 0;
  auto readOn = [&](ScsiTransport& link, const ScsiBlock& cdb, uint32_t length) {
    std::vector<uint8_t> data(length);
    status = ExecScsiCommand(link, cdb, ScsiDirection::kIn, data);
    return data;
  };
  for (const bool slotted : {false, true}) {
    SCOPED_TRACE(slotted ? "slotted" : "single PID");
    const ScsiBlock read = slotted ? ReadSlotBlock(0, 376) : ReadStreamBlock(376);
    ASSERT_TRUE(SetupPidStream(*transport, 0x0280, 376, 6, slotted));
    // The second client's set-up, stop and reads are refused; the first stream runs on.
    EXPECT_FALSE(SetupPidStream(other, 0x0200, 376, 6, slotted));
    std::vector<uint8_t> none;
    EXPECT_NE(ExecScsiCommand(other, StopStreamBlock(slotted), ScsiDirection::kNone, none),
              kScsiSuccess);
    readOn(other, read, 376);
    EXPECT_NE(status, kScsiSuccess);
    EXPECT_TRUE(AllOfPid(readOn(*transport, read, 376), 0x0280));
    EXPECT_EQ(status, kScsiSuccess);
    // Its own connection may set it up again, and stop it; then the other may have it.
    ASSERT_TRUE(SetupPidStream(*transport, 0x02A0, 376, 6, slotted));
    EXPECT_TRUE(AllOfPid(readOn(*transport, read, 376), 0x02A0));
    StopPidStream(*transport, slotted);
    ASSERT_TRUE(SetupPidStream(other, 0x0200, 376, 6, slotted));
    EXPECT_TRUE(AllOfPid(readOn(other, read, 376), 0x0200));
    EXPECT_FALSE(SetupPidStream(*transport, 0x0280, 376, 6, slotted));
    StopPidStream(other, slotted);
  }
  // A stream whose connection went away can be taken over.
  {
    SimTransport gone(dir.File("receiver.sock"));
    gone.receiverAddress = {0, 3};
    ASSERT_TRUE(SetupPidStream(gone, 0x0280, 188, 6, false));
    EXPECT_FALSE(SetupPidStream(*transport, 0x0200, 188, 6, false));
  }
  bool taken = false;
  for (int i = 0; i < 100 && !taken; ++i) {  // the receiver notices the closed connection
    taken = SetupPidStream(*transport, 0x0200, 188, 6, false);
    if (!taken) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_TRUE(taken);
  EXPECT_TRUE(AllOfPid(readOn(*transport, ReadStreamBlock(188), 188), 0x0200));
  StopPidStream(*transport, false);
  EXPECT_TRUE(sim->WaitForLog("stream set-up pid 0x0200 refused: busy with connection"));
  EXPECT_TRUE(sim->WaitForLog("slot set-up refused: busy with connection"));
}

TEST_F(SimStreamsTest, TheBusyWordIsKeptAndASlowClientLosesPacketsNotTheGenerator) {
  Start({"--rate", "200000000"});
  SetScsiBusy(*transport, true);
  int status = 0;
  EXPECT_EQ(Read(ReadMemoryBlock(0x0100FFEA, 2), 2, &status), (std::vector<uint8_t>{0, 0}));
  EXPECT_TRUE(sim->WaitForLog("busy word 0x0000"));
  SetScsiBusy(*transport, false);
  EXPECT_EQ(Read(ReadMemoryBlock(0x0100FFEA, 2), 2), (std::vector<uint8_t>{0xFF, 0xFF}));

  // Null packets at nearly 200 Mbit/s fill any ring in a moment; nobody reads them.
  ASSERT_TRUE(SetupPidStream(*transport, 0x1FFF, 188, 6, false));
  std::this_thread::sleep_for(std::chrono::milliseconds(1300));
  const auto packet = Read(ReadStreamBlock(188), 188, &status);
  EXPECT_EQ(status, kScsiSuccess);
  EXPECT_EQ(PidOf(packet), 0x1FFF);
  StopPidStream(*transport, false);
  ASSERT_TRUE(sim->WaitForLog("stream loss stream pid 0x1fff lost "));
  const std::string log = sim->Log();
  const auto at = log.find("stream loss stream pid 0x1fff lost ");
  // Tens of thousands lost: the generator kept its pace (under the sanitizers it makes fewer
  // packets a second, so the bound leaves room for a slower machine).
  EXPECT_GT(std::atol(log.c_str() + at + 35), 20000);
}

TEST_F(SimStreamsTest, TuningSwitchesTheTablesAndAnUnknownTransponderCarriesNothing) {
  Start();
  EXPECT_EQ(PatStreamId(), 0x0001);
  ASSERT_EQ(Tune("12322"
                 "61110"
                 "4"
                 "1"
                 "02"),
            kScsiSuccess);
  EXPECT_EQ(PatStreamId(), 0x0006);
  std::vector<uint8_t> buffer(4096);
  const auto nit = CaptureSection(*transport, 0x0010, 0x40, buffer);
  ASSERT_GT(nit.size(), 12u);
  EXPECT_EQ(Word(nit, 3), 0x00B2);  // the network of 13.0 E

  ASSERT_EQ(Tune("12000"
                 "27500"
                 "3"
                 "0"
                 "02"),
            kScsiSuccess);
  EXPECT_EQ(PatStreamId(), -1);
  const auto block = Read(ReadMemoryBlock(kCurrentServiceAddress, 512), 512);
  EXPECT_EQ(Word(block, 32), 0x1FFF);
  EXPECT_TRUE(sim->WaitForLog("tuned nothing (no lock)"));
  EXPECT_NE(Tune("1x000"
                 "27500"
                 "3"
                 "0"
                 "02"),
            kScsiSuccess);
}

TEST_F(SimStreamsTest, TheProbeShowsCarriedPidsWithTheirScramblingBits) {
  Start();
  ASSERT_EQ(Tune("11778"
                 "27500"
                 "3"
                 "1"
                 "02"),
            kScsiSuccess);
  std::vector<uint8_t> probe = {kReceiverCommandProbePids};
  for (int pid = 0x0220; pid < 0x0240; ++pid) {
    probe.push_back(static_cast<uint8_t>(pid >> 8));
    probe.push_back(static_cast<uint8_t>(pid));
  }
  probe.insert(probe.end(), {0xFF, 0xFF, 0x00});
  ASSERT_EQ(
      Exec(ReceiverCommandBlock(static_cast<uint32_t>(probe.size())), ScsiDirection::kOut, probe),
      kScsiSuccess);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  const auto clear = Read(ReadMemoryBlock(kPidProbeAddress, kPidProbeSize), kPidProbeSize);
  std::vector<int> found;
  for (int k = 0; k < 32; ++k) {
    if (clear[k * 256] == 0x47) found.push_back(PidOf(std::span(clear).subspan(k * 256)));
  }
  EXPECT_EQ(found, (std::vector<int>{0x0220, 0x0221}));
  EXPECT_EQ(clear[3] >> 6, 0);

  probe[1] = 0x02;
  probe[2] = 0x40;  // the scrambled service's video first
  // Its PCR packets carry no payload and so stay clear: probe until a payload packet is caught.
  std::vector<uint8_t> scrambled;
  for (int attempt = 0; attempt < 20; ++attempt) {
    ASSERT_EQ(
        Exec(ReceiverCommandBlock(static_cast<uint32_t>(probe.size())), ScsiDirection::kOut, probe),
        kScsiSuccess);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    scrambled = Read(ReadMemoryBlock(kPidProbeAddress, 256), 256);
    ASSERT_EQ(scrambled[0], 0x47);
    EXPECT_EQ(PidOf(scrambled), 0x0240);
    if ((scrambled[3] & 0x10) != 0) break;
    EXPECT_EQ(scrambled[3] >> 6, 0) << "an adaptation-only packet is never scrambled";
  }
  ASSERT_NE(scrambled[3] & 0x10, 0) << "no payload packet was caught";
  EXPECT_EQ(scrambled[3] >> 6, 2);
}

TEST_F(SimStreamsTest, TheWrittenMultiplexPlaysWithVideoAndAudio) {
  if (std::system("ffprobe -version > /dev/null 2>&1") != 0) GTEST_SKIP() << "no ffprobe";
  const std::string file = dir.File("mux.ts");
  const std::string simulator = ScsiSimProcess::SimulatorPath();
  ASSERT_EQ(std::system((simulator + " --write-ts " + file + " --seconds 3").c_str()), 0);
  const std::string streams = dir.File("streams.txt");
  ASSERT_EQ(std::system(("ffprobe -v error -show_entries stream=index,codec_name -of csv=p=0 " +
                         file + " > " + streams)
                            .c_str()),
            0);
  std::ifstream in(streams);
  // Each stream is listed under its programme and again on its own: "index,codec[,]".
  std::set<std::string> rows;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty()) rows.insert(line.substr(0, line.find(',', line.find(',') + 1)));
  }
  std::multiset<std::string> codecs;
  for (const std::string& row : rows) codecs.insert(row.substr(row.find(',') + 1));
  EXPECT_EQ(codecs.count("mpeg2video"), 3u);
  EXPECT_EQ(codecs.count("mp2"), 3u);
  EXPECT_EQ(codecs.count("ac3"), 1u);
  // Decoding every stream reports no error at all.
  const std::string errors = dir.File("errors.txt");
  ASSERT_EQ(
      std::system(
          ("ffmpeg -v error -i " + file + " -map 0:v -map 0:a -f null - 2> " + errors).c_str()),
      0);
  EXPECT_EQ(std::filesystem::file_size(errors), 0u);

  // The tones, measured by their rising crossings (with a margin against coding noise): 440 Hz
  // on service 101's MP2 track and 1000 Hz on its AC-3 track.
  for (const auto& [pid, hertz] : {std::pair{"0x280", 440}, std::pair{"0x281", 1000}}) {
    const std::string pcm = dir.File("tone.raw");
    ASSERT_EQ(
        std::system(("ffmpeg -v error -y -i " + file + " -map 0:#" + pid + " -ac 1 -f s16le " + pcm)
                        .c_str()),
        0);
    const std::vector<uint8_t> bytes = testing::ReadBytes(pcm);
    ASSERT_GT(bytes.size(), 48000u);
    int crossings = 0;
    bool low = false;
    for (size_t at = 0; at + 1 < bytes.size(); at += 2) {
      const auto sample = static_cast<int16_t>(bytes[at] | bytes[at + 1] << 8);
      if (sample < -500) {
        low = true;
      } else if (sample > 500 && low) {
        ++crossings;
        low = false;
      }
    }
    const double seconds = static_cast<double>(bytes.size()) / 2 / 48000;
    EXPECT_NEAR(crossings / seconds, hertz, hertz * 0.02) << "pid " << pid;
  }
}

}  // namespace
}  // namespace pelorus
