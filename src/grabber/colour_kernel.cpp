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

// The formula's coefficients, in ten-thousandths.
constexpr int kCrToRed = 13707;
constexpr int kCbToGreen = -3365;
constexpr int kCrToGreen = -6982;
constexpr int kCbToBlue = 17324;
constexpr int kScale = 10000;

int FloorDiv(int value, int divisor) {
  const int quotient = value / divisor;
  return (value % divisor != 0 && value < 0) ? quotient - 1 : quotient;
}

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

// Sixteen luminance samples plus their offsets, held to 1..254.
__attribute__((target("avx2"))) inline __m256i Channel(__m256i y, const int16_t* offset) {
  const __m256i sum =
      _mm256_add_epi16(y, _mm256_load_si256(reinterpret_cast<const __m256i*>(offset)));
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
    const __m256i blue = Channel(y, offsets.blue + x);
    const __m256i green = Channel(y, offsets.green + x);
    const __m256i red = Channel(y, offsets.red + x);
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

// floor(c / 10000) for eight whole numbers c of magnitude below 2^24 (the products here stay
// below 2^22). c is exact as a float; c x 0.0001f, rounded once by the fused multiply-add, is
// within 3e-5 of the true quotient at these magnitudes (quotients below 256), while a c that is
// not a multiple of 10000 lies at least 1e-4 below the next whole number. Adding 5e-5 before the
// floor therefore lifts exact multiples clear of the whole number below and leaves the rest
// under the one above.
__attribute__((target("avx2,fma"))) inline __m256i FloorTenThousandth(__m256i c) {
  const __m256 quotient = _mm256_fmadd_ps(_mm256_cvtepi32_ps(c), _mm256_set1_ps(1.0f / 10000.0f),
                                          _mm256_set1_ps(5e-5f));
  return _mm256_cvttps_epi32(_mm256_floor_ps(quotient));
}

// Two 16-bit coefficients as one 32-bit lane: Cb's in the low half, Cr's in the high.
constexpr int32_t CoefficientPair(int forCb, int forCr) {
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint16_t>(forCr)) << 16 |
                              static_cast<uint16_t>(forCb));
}

// Eight int32 results, one per chroma column, stored twice each as the sixteen int16 entries of
// their pixels at `out`.
__attribute__((target("avx2"))) inline void StoreEightTwice(__m256i values, int16_t* out) {
  const __m128i packed = _mm256_castsi256_si128(
      _mm256_packs_epi32(values, _mm256_permute2x128_si256(values, values, 1)));
  const __m256i doubled =
      _mm256_set_m128i(_mm_unpackhi_epi16(packed, packed), _mm_unpacklo_epi16(packed, packed));
  _mm256_store_si256(reinterpret_cast<__m256i*>(out), doubled);
}

__attribute__((target("avx2,fma"))) void ChromaOffsetsAvx2(const uint8_t* cr, const uint8_t* cb,
                                                           ColourOffsets& offsets) {
  const __m128i centre = _mm_set1_epi16(128);
  // Each 32-bit lane holds one sample's (Cb - 128, Cr - 128) pair; a multiply-add with a pair of
  // coefficients gives the channel's c.
  const __m256i toRed = _mm256_set1_epi32(CoefficientPair(0, kCrToRed));
  const __m256i toGreen = _mm256_set1_epi32(CoefficientPair(kCbToGreen, kCrToGreen));
  const __m256i toBlue = _mm256_set1_epi32(CoefficientPair(kCbToBlue, 0));
  for (int m = 0; m < kChromaWidth; m += 8) {
    const __m128i r = _mm_sub_epi16(
        _mm_cvtepu8_epi16(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(cr + m))), centre);
    const __m128i b = _mm_sub_epi16(
        _mm_cvtepu8_epi16(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(cb + m))), centre);
    const __m256i both = _mm256_set_m128i(_mm_unpackhi_epi16(b, r), _mm_unpacklo_epi16(b, r));
    StoreEightTwice(FloorTenThousandth(_mm256_madd_epi16(both, toBlue)), offsets.blue + 2 * m);
    StoreEightTwice(FloorTenThousandth(_mm256_madd_epi16(both, toGreen)), offsets.green + 2 * m);
    StoreEightTwice(FloorTenThousandth(_mm256_madd_epi16(both, toRed)), offsets.red + 2 * m);
  }
}

bool HasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
  return has;
}
#endif

}  // namespace

int BlueOffset(int cb) { return FloorDiv(kCbToBlue * (cb - 128), kScale); }
int GreenOffset(int cr, int cb) {
  return FloorDiv(kCbToGreen * (cb - 128) + kCrToGreen * (cr - 128), kScale);
}
int RedOffset(int cr) { return FloorDiv(kCrToRed * (cr - 128), kScale); }

void ChromaOffsetsPlain(const uint8_t* cr, const uint8_t* cb, ColourOffsets& offsets) {
  for (int x = 0; x < kFrameWidth; ++x) {
    offsets.blue[x] = static_cast<int16_t>(BlueOffset(cb[x / 2]));
    offsets.green[x] = static_cast<int16_t>(GreenOffset(cr[x / 2], cb[x / 2]));
    offsets.red[x] = static_cast<int16_t>(RedOffset(cr[x / 2]));
  }
}

void ChromaOffsetsKernel(const uint8_t* cr, const uint8_t* cb, ColourOffsets& offsets) {
#ifdef PELORUS_GRAB_X86
  if (HasAvx2()) {
    ChromaOffsetsAvx2(cr, cb, offsets);
    return;
  }
#endif
  ChromaOffsetsPlain(cr, cb, offsets);
}

void ColourRowPlain(const uint8_t* luma, const ColourOffsets& offsets, uint8_t* out) {
  for (int x = 0; x < kFrameWidth; ++x) {
    out[3 * x] = Hold(luma[x] + offsets.blue[x]);
    out[3 * x + 1] = Hold(luma[x] + offsets.green[x]);
    out[3 * x + 2] = Hold(luma[x] + offsets.red[x]);
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
