#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "common/link_problem.h"

namespace pelorus {

// Final status of a command: only kScsiSuccess means it was carried out.
inline constexpr int kScsiPending = 0;
inline constexpr int kScsiSuccess = 1;
inline constexpr int kScsiError = 4;

// How long any one command may take before it counts as failed.
inline constexpr std::chrono::milliseconds kScsiCommandTimeout{5000};

enum class ScsiDirection : uint8_t { kNone = 0, kIn = 1, kOut = 2 };

// A host adapter and a target id on it; the logical unit is always 0.
struct ScsiAddress {
  uint8_t adapter = 0;
  uint8_t target = 0;
  bool operator==(const ScsiAddress&) const = default;
};

// One host adapter: its number and its own id on the bus (-1 when unknown).
struct ScsiAdapter {
  int number = 0;
  int ownId = -1;
};

// The way to the receiver on SCSI. Every command from every thread goes through Exec, which
// lets one command be outstanding at a time and bounds each one by a time-out, so a receiver
// that stops answering gives a failed status instead of a hang.
class ScsiTransport {
 public:
  virtual ~ScsiTransport() = default;

  // Sends `cdb` to `address`. For kIn, `buffer` receives at most its size and `*received` (if
  // given) says how many bytes came; the rest of the buffer is zeroed. For kOut, `buffer` is
  // sent. Returns the final status; `*failure` (if given) says why a command failed, taken under
  // the same lock, so another thread's command cannot overwrite it.
  int Exec(ScsiAddress address, std::span<const uint8_t> cdb, ScsiDirection direction,
           std::span<uint8_t> buffer, size_t* received = nullptr, LinkFailure* failure = nullptr);

  // The host adapters there are, for the scan. False when the bus cannot be reached at all.
  bool QueryBus(std::vector<ScsiAdapter>& adapters);

  // Where the scan found the receiver; written once by the scan.
  ScsiAddress receiverAddress;

  // What went wrong with the last exchange that failed on the way (the socket, the device, a
  // malformed answer), for the detail beside a message; empty when nothing is known.
  const std::string& LastFailure() const { return lastFailure_; }
  // The kind of problem the last command met (kNone after a success).
  LinkProblem LastProblem() const { return lastProblem_; }

  void SetTimeout(std::chrono::milliseconds timeout) { timeout_ = timeout; }
  std::chrono::milliseconds Timeout() const { return timeout_; }

 protected:
  // Called with the lock held; `buffer` is zeroed beforehand for kIn. A backend that fails on the
  // way sets `lastFailure_` and `lastProblem_`; a status other than success with no problem set
  // counts as the receiver's refusal.
  virtual int Execute(ScsiAddress address, std::span<const uint8_t> cdb, ScsiDirection direction,
                      std::span<uint8_t> buffer, size_t& received) = 0;
  virtual bool ListAdapters(std::vector<ScsiAdapter>& adapters) = 0;

  std::string lastFailure_;
  LinkProblem lastProblem_ = LinkProblem::kNone;

 private:
  std::mutex mutex_;
  std::chrono::milliseconds timeout_ = kScsiCommandTimeout;
};

// The completion primitive: sends one command to the receiver the scan found.
int ExecScsiCommand(ScsiTransport& transport, std::span<const uint8_t> cdb, ScsiDirection direction,
                    std::span<uint8_t> buffer, size_t* received = nullptr,
                    LinkFailure* failure = nullptr);

// True when the command succeeded and, for kIn, filled the whole buffer. Bulk transfers count a
// short answer as a failed piece rather than keep bytes that never came.
bool ExecScsiCommandFully(ScsiTransport& transport, std::span<const uint8_t> cdb,
                          ScsiDirection direction, std::span<uint8_t> buffer);

}  // namespace pelorus
