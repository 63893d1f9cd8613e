// The private sections of the multiplex: the scrambled service's ECMs and EMMs, and the data
// service's sections. Their contents mean nothing; they have the shape and the rhythm of real
// ones, so that PID tools and recorders meet them.
#include <string>

#include "si_tables.h"

namespace sim {
namespace {

constexpr int64_t kCryptoPeriodSeconds = 10;
constexpr uint32_t kSubscribers = 4;

// A repeatable scramble of a few numbers into bytes that look random.
void PutNoise(std::vector<uint8_t>& out, uint32_t seed, size_t count) {
  uint32_t x = seed * 2654435761u + 0x9E3779B9u;
  for (size_t i = 0; i < count; ++i) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    out.push_back(static_cast<uint8_t>(x));
  }
}

}  // namespace

Section BuildEcm(int64_t now) {
  const int64_t period = now / kCryptoPeriodSeconds;
  std::vector<uint8_t> body;
  Put16(body, kCaSystemId);
  body.push_back(static_cast<uint8_t>(period & 0xFF));
  // The odd and the even control word of this period and the next, encrypted.
  PutNoise(body, static_cast<uint32_t>(period), 16);
  PutNoise(body, static_cast<uint32_t>(period + 1), 16);
  return ShortSection(period % 2 == 0 ? 0x80 : 0x81, body);
}

Section BuildEmm(uint32_t n) {
  const uint32_t subscriber = n % kSubscribers;
  std::vector<uint8_t> body = {0x00, 0x00, 0x10, static_cast<uint8_t>(subscriber + 1)};
  PutNoise(body, 0xE000 + n, 48);
  return ShortSection(0x82, body);
}

Section BuildDataSection(int transponder, uint32_t n) {
  // A bulletin in a long-form section: table 0x90, one extension per bulletin of a cycle of 8.
  std::vector<uint8_t> body;
  PutText(body, "PELORUS DATI ");
  PutText(body, std::to_string(kTransponders[static_cast<size_t>(transponder)].transportStreamId));
  body.push_back(' ');
  PutText(body, std::to_string(n % 8));
  PutNoise(body, n % 8, 96);
  return LongSection(0x90, static_cast<uint16_t>(n % 8), 0, 0, 0, body);
}

}  // namespace sim
