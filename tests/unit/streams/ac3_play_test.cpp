#include "streams/ac3_play.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "streams/ac3_track_probe.h"
#include "support/cli_run.h"
#include "support/fake_ui.h"
#include "support/temp_dir.h"
#include "unit/scsi/scripted_transport.h"

namespace pelorus {
namespace {

using namespace std::chrono_literals;
using testing::BlockHex;
using testing::FakeUi;
using testing::ScriptedTransport;

// A decoder that keeps what it reads from the pipe, or one that never reads at all.
struct FakeDecoder {
  bool reads = true;
  std::atomic<int> starts{0};
  std::atomic<int> stops{0};
  std::mutex mutex;
  std::vector<uint8_t> received;

  size_t Received() {
    std::lock_guard lock(mutex);
    return received.size();
  }
};

class ForwardingDecoder : public Ac3Decoder {
 public:
  explicit ForwardingDecoder(FakeDecoder& fake) : fake_(fake) {}
  uint32_t Start(int readFd) override {
    ++fake_.starts;
    if (!fake_.reads) {
      while (fake_.stops == 0) std::this_thread::sleep_for(1ms);
      return 0;
    }
    uint8_t buffer[700];
    ssize_t got;
    while ((got = ::read(readFd, buffer, sizeof buffer)) > 0) {
      std::lock_guard lock(fake_.mutex);
      fake_.received.insert(fake_.received.end(), buffer, buffer + got);
    }
    return 0;
  }
  void Stop() override { ++fake_.stops; }

 private:
  FakeDecoder& fake_;
};

// A receiver whose current service names `audioPid` and whose stream counts up byte by byte.
struct Ac3Receiver {
  uint16_t audioPid = 0x0123;
  bool setupFails = false;
  bool readsFail = false;
  size_t answerLength = 1024;
  uint8_t next = 0;
  std::vector<uint8_t> served;
  std::atomic<size_t> servedCount{0};

