#include "scsi_side.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>

#include "receiver/scsi_opcodes.h"
#include "scsi_commands.h"
#include "scsi_faults.h"
#include "scsi_memory.h"

namespace sim {
namespace {

constexpr int kPollMs = 100;
// No command of the set carries or asks for more than one piece; a request announcing more is
// not one, and the connection is closed rather than the memory spent.
constexpr uint32_t kMaxRequestData = pelorus::kScsiMaxPiece;
// The most connections served at once; more are closed as they come. A client keeps one.
constexpr size_t kMaxConnections = 32;
// Once a request has begun, the rest of it must come within this time.
constexpr auto kRequestTime = std::chrono::seconds(10);

using Clock = std::chrono::steady_clock;

// Waits until the socket has something, checking now and then whether to stop; false at the
// deadline, if one is given.
bool WaitReadable(int fd, std::stop_token stop, std::optional<Clock::time_point> deadline = {}) {
  while (!stop.stop_requested()) {
    if (deadline && Clock::now() >= *deadline) return false;
    pollfd entry{fd, POLLIN, 0};
    const int ready = ::poll(&entry, 1, kPollMs);
    if (ready > 0) return true;
    if (ready < 0 && errno != EINTR) return false;
  }
  return false;
}

bool ReadExactly(int fd, uint8_t* out, size_t count, std::stop_token stop,
                 std::optional<Clock::time_point> deadline = {}) {
  while (count > 0) {
    if (!WaitReadable(fd, stop, deadline)) return false;
    const ssize_t got = ::recv(fd, out, count, 0);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    out += got;
    count -= static_cast<size_t>(got);
  }
  return true;
}

bool WriteExactly(int fd, const std::vector<uint8_t>& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t sent = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR) continue;
    if (sent <= 0) return false;
    done += static_cast<size_t>(sent);
  }
  return true;
}

enum class ReadResult { kRequest, kClosed, kRefused };

ReadResult ReadRequest(int fd, ScsiRequest& request, std::stop_token stop) {
  uint8_t first = 0;
  // A client may stay quiet between requests as long as it likes.
  if (!ReadExactly(fd, &first, 1, stop)) return ReadResult::kClosed;
  const auto deadline = Clock::now() + kRequestTime;
  uint8_t head[2];
  if (!ReadExactly(fd, head, sizeof head, stop, deadline)) return ReadResult::kRefused;
  request.adapter = first;
  request.target = head[0];
  request.cdb.resize(head[1]);
  uint8_t tail[5];
  if (!ReadExactly(fd, request.cdb.data(), request.cdb.size(), stop, deadline) ||
      !ReadExactly(fd, tail, sizeof tail, stop, deadline)) {
    return ReadResult::kRefused;
  }
  request.direction = tail[0];
  request.length =
      (uint32_t{tail[1]} << 24) | (uint32_t{tail[2]} << 16) | (uint32_t{tail[3]} << 8) | tail[4];
  if (request.direction > 2 || request.length > kMaxRequestData) return ReadResult::kRefused;
  request.data.resize(request.direction == 2 ? request.length : 0);
  return ReadExactly(fd, request.data.data(), request.data.size(), stop, deadline)
             ? ReadResult::kRequest
             : ReadResult::kRefused;
}

void Serve(SimState& state, int fd, ConnectionId connection, ScsiCommands& commands,
           std::stop_token stop) {
  ScsiRequest request;
  request.connection = connection;
  while (true) {
    const ReadResult read = ReadRequest(fd, request, stop);
    if (read == ReadResult::kRefused) {
      state.Log("scsi connection " + std::to_string(connection) +
                " closed: a request that is not one (" + std::to_string(request.cdb.size()) +
                "-byte block, " + std::to_string(request.length) + " bytes of data)");
    }
    if (read != ReadResult::kRequest) break;
    const ScsiReply reply = commands.Handle(request);
    if (reply.action == ScsiReply::Action::kHangUp) break;
    if (reply.action == ScsiReply::Action::kSilence) continue;
    const bool withData = request.direction == 1;
    const uint32_t length = withData ? static_cast<uint32_t>(reply.data.size()) : 0;
    std::vector<uint8_t> response = {
        reply.status, static_cast<uint8_t>(length >> 24), static_cast<uint8_t>(length >> 16),
        static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length)};
    if (withData) response.insert(response.end(), reply.data.begin(), reply.data.end());
    if (!WriteExactly(fd, response)) break;
  }
  commands.ConnectionClosed(connection);
  ::close(fd);
}

// The connections being served: each thread says when it is done, and the listener joins the
// finished ones before it takes another, so neither threads nor their stacks pile up.
class Connections {
 public:
  explicit Connections(SimState& state) : state_(state) {}

  void Reap() {
    std::erase_if(active_, [](const Active& entry) { return entry.done->load(); });
  }

  void Accept(int fd, ScsiCommands& commands) {
    Reap();
    const ConnectionId id = ++accepted_;
    if (active_.size() >= kMaxConnections) {
      ::close(fd);
      state_.Log("scsi connection " + std::to_string(id) +
                 " refused: " + std::to_string(active_.size()) + " connections open");
      return;
    }
    auto done = std::make_shared<std::atomic<bool>>(false);
    SimState& state = state_;
    active_.push_back({done, std::jthread([&state, fd, id, &commands, done](std::stop_token stop) {
                         Serve(state, fd, id, commands, stop);
                         done->store(true);
                       })});
  }

 private:
  struct Active {
    std::shared_ptr<std::atomic<bool>> done;
    std::jthread thread;  // joined when the entry goes
  };
  SimState& state_;
  ConnectionId accepted_ = 0;
  std::vector<Active> active_;
};

// The socket is bound under a temporary name and renamed once it listens, so a client that
// sees the path never connects before the simulator accepts connections.
int Listen(const std::string& path) {
  const std::string binding = path + ".binding";
  sockaddr_un address{};
  if (binding.size() >= sizeof address.sun_path) return -1;
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, binding.c_str(), binding.size() + 1);
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  ::unlink(binding.c_str());
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(fd, 64) != 0 || ::rename(binding.c_str(), path.c_str()) != 0) {
    ::unlink(binding.c_str());
    ::close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

bool StartScsiSide(SimState& state, std::vector<std::jthread>& threads) {
  const std::string path = state.options.scsiSocket;
  const int listener = Listen(path);
  if (listener < 0) {
    std::fprintf(stderr, "pelorus-receiver-sim: cannot listen on %s: %s\n", path.c_str(),
                 std::strerror(errno));
    return false;
  }
  threads.emplace_back([&state, listener, path](std::stop_token stop) {
    ScsiMemory memory(state);
    ScsiFault fault;
    ParseScsiFault(state.options.fault, fault);  // checked with the other options
    FaultCounter faults(fault);
    ScsiCommands commands(state, memory, faults);
    {
      // Declared after the shared objects so that the connections end before them.
      Connections connections(state);
      while (!stop.stop_requested()) {
        pollfd entry{listener, POLLIN, 0};
        const int ready = ::poll(&entry, 1, kPollMs);
        if (ready < 0 && errno != EINTR) break;
        if (ready <= 0) {
          connections.Reap();
          continue;
        }
        const int fd = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd >= 0) connections.Accept(fd, commands);
      }
    }
    ::close(listener);
    ::unlink(path.c_str());
  });
  return true;
}

}  // namespace sim
