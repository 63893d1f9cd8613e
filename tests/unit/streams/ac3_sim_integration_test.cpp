// AC-3 playback end to end: the console plays the stand-in receiver's AC-3 soundtrack through
// the decoder plugin into a WAV file, and the tone in it is the one the receiver broadcasts.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "sim/multiplex_layout.h"
#include "support/cli_run.h"
#include "support/sim_process.h"
#include "support/temp_dir.h"
#include "unit/streams/wav_tone.h"

namespace pelorus {
namespace {

using testing::TempDir;

TEST(Ac3Simulator, PlaysTheAc3SoundtrackIntoAWavFile) {
  TempDir dir;
  testing::SimProcess sim(dir, {"--audio", "ac3"}, testing::SimSide::kScsi);
  ASSERT_TRUE(sim.Running());
  const std::string wav = dir.File("played.wav");
  ::setenv("PELORUS_AC3_WAV", wav.c_str(), 1);
  ::setenv("PELORUS_AC3DEC", PELORUS_BINARY_DIR "/src/ac3dec/AC3DEC.so", 1);
  const auto run =
      testing::RunCommandLine({"scsi", "play-ac3", "--seconds", "3", "--scsi", sim.Link()});
  ::unsetenv("PELORUS_AC3_WAV");
  ::unsetenv("PELORUS_AC3DEC");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("Leggi Bytes:"), std::string::npos) << run.err;

  const auto played = testing::ReadWav(wav);
  ASSERT_TRUE(played.has_value());
  const double seconds =
      static_cast<double>(played->samples.size()) / played->channels / played->sampleRate;
  EXPECT_GT(seconds, 1.0);
  EXPECT_NEAR(testing::ToneFrequency(*played), sim::kAc3ToneHz, sim::kAc3ToneHz * 0.01);
  // The receiver was asked for the AC-3 PID and its stream was stopped at the end.
  EXPECT_TRUE(sim.WaitForLog("stream set up pid 0x0281 threshold 1024 mode 2")) << sim.Log();
  EXPECT_TRUE(sim.WaitForLog("stream stopped")) << sim.Log();
}

TEST(Ac3Simulator, WithoutDecoderNothingIsSetUp) {
  TempDir dir;
  testing::SimProcess sim(dir, {}, testing::SimSide::kScsi);
  ASSERT_TRUE(sim.Running());
  ::setenv("PELORUS_AC3DEC", dir.File("missing.so").c_str(), 1);
  const auto run =
      testing::RunCommandLine({"scsi", "play-ac3", "--seconds", "1", "--scsi", sim.Link()});
  ::unsetenv("PELORUS_AC3DEC");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("Unable to load AC3 decoder"), std::string::npos) << run.err;
  EXPECT_EQ(sim.Log().find("stream set up"), std::string::npos) << sim.Log();
}

}  // namespace
}  // namespace pelorus
