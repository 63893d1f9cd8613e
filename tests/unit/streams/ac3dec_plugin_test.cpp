// The decoder plugin on a real AC-3 stream that ffmpeg makes from a known tone.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "streams/ac3_decoder.h"
#include "support/temp_dir.h"
#include "unit/streams/wav_tone.h"

namespace pelorus {
namespace {

using namespace std::chrono_literals;
using testing::TempDir;

const std::string kPlugin = std::string(PELORUS_BINARY_DIR) + "/src/ac3dec/AC3DEC.so";

// Two seconds of a 1 kHz tone (stereo, 48 kHz, 192 kbit/s) as a raw AC-3 stream.
bool MakeTone(const std::string& path, int frequency) {
  const std::string command =
      "ffmpeg -v error -y -f lavfi -i sine=frequency=" + std::to_string(frequency) +
      ":sample_rate=48000:duration=2 -ac 2 -c:a ac3 -b:a 192k -f ac3 '" + path + "' </dev/null";
  return std::system(command.c_str()) == 0;
}

class Ac3Plugin : public ::testing::Test {
 protected:
  // The tone is made once for the suite: ffmpeg is slow to start on a busy machine.
  static void SetUpTestSuite() {
    toneDir = new TempDir;
    if (!MakeTone(toneDir->File("tone.ac3"), 1000))
      tone.clear();
    else
      tone = testing::ReadBytes(toneDir->File("tone.ac3"));
  }
  static void TearDownTestSuite() {
    delete toneDir;
    toneDir = nullptr;
  }
  void SetUp() override {
    if (tone.empty()) GTEST_SKIP() << "ffmpeg could not make the AC-3 tone";
    decoder = LoadAc3Plugin(kPlugin);
    ASSERT_NE(decoder, nullptr) << kPlugin;
    ::setenv("PELORUS_AC3_WAV", dir.File("out.wav").c_str(), 1);
  }
  void TearDown() override { ::unsetenv("PELORUS_AC3_WAV"); }

  // Plays `bytes` through a pipe as the playback does; closes the write end when `close`.
  void Play(const std::vector<uint8_t>& bytes, bool close) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    std::thread player([&] { decoder->Start(fds[0]); });
    size_t at = 0;
    while (at < bytes.size()) {
      const ssize_t written =
          ::write(fds[1], bytes.data() + at, std::min<size_t>(1024, bytes.size() - at));
      ASSERT_GT(written, 0);
      at += static_cast<size_t>(written);
    }
    if (close) {
      // The playback closes the write end first; the decoder then plays what is left and ends.
      ::close(fds[1]);
      player.join();
      decoder->Stop();
    } else {
      // Stop only once the decoder is running and has taken everything, as a stop mid-play does.
      int pending = 1;
      while (::ioctl(fds[0], FIONREAD, &pending) == 0 && pending > 0) {
        std::this_thread::sleep_for(1ms);
      }
      decoder->Stop();
      player.join();
    }
    if (!close) ::close(fds[1]);
    ::close(fds[0]);
  }

  static inline TempDir* toneDir = nullptr;
  static inline std::vector<uint8_t> tone;
  TempDir dir;
  std::unique_ptr<Ac3Decoder> decoder;
};

TEST_F(Ac3Plugin, DecodesTheToneIntoAWavFile) {
  std::vector<uint8_t> stream = tone;
  ASSERT_GT(stream.size(), 40000u);
  // Bytes before the first sync word, as a stream picked up mid-frame starts.
  stream.insert(stream.begin(), {0x12, 0x0B, 0x34, 0x56, 0x00, 0x77});
  Play(stream, true);
  const auto wav = testing::ReadWav(dir.File("out.wav"));
  ASSERT_TRUE(wav.has_value());
  EXPECT_EQ(wav->sampleRate, 48000);
  EXPECT_EQ(wav->channels, 2);
  const double seconds = static_cast<double>(wav->samples.size()) / 2 / 48000;
  EXPECT_NEAR(seconds, 2.0, 0.1);
  EXPECT_NEAR(testing::ToneFrequency(*wav), 1000.0, 5.0);
}

TEST_F(Ac3Plugin, StopEndsPlaybackWhileThePipeStaysOpen) {
  std::vector<uint8_t> stream = tone;
  stream.resize(20000);
  const auto start = std::chrono::steady_clock::now();
  Play(stream, false);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
  // What was decoded before the stop is a valid file.
  EXPECT_TRUE(testing::ReadWav(dir.File("out.wav")).has_value());
}

TEST(Ac3PluginLoad, MissingLibraryOrEntryPointsGiveNoDecoder) {
  EXPECT_EQ(LoadAc3Plugin("/nonexistent/AC3DEC.so"), nullptr);
  // A real shared library without the two entry points.
  EXPECT_EQ(LoadAc3Plugin("libm.so.6"), nullptr);
  ::setenv("PELORUS_AC3DEC", kPlugin.c_str(), 1);
  EXPECT_EQ(FindAc3Plugin(), kPlugin);
  ::unsetenv("PELORUS_AC3DEC");
}

}  // namespace
}  // namespace pelorus
