#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "common/ts_numbers.h"
#include "scsi/receiver_commands.h"
#include "scsi/scsi_transport.h"

namespace pelorus {

// Shared operations of the stream features, each one command (or a short exchange) to the
// receiver the scan found.

// "Setup PID stream" with one filter. True when the receiver accepted it; `*failure` (if given)
// says why not.
bool SetupPidStream(ScsiTransport& transport, uint16_t pid, uint16_t threshold, uint16_t mode,
                    bool slotted, LinkFailure* failure = nullptr);
void StopPidStream(ScsiTransport& transport, bool slotted);
// Sends the busy word for the SCSIBusy option.
void SetScsiBusy(ScsiTransport& transport, bool scsiBusy);
// The decoded picture's size; no value when the receiver did not answer with it.
std::optional<PictureGeometry> ReadPictureGeometry(ScsiTransport& transport);

// Sections are assembled from 188-byte packets of slot 0 into the caller's buffer. The capture
// never writes past the buffer: payload beyond it is dropped, so a section longer than the
// buffer comes back cut short and the caller's length check sees that.
inline constexpr int kMaxSectionRejections = 5;
inline constexpr int kMaxExtensionAccumulations = 100;
// A receiver that keeps failing reads, or never starts a section, ends the capture.
inline constexpr int kMaxFailedPacketReads = 3;
inline constexpr int kMaxCapturePackets = 50000;

// A multiplex that never carries the table must not keep the caller busy: the capture gives up
// after `timeout`, or as soon as `stop` (when given) is set by another thread.
inline constexpr std::chrono::milliseconds kSectionCaptureTimeout{5000};
struct CaptureLimits {
  std::chrono::milliseconds timeout = kSectionCaptureTimeout;
  const std::atomic<bool>* stop = nullptr;
};

// The table_id position of the accepted section inside one accumulation (pointer field first),
// or no value. These two are what the captures test each accumulation with.
std::optional<size_t> FindSection(std::span<const uint8_t> accumulated, uint8_t tableId);
std::optional<size_t> FindSectionWithExtension(std::span<const uint8_t> accumulated,
                                               uint8_t tableId, uint16_t extension);

// The captured section from its table_id to the end of what was accumulated, inside `buffer`;
// empty when nothing was found.
std::span<const uint8_t> CaptureSection(ScsiTransport& transport, uint16_t pid, uint8_t tableId,
                                        std::span<uint8_t> buffer, CaptureLimits limits = {});
std::span<const uint8_t> CaptureSectionWithExtension(ScsiTransport& transport, uint16_t pid,
                                                     uint8_t tableId, uint16_t extension,
                                                     std::span<uint8_t> buffer,
                                                     CaptureLimits limits = {});

}  // namespace pelorus
