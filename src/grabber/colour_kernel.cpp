#include "grabber/colour_kernel.h"

#include <algorithm>
#include <array>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define PELORUS_GRAB_X86 1
#endif

namespace pelorus {
namespace {

uint8_t Hold(int value) { return static_cast<uint8_t>(std::clamp(value, 1, 254)); }

#ifdef PELORUS_GRAB_X86
// Byte shuffles that weave 16 blue, 16 green and 16 red bytes into 48 bytes of pixels: for
// each of the three 16-byte blocks of output, one mask per channel (0x80 leaves a zero).
struct WeaveMasks {
  alignas(16) std::array<std::array<std::array<int8_t, 16>, 3>, 3> mask{};
  WeaveMasks() {
    for (int block = 0; block < 3; ++block) {
      for (int channel = 0; channel < 3; ++channel) {
        for (int i = 0; i < 16; ++i) {
          const int k = 16 * block + i;
          mask[block][channel][i] =
              k % 3 == channel ? static_cast<int8_t>(k / 3) : static_cast<int8_t>(-128);
        }
      }
    }
  }
};
const WeaveMasks kWeave;

// Eight chroma offsets, each doubled, added to sixteen luminance samples and held to 1..254.
__attribute__((target("avx2"))) inline __m256i Channel(__m256i y, const int16_t* offset) {
  const __m128i half = _mm_load_si128(reinterpret_cast<const __m128i*>(offset));
  const __m256i doubled =
      _mm256_set_m128i(_mm_unpackhi_epi16(half, half), _mm_unpacklo_epi16(half, half));
  const __m256i sum = _mm256_add_epi16(y, doubled);
  return _mm256_min_epi16(_mm256_max_epi16(sum, _mm256_set1_epi16(1)), _mm256_set1_epi16(254));
}

__attribute__((target("avx2"))) void ColourRowAvx2(const uint8_t* luma,
                                                   const ColourOffsets& offsets, uint8_t* out) {
  __m128i masks[3][3];
  for (int block = 0; block < 3; ++block) {
    for (int channel = 0; channel < 3; ++channel) {
      masks[block][channel] =
          _mm_load_si128(reinterpret_cast<const __m128i*>(kWeave.mask[block][channel].data()));
    }
  }
  for (int x = 0; x < kFrameWidth; x += 16) {
    const __m256i y =
        _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(luma + x)));
    const __m256i blue = Channel(y, offsets.blue + x / 2);
    const __m256i green = Channel(y, offsets.green + x / 2);
    const __m256i red = Channel(y, offsets.red + x / 2);
    // Packing works per 128-bit lane; the permute puts blue in the low half, green in the high.
    const __m256i blueGreen = _mm256_permute4x64_epi64(_mm256_packus_epi16(blue, green), 0xD8);
    const __m256i redRed = _mm256_permute4x64_epi64(_mm256_packus_epi16(red, red), 0xD8);
    const __m128i b = _mm256_castsi256_si128(blueGreen);
    const __m128i g = _mm256_extracti128_si256(blueGreen, 1);
    const __m128i r = _mm256_castsi256_si128(redRed);
    for (int block = 0; block < 3; ++block) {
      const __m128i woven = _mm_or_si128(
          _mm_or_si128(_mm_shuffle_epi8(b, masks[block][0]), _mm_shuffle_epi8(g, masks[block][1])),
          _mm_shuffle_epi8(r, masks[block][2]));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 3 * x + 16 * block), woven);
    }
  }
}

bool HasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}
#endif

}  // namespace

void ColourRowPlain(const uint8_t* luma, const ColourOffsets& offsets, uint8_t* out) {
  for (int x = 0; x < kFrameWidth; ++x) {
    out[3 * x] = Hold(luma[x] + offsets.blue[x / 2]);
    out[3 * x + 1] = Hold(luma[x] + offsets.green[x / 2]);
    out[3 * x + 2] = Hold(luma[x] + offsets.red[x / 2]);
  }
}

void ColourRowKernel(const uint8_t* luma, const ColourOffsets& offsets, uint8_t* out) {
#ifdef PELORUS_GRAB_X86
  if (HasAvx2()) {
    ColourRowAvx2(luma, offsets, out);
    return;
  }
#endif
  ColourRowPlain(luma, offsets, out);
}

}  // namespace pelorus
