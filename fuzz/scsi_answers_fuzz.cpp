// The receiver's short answers: channel count, picture geometry, and the simulator socket's
// response header and bus answer. None may read past its bytes or accept the wrong length.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "scsi/receiver_commands.h"
#include "scsi/sim_transport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> answer(data, size);
  if (pelorus::ParseChannelCount(answer).has_value() != (size == 4)) std::abort();
  if (const auto geometry = pelorus::ParsePictureGeometry(answer)) {
    if (size != 4 || geometry->width < 2 || geometry->height < 1) std::abort();
    if (geometry->width > 255 * 255 + 255 + 2 || geometry->height > 255 * 255 + 255 + 1) {
      std::abort();
    }
  }
  if (pelorus::ParseSimResponseHeader(answer).has_value() != (size >= 5)) std::abort();
  if (const auto adapters = pelorus::ParseBusAnswer(answer)) {
    if (size == 0 || adapters->size() != data[0] || size < 1 + adapters->size()) std::abort();
  }
  return 0;
}