  std::shared_ptr<ScriptedTransport> Transport() {
    auto transport = std::make_shared<ScriptedTransport>();
    transport->handler = [this](const ScriptedTransport::Command& command, std::span<uint8_t> in) {
      const auto& cdb = command.cdb;
      if (cdb[0] == 0x3C && cdb[1] == 0x00) {
        in[34] = static_cast<uint8_t>(audioPid >> 8);
        in[35] = static_cast<uint8_t>(audioPid);
        return ScriptedTransport::Reply{kScsiSuccess, in.size()};
      }
      if (cdb[0] == 0x3D && command.direction == ScsiDirection::kOut) {
        return ScriptedTransport::Reply{setupFails ? kScsiError : kScsiSuccess, 0};
      }
      if (cdb[0] == 0x3C && cdb[1] == 0x06) {
        if (readsFail) return ScriptedTransport::Reply{kScsiError, 0};
        for (size_t i = 0; i < answerLength; ++i) {
          in[i] = next++;
          served.push_back(in[i]);
        }
        servedCount += answerLength;
        return ScriptedTransport::Reply{kScsiSuccess, answerLength};
      }
      return ScriptedTransport::Reply{kScsiSuccess, 0};
    };
    return transport;
  }
};

struct Session {
  std::atomic<int> finishedCount{0};
  std::vector<Ac3Display> displays;
  std::mutex mutex;
  std::chrono::steady_clock::time_point stopAsked;
  std::chrono::steady_clock::time_point finishedAt;
};

// Runs the playback until `until` holds (or two seconds pass), then stops it as the dialog does.
auto Dialog(Session& session, const std::function<bool()>& until) {
  return [&session, until](Ac3Playback& playback) {
    playback.Start({[&session](const Ac3Display& display) {
                      std::lock_guard lock(session.mutex);
                      session.displays.push_back(display);
                    },
                    [&session] {
                      session.finishedAt = std::chrono::steady_clock::now();
                      ++session.finishedCount;
                    }});
    const auto deadline = std::chrono::steady_clock::now() + 2s;
    while (!until() && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(1ms);
    session.stopAsked = std::chrono::steady_clock::now();
    playback.RequestStop();
    playback.Join();
  };
}

Ac3DecoderLoader LoaderFor(FakeDecoder& fake, int* loads = nullptr) {
  return [&fake, loads]() -> std::unique_ptr<Ac3Decoder> {
    if (loads != nullptr) ++*loads;
    return std::make_unique<ForwardingDecoder>(fake);
  };
}

std::vector<std::string> Blocks(const ScriptedTransport& transport) {
  std::vector<std::string> blocks;
  for (const auto& command : transport.commands) blocks.push_back(BlockHex(command.cdb));
  return blocks;
}

TEST(Ac3Play, SizeTextSteps) {
  EXPECT_EQ(Ac3SizeText(0), "0");
  EXPECT_EQ(Ac3SizeText(1024), "1024");
  EXPECT_EQ(Ac3SizeText(1025), "1 KB");
  EXPECT_EQ(Ac3SizeText(1048576), "1024 KB");
  EXPECT_EQ(Ac3SizeText(1048577), "1.00 MB");
}

TEST(Ac3Play, RefusalsSendNothingTheyNeedNot) {
  FakeDecoder fake;
  int loads = 0;
  FakeUi ui;
  bool dialogRan = false;
  auto dialog = [&](Ac3Playback&) { dialogRan = true; };

  EditorState noScsi;
  EXPECT_FALSE(PlayAc3(noScsi, ui, LoaderFor(fake, &loads), dialog));
  EXPECT_EQ(ui.calls.back(), "message stop: Function unavailable without SCSI interface");
  EXPECT_EQ(loads, 0);
  EXPECT_EQ(noScsi.options.streamThreshold, 32768u);

  // No decoder: the options are set, but nothing is sent.
  Ac3Receiver receiver;
  auto transport = receiver.Transport();
  EditorState state;
  state.aspiModule = transport;
  EXPECT_FALSE(PlayAc3(
      state, ui, [] { return std::unique_ptr<Ac3Decoder>(); }, dialog));
  EXPECT_EQ(ui.calls.back(), "message stop: Unable to load AC3 decoder");
  EXPECT_TRUE(transport->commands.empty());
  EXPECT_EQ(state.options.streamThreshold, 1024u);
  EXPECT_EQ(state.options.streamMode, 2u);

  // A PID beyond 13 bits: only the current service was read.
  receiver.audioPid = 0x2000;
  EXPECT_FALSE(PlayAc3(state, ui, LoaderFor(fake, &loads), dialog));
  EXPECT_EQ(ui.calls.back(),
            "message stop: The current service's audio PID 0x2000 is not a valid PID (at most "
            "0x1fff)");
  EXPECT_EQ(Blocks(*transport), std::vector<std::string>{"3c000100030000020000"});

  // The stream cannot be set up.
  transport->commands.clear();
  receiver.audioPid = 0x1FFF;
  receiver.setupFails = true;
  EXPECT_FALSE(PlayAc3(state, ui, LoaderFor(fake, &loads), dialog));
  EXPECT_EQ(ui.calls.back(), "message stop: Setup PID stream command failed");
  ASSERT_EQ(transport->commands.size(), 2u);
  EXPECT_EQ(BlockHex(transport->commands[1].cdb), "3d000000000000000600");
  EXPECT_EQ(BlockHex(transport->commands[1].data), "1fff04000002");
  EXPECT_FALSE(dialogRan);
  EXPECT_EQ(fake.starts, 0);
}

TEST(Ac3Play, FeedsTheDecoderInOrderAndStopsEverything) {
  Ac3Receiver receiver;
  receiver.answerLength = 1000;  // short answers: only what came reaches the decoder
  auto transport = receiver.Transport();
  EditorState state;
  state.aspiModule = transport;
  FakeDecoder fake;
  FakeUi ui;
  Session session;
  ASSERT_TRUE(PlayAc3(state, ui, LoaderFor(fake),
                      Dialog(session, [&] { return fake.Received() >= 20000; }), 150ms));

  EXPECT_EQ(state.options.streamPid, 0x0123u);
  EXPECT_EQ(state.options.streamThreshold, 1024u);
  EXPECT_EQ(fake.starts, 1);
  EXPECT_EQ(fake.stops, 1);
  EXPECT_EQ(session.finishedCount, 1);
  // Every byte the receiver gave arrived, in order, and nothing else.
  EXPECT_EQ(fake.received, receiver.served);

  const auto blocks = Blocks(*transport);
  ASSERT_GE(blocks.size(), 4u);
  EXPECT_EQ(blocks[0], "3c000100030000020000");
  EXPECT_EQ(blocks[1], "3d000000000000000600");
  EXPECT_EQ(BlockHex(transport->commands[1].data), "012304000002");
  EXPECT_EQ(blocks[2], "3c060000000000040000");
  EXPECT_EQ(blocks.back(), "3d000000000000000000");

  // The close waits for the delay after the stop.
  EXPECT_GE(session.finishedAt - session.stopAsked, 150ms);
  std::lock_guard lock(session.mutex);
  ASSERT_FALSE(session.displays.empty());
  EXPECT_EQ(session.displays.front().polls, "0");
  for (size_t i = 0; i < session.displays.size(); ++i) {
    EXPECT_EQ(session.displays[i].polls, std::to_string(i));
  }
}

TEST(Ac3Play, AStreamWithoutAc3FramesIsSaidToHoldNoAc3Track) {
  // The counting stream has no AC-3 sync frame, as an MPEG audio service has none.
  Ac3Receiver receiver;
  auto transport = receiver.Transport();
  EditorState state;
  state.aspiModule = transport;
  FakeDecoder fake;
  FakeUi ui;
  Session session;
  ASSERT_TRUE(PlayAc3(
      state, ui, LoaderFor(fake),
      Dialog(session, [&] { return receiver.servedCount >= kAc3ProbeWindow + 2048; }), 0ms));
  std::lock_guard lock(session.mutex);
  ASSERT_FALSE(session.displays.empty());
  // Undecided at first, then said once a window of bytes came, and the playing goes on.
  EXPECT_FALSE(session.displays.front().noAc3Track);
  EXPECT_TRUE(session.displays.back().noAc3Track);
  EXPECT_EQ(fake.starts, 1);
}

TEST(Ac3Play, StopBeforeAnyReadStillStopsDecoderAndStream) {
  Ac3Receiver receiver;
  receiver.readsFail = true;
  auto transport = receiver.Transport();
  EditorState state;
  state.aspiModule = transport;
  FakeDecoder fake;
  FakeUi ui;
  Session session;
  ASSERT_TRUE(PlayAc3(state, ui, LoaderFor(fake),
                      Dialog(session,
                             [&] {
                               std::lock_guard lock(session.mutex);
                               return session.displays.size() >= 3;
                             }),
                      0ms));
  EXPECT_EQ(fake.starts, 0);
  EXPECT_EQ(fake.stops, 1);
  EXPECT_EQ(session.finishedCount, 1);
  EXPECT_EQ(Blocks(*transport).back(), "3d000000000000000000");
  std::lock_guard lock(session.mutex);
  EXPECT_EQ(session.displays.front().bytesRead, "0");
}

TEST(Ac3Play, DecoderThatStopsReadingCannotHoldTheStopOff) {
  Ac3Receiver receiver;
  auto transport = receiver.Transport();
  EditorState state;
  state.aspiModule = transport;
  FakeDecoder fake;
  fake.reads = false;
  FakeUi ui;
  Session session;
  // The stop comes once the pipe is full and the feeding side waits on it.
  ASSERT_TRUE(PlayAc3(state, ui, LoaderFor(fake),
                      Dialog(session, [&] { return receiver.servedCount >= size_t{kAc3PipeSize}; }),
                      0ms));
  EXPECT_LT(session.finishedAt - session.stopAsked, 1s);
  EXPECT_EQ(fake.stops, 1);
  EXPECT_EQ(Blocks(*transport).back(), "3d000000000000000000");
}

TEST(Ac3Play, UnstartedPlaybackStillStopsTheStream) {
  Ac3Receiver receiver;
  auto transport = receiver.Transport();
  EditorState state;
  state.aspiModule = transport;
  FakeDecoder fake;
  FakeUi ui;
  ASSERT_TRUE(PlayAc3(state, ui, LoaderFor(fake), [](Ac3Playback&) {}));
  EXPECT_EQ(Blocks(*transport).back(), "3d000000000000000000");
}

TEST(Ac3Play, ConsoleChecksItsWordsAndRefusesWithoutScsi) {
  EXPECT_EQ(testing::RunCommandLine({"scsi", "play-ac3"}).status, 2);
  EXPECT_EQ(testing::RunCommandLine({"scsi", "play-ac3", "--seconds", "x"}).status, 2);
  EXPECT_EQ(testing::RunCommandLine({"scsi", "play-ac3", "--seconds", "-1"}).status, 2);
  testing::TempDir dir;
  const auto run = testing::RunCommandLine(
      {"scsi", "play-ac3", "--seconds", "1", "--scsi", "sim:" + dir.File("nobody.sock")});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("Function unavailable without SCSI interface"), std::string::npos);
}

}  // namespace
}  // namespace pelorus
