#pragma once

#include <chrono>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "scsi/scsi_transport.h"

namespace pelorus {

// The stand-in receiver's SCSI bus on a Unix stream socket. Each command is one request and
// one response, integers big-endian:
//   request:  adapter, target, cdbLength, cdb, direction (0 none, 1 in, 2 out), u32 length,
//             data (out only)
//   response: status, u32 length, data (in only, at most the length asked for)
// A request with no command block asks for the bus instead. After a time-out or any broken
// exchange the connection is dropped, so a late answer can never be taken for the next one.
class SimTransport : public ScsiTransport {
 public:
  explicit SimTransport(std::string socketPath);
  ~SimTransport() override;
  SimTransport(const SimTransport&) = delete;
  SimTransport& operator=(const SimTransport&) = delete;

 protected:
  int Execute(ScsiAddress address, std::span<const uint8_t> cdb, ScsiDirection direction,
              std::span<uint8_t> buffer, size_t& received) override;
  bool ListAdapters(std::vector<ScsiAdapter>& adapters) override;

 private:
  using Deadline = std::chrono::steady_clock::time_point;
  bool Connect();
  // Keeps "PATH: reason" as the last failure; a broken exchange means the link is gone unless
  // the receiver merely stayed silent.
  void Failed(const char* reason, LinkProblem problem = LinkProblem::kLost);
  void Disconnect();
  bool SendAll(std::span<const uint8_t> bytes, Deadline deadline);
  bool ReceiveAll(std::span<uint8_t> bytes, Deadline deadline);

  std::string socketPath_;
  int socket_ = -1;
};

// The detail for an answer that breaks the exchange's rules.
inline constexpr char kMalformedAnswer[] = "the receiver's answer was malformed";

// The request as it goes on the socket (data included only for kOut).
std::vector<uint8_t> EncodeSimRequest(ScsiAddress address, std::span<const uint8_t> cdb,
                                      ScsiDirection direction, std::span<const uint8_t> buffer);

struct SimResponseHeader {
  uint8_t status = 0;
  uint32_t length = 0;
};
inline constexpr size_t kSimResponseHeaderSize = 5;
std::optional<SimResponseHeader> ParseSimResponseHeader(std::span<const uint8_t> bytes);

// The adapters named by a bus answer: a count, then each adapter's own id.
std::optional<std::vector<ScsiAdapter>> ParseBusAnswer(std::span<const uint8_t> answer);

}  // namespace pelorus
