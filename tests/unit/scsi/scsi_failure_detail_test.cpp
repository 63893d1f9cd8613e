// When the console finds no receiver on SCSI it says so as the editor does, and then what
// failed: the socket and the system's reason, or an answer that broke the exchange.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <thread>

#include "support/cli_run.h"
#include "support/temp_dir.h"

namespace pelorus {
namespace {

using testing::RunCommandLine;

constexpr char kNoScsi[] = "Function unavailable without SCSI interface\n";

int Listen(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(fd, 4) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// A receiver that takes one connection and answers it with `reply` (nothing: it hangs up).
class ReplyOnceServer {
 public:
  ReplyOnceServer(const std::string& path, std::vector<uint8_t> reply)
      : listener_(Listen(path)), thread_([this, reply] {
          const int client = ::accept(listener_, nullptr, nullptr);
          if (client < 0) return;
          uint8_t request[64];
          [[maybe_unused]] const ssize_t got = ::recv(client, request, sizeof request, 0);
          if (!reply.empty()) {
            [[maybe_unused]] const ssize_t sent = ::send(client, reply.data(), reply.size(), 0);
          }
          ::close(client);
        }) {}
  ~ReplyOnceServer() {
    ::shutdown(listener_, SHUT_RDWR);
    thread_.join();
    ::close(listener_);
  }
  bool Listening() const { return listener_ >= 0; }

 private:
  int listener_;
  std::thread thread_;
};

std::string Scan(const std::string& socket) {
  const testing::CliRun run = RunCommandLine({"scsi", "scan", "--scsi", "sim:" + socket});
  EXPECT_EQ(run.status, 1);
  return run.err;
}

TEST(ScsiFailureDetail, EachWayOfFailingSaysWhatFailed) {
  testing::TempDir dir;
  const std::string missing = dir.File("missing.sock");
  EXPECT_EQ(Scan(missing), kNoScsi + missing + ": No such file or directory\n");

  const std::string plain = dir.File("plain.sock");
  testing::WriteBytes(plain, {1, 2, 3});
  EXPECT_EQ(Scan(plain), kNoScsi + plain + ": Connection refused\n");

  // A socket whose server is gone.
  const std::string stale = dir.File("stale.sock");
  ::close(Listen(stale));
  EXPECT_EQ(Scan(stale), kNoScsi + stale + ": Connection refused\n");

  const std::string closing = dir.File("closing.sock");
  {
    ReplyOnceServer server(closing, {});
    ASSERT_TRUE(server.Listening());
    EXPECT_EQ(Scan(closing), kNoScsi + closing + ": the receiver closed the connection\n");
  }

  // A header announcing more data than was asked for.
  const std::string garbage = dir.File("garbage.sock");
  {
    ReplyOnceServer server(garbage, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
    ASSERT_TRUE(server.Listening());
    EXPECT_EQ(Scan(garbage), std::string(kNoScsi) + "the receiver's answer was malformed\n");
  }

  const testing::CliRun unknown = RunCommandLine({"scsi", "scan", "--scsi", "tape:0"});
  EXPECT_EQ(unknown.status, 1);
  EXPECT_EQ(unknown.err,
            kNoScsi + std::string("\"tape:0\" names no SCSI transport (sim:PATH is the stand-in "
                                  "receiver)\n"));
}

}  // namespace
}  // namespace pelorus
