#include "stream_requests.h"

#include "common/byte_reader.h"

namespace sim {
namespace {

constexpr uint16_t kMaxPid = 0x1FFF;
constexpr size_t kFilterSize = 6;
constexpr size_t kTuneSize = 16;
constexpr size_t kMaxProbePids = 32;

// `count` ASCII digits as a number; no value when any is not a digit.
std::optional<int> Digits(std::span<const uint8_t> text) {
  if (text.empty()) return std::nullopt;
  int value = 0;
  for (uint8_t c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

}  // namespace

std::optional<std::vector<StreamFilter>> DecodeStreamSetup(std::span<const uint8_t> data,
                                                           bool slotted) {
  const size_t count = data.size() / kFilterSize;
  if (data.size() % kFilterSize != 0 || count == 0 || count > (slotted ? kMaxSlots : 1)) {
    return std::nullopt;
  }
  pelorus::ByteReader reader(data);
  std::vector<StreamFilter> filters;
  for (size_t i = 0; i < count; ++i) {
    StreamFilter filter;
    filter.pid = reader.U16();
    filter.threshold = reader.U16();
    filter.mode = reader.U16();
    if (filter.pid > kMaxPid || filter.threshold == 0 || filter.mode > kEntireMode) {
      return std::nullopt;
    }
    filters.push_back(filter);
  }
  if (!reader.Ok()) return std::nullopt;
  return filters;
}

std::optional<TuneRequest> DecodeTune(std::span<const uint8_t> data) {
  pelorus::ByteReader reader(data);
  if (data.size() < kTuneSize || reader.U8() != 0x17) return std::nullopt;
  const auto frequency = Digits(reader.Bytes(5));
  const auto symbolRate = Digits(reader.Bytes(5));
  const uint8_t fec = reader.U8();
  const uint8_t polarity = reader.U8();
  if (!reader.Ok() || !frequency || !symbolRate || fec < '1' || fec > '6' ||
      (polarity != '0' && polarity != '1')) {
    return std::nullopt;
  }
  return TuneRequest{*frequency, *symbolRate, polarity == '1', fec - '1'};
}

std::optional<std::vector<uint16_t>> DecodeProbe(std::span<const uint8_t> data) {
  pelorus::ByteReader reader(data);
  if (reader.U8() != 0x3F) return std::nullopt;
  std::vector<uint16_t> pids;
  while (reader.Ok()) {
    const uint16_t pid = reader.U16();
    if (!reader.Ok()) return std::nullopt;  // the end marker is missing
    if (pid == 0xFFFF) return pids;
    if (pid > kMaxPid || pids.size() == kMaxProbePids) return std::nullopt;
    pids.push_back(pid);
  }
  return std::nullopt;
}

}  // namespace sim
