// Sections assembled from packets the receiver hands over. The input is a stream of 188-byte
// packets served to the capture (a short tail is dropped); byte 0 of the input also picks the
// capture's buffer size, so cut sections and tiny buffers are explored. Writing outside the
// buffer is caught by the sanitizer, a result outside it by the checks below.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "scsi/stream_primitives.h"
#include "unit/scsi/scripted_transport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  const size_t capacity = 1 + size_t{data[0]} * 8;
  const uint8_t tableId = data[1];
  const uint16_t extension = data[2];
  const std::span<const uint8_t> packets(data + 3, size - 3);

  // The finders alone, on the raw bytes.
  if (const auto at = pelorus::FindSection(packets, tableId); at && *at >= packets.size()) {
    std::abort();
  }
  if (const auto at = pelorus::FindSectionWithExtension(packets, tableId, extension);
      at && *at + 5 > packets.size()) {
    std::abort();
  }

  pelorus::testing::ScriptedTransport transport;
  size_t next = 0;
  transport.handler = [&](const pelorus::testing::ScriptedTransport::Command& command,
                          std::span<uint8_t> in) -> pelorus::testing::ScriptedTransport::Reply {
    if (command.direction != pelorus::ScsiDirection::kIn) return {pelorus::kScsiSuccess, 0};
    if (next + 188 > packets.size()) return {pelorus::kScsiError, 0};
    std::copy_n(packets.begin() + static_cast<long>(next), 188, in.begin());
    next += 188;
    return {pelorus::kScsiSuccess, 188};
  };
  std::vector<uint8_t> buffer(capacity);
  const auto plain = pelorus::CaptureSection(transport, 0x10, tableId, buffer);
  if (!plain.empty() && (plain.data() < buffer.data() ||
                         plain.data() + plain.size() > buffer.data() + buffer.size())) {
    std::abort();
  }
  next = 0;
  const auto withExtension =
      pelorus::CaptureSectionWithExtension(transport, 0x10, tableId, extension, buffer);
  if (!withExtension.empty() &&
      (withExtension.data() < buffer.data() ||
       withExtension.data() + withExtension.size() > buffer.data() + buffer.size())) {
    std::abort();
  }
  return 0;
}
