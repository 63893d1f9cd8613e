#include "scsi/sim_transport.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "scripted_transport.h"
#include "scsi/receiver_commands.h"
#include "support/temp_dir.h"

namespace pelorus {
namespace {

using testing::BlockHex;

TEST(SimTransportCodecTest, RequestsCarryDataOnlyWhenGoingOut) {
  const std::vector<uint8_t> data = {0xAA, 0xBB};
  EXPECT_EQ(BlockHex(EncodeSimRequest({0, 3}, GetChannelCountBlock(), ScsiDirection::kIn,
                                      std::vector<uint8_t>(4))),
            "00030a"
            "3c010000000000000400"
            "01"
            "00000004");
  EXPECT_EQ(
      BlockHex(EncodeSimRequest({1, 5}, WriteMemoryBlock(0xD0000, 2), ScsiDirection::kOut, data)),
      "01050a"
      "3b04000d000000000200"
      "02"
      "00000002"
      "aabb");
  EXPECT_EQ(BlockHex(EncodeSimRequest({0, 3}, StartFirmwareBlock(), ScsiDirection::kNone, data)),
            "000306"
            "010100000000"
            "00"
            "00000000");
  EXPECT_EQ(BlockHex(EncodeSimRequest({}, {}, ScsiDirection::kIn, std::vector<uint8_t>(256))),
            "000000"
            "01"
            "00000100");
}

TEST(SimTransportCodecTest, ResponseHeaderAndBusAnswer) {
  const std::vector<uint8_t> header = {0x01, 0x00, 0x01, 0x00, 0x00};
  ASSERT_TRUE(ParseSimResponseHeader(header));
  EXPECT_EQ(ParseSimResponseHeader(header)->status, 1);
  EXPECT_EQ(ParseSimResponseHeader(header)->length, 65536u);
  EXPECT_FALSE(ParseSimResponseHeader(std::span(header).first(4)));

  const std::vector<uint8_t> bus = {2, 7, 6};
  const auto adapters = ParseBusAnswer(bus);
  ASSERT_TRUE(adapters);
  ASSERT_EQ(adapters->size(), 2u);
  EXPECT_EQ((*adapters)[1].number, 1);
  EXPECT_EQ((*adapters)[1].ownId, 6);
  const std::vector<uint8_t> shortBus = {3, 7, 6};
  EXPECT_FALSE(ParseBusAnswer(shortBus));
  EXPECT_FALSE(ParseBusAnswer({}));
}

// A socket that accepts one connection and then runs `serve` on it, for the transport's own
// failure handling (the simulator's faults are tested against the real process).
class OneShotServer {
 public:
  template <typename Serve>
  OneShotServer(const std::string& path, Serve serve) {
    listener_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    EXPECT_EQ(::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    EXPECT_EQ(::listen(listener_, 1), 0);
    thread_ = std::thread([this, serve] {
      const int fd = ::accept(listener_, nullptr, nullptr);
      if (fd >= 0) {
        serve(fd);
        ::close(fd);
      }
    });
  }
  ~OneShotServer() {
    thread_.join();
    ::close(listener_);
  }

 private:
  int listener_ = -1;
  std::thread thread_;
};

void Drain(int fd, size_t count) {
  std::vector<uint8_t> sink(count);
  size_t done = 0;
  while (done < count) {
    const ssize_t got = ::recv(fd, sink.data() + done, count - done, 0);
    if (got <= 0) return;
    done += static_cast<size_t>(got);
  }
}

TEST(SimTransportTest, SilenceEndsInAFailedStatusAfterTheTimeOut) {
  testing::TempDir dir;
  const std::string path = dir.File("s");
  OneShotServer server(path, [](int fd) {
    char byte;
    // Read the request, answer nothing, and wait until the client gives up.
    while (::recv(fd, &byte, 1, 0) > 0) {
    }
  });
  SimTransport transport(path);
  transport.SetTimeout(std::chrono::milliseconds(200));
  std::vector<uint8_t> answer(4);
  const auto start = std::chrono::steady_clock::now();
  LinkFailure failure;
  EXPECT_EQ(ExecScsiCommand(transport, GetChannelCountBlock(), ScsiDirection::kIn, answer, nullptr,
                            &failure),
            kScsiError);
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(waited, std::chrono::milliseconds(190));
  EXPECT_LT(waited, std::chrono::seconds(3));
  // A receiver that stopped answering ends a long run as surely as a closed socket.
  EXPECT_EQ(failure.problem, LinkProblem::kSilent);
  EXPECT_TRUE(EndsTheRun(failure.problem));
  EXPECT_EQ(failure.reason, path + ": the receiver did not answer within the time-out");
}

TEST(SimTransportTest, ARefusalKeepsTheLinkAndAClosedSocketLosesIt) {
  testing::TempDir dir;
  const std::string path = dir.File("s");
  OneShotServer server(path, [](int fd) {
    Drain(fd, 3 + 10 + 5);
    const uint8_t refused[] = {4, 0, 0, 0, 0};
    ::send(fd, refused, sizeof refused, MSG_NOSIGNAL);
    Drain(fd, 3 + 10 + 5);
    // ... and then the receiver goes away in the middle of the next exchange.
  });
  SimTransport transport(path);
  std::vector<uint8_t> answer(4);
  LinkFailure failure;
  EXPECT_EQ(ExecScsiCommand(transport, GetChannelCountBlock(), ScsiDirection::kIn, answer, nullptr,
                            &failure),
            kScsiError);
  EXPECT_EQ(failure.problem, LinkProblem::kRefused);
  EXPECT_FALSE(EndsTheRun(failure.problem));
  EXPECT_EQ(ExecScsiCommand(transport, GetChannelCountBlock(), ScsiDirection::kIn, answer, nullptr,
                            &failure),
            kScsiError);
  EXPECT_EQ(failure.problem, LinkProblem::kLost);
  EXPECT_EQ(failure.reason, path + ": the receiver closed the connection");
  EXPECT_EQ(transport.LastProblem(), LinkProblem::kLost);
}

TEST(SimTransportTest, AnswerLongerThanAskedIsAFailure) {
  testing::TempDir dir;
  const std::string path = dir.File("s");
  OneShotServer server(path, [](int fd) {
    Drain(fd, 3 + 10 + 5);
    const uint8_t reply[] = {1, 0, 0, 0, 8, 1, 2, 3, 4, 5, 6, 7, 8};
    ::send(fd, reply, sizeof reply, MSG_NOSIGNAL);
  });
  SimTransport transport(path);
  std::vector<uint8_t> answer(4);
  EXPECT_EQ(ExecScsiCommand(transport, GetChannelCountBlock(), ScsiDirection::kIn, answer),
            kScsiError);
  EXPECT_EQ(answer, std::vector<uint8_t>(4, 0));
}

TEST(SimTransportTest, ShortAnswerKeepsItsStatusButIsNotAFullTransfer) {
  testing::TempDir dir;
  const std::string path = dir.File("s");
  OneShotServer server(path, [](int fd) {
    Drain(fd, 3 + 10 + 5);
    const uint8_t reply[] = {1, 0, 0, 0, 2, 0xAB, 0xCD};
    ::send(fd, reply, sizeof reply, MSG_NOSIGNAL);
    Drain(fd, 3 + 10 + 5);
    ::send(fd, reply, sizeof reply, MSG_NOSIGNAL);
  });
  SimTransport transport(path);
  std::vector<uint8_t> answer(4, 0xEE);
  size_t received = 99;
  EXPECT_EQ(
      ExecScsiCommand(transport, GetChannelCountBlock(), ScsiDirection::kIn, answer, &received),
      kScsiSuccess);
  EXPECT_EQ(received, 2u);
  EXPECT_EQ(BlockHex(answer), "abcd0000");
  EXPECT_FALSE(ExecScsiCommandFully(transport, GetChannelCountBlock(), ScsiDirection::kIn, answer));
}

TEST(SimTransportTest, NoServerIsAFailedStatusNotAHang) {
  testing::TempDir dir;
  SimTransport transport(dir.File("nobody"));
  std::vector<ScsiAdapter> adapters;
  EXPECT_FALSE(transport.QueryBus(adapters));
  LinkFailure failure;
  EXPECT_EQ(
      ExecScsiCommand(transport, StartFirmwareBlock(), ScsiDirection::kNone, {}, nullptr, &failure),
      kScsiError);
  EXPECT_EQ(failure.problem, LinkProblem::kLost);
  EXPECT_EQ(failure.reason, dir.File("nobody") + ": No such file or directory");
}

}  // namespace
}  // namespace pelorus
