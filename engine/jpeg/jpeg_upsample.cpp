#include "engine/jpeg/jpeg_upsample.h"

#include <emmintrin.h>

namespace rivano::jpeg::detail {
namespace {

// Eight samples from p, widened to 16 bits.
inline __m128i load8(const std::uint8_t* p) {
  return _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)), _mm_setzero_si128());
}

// Sixteen outputs from eight even and eight odd ones.
inline void storePairs(__m128i even, __m128i odd, std::uint8_t* out) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out),
                   _mm_packus_epi16(_mm_unpacklo_epi16(even, odd), _mm_unpackhi_epi16(even, odd)));
}

}  // namespace

void smoothDoubleWidth(const std::uint8_t* in, std::int32_t width, std::uint8_t* out) {
  if (width == 1) {
    out[0] = out[1] = in[0];
    return;
  }
  out[0] = in[0];
  out[1] = static_cast<std::uint8_t>((in[0] * 3 + in[1] + 2) >> 2);
  std::int32_t x = 1;
  // Samples x - 1 to x + 8 are read: the last group ends before the last sample.
  for (; x + 8 <= width - 1; x += 8) {
    const __m128i current = load8(in + x);
    const __m128i tripled = _mm_add_epi16(current, _mm_add_epi16(current, current));
    const __m128i even = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(tripled, load8(in + x - 1)), _mm_set1_epi16(1)), 2);
    const __m128i odd = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(tripled, load8(in + x + 1)), _mm_set1_epi16(2)), 2);
    storePairs(even, odd, out + 2 * x);
  }
  for (; x < width - 1; ++x) {
    const int v = in[x] * 3;
    out[2 * x] = static_cast<std::uint8_t>((v + in[x - 1] + 1) >> 2);
    out[2 * x + 1] = static_cast<std::uint8_t>((v + in[x + 1] + 2) >> 2);
  }
  const std::int32_t last = width - 1;
  out[2 * last] = static_cast<std::uint8_t>((in[last] * 3 + in[last - 1] + 1) >> 2);
  out[2 * last + 1] = in[last];
}

void smoothDoubleBoth(const std::uint8_t* near, const std::uint8_t* far, std::int32_t width, std::uint8_t* out) {
  auto sum = [&](std::int32_t x) { return near[x] * 3 + far[x]; };
  if (width == 1) {
    const int s = sum(0);
    out[0] = static_cast<std::uint8_t>((s * 4 + 8) >> 4);
    out[1] = static_cast<std::uint8_t>((s * 4 + 7) >> 4);
    return;
  }
  out[0] = static_cast<std::uint8_t>((sum(0) * 4 + 8) >> 4);
  out[1] = static_cast<std::uint8_t>((sum(0) * 3 + sum(1) + 7) >> 4);
  auto columnSums = [&](std::int32_t x) {
    const __m128i n = load8(near + x);
    return _mm_add_epi16(_mm_add_epi16(n, _mm_add_epi16(n, n)), load8(far + x));
  };
  std::int32_t x = 1;
  for (; x + 8 <= width - 1; x += 8) {
    const __m128i current = columnSums(x);
    const __m128i tripled = _mm_add_epi16(current, _mm_add_epi16(current, current));
    const __m128i even = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(tripled, columnSums(x - 1)), _mm_set1_epi16(8)), 4);
    const __m128i odd = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(tripled, columnSums(x + 1)), _mm_set1_epi16(7)), 4);
    storePairs(even, odd, out + 2 * x);
  }
  for (; x < width - 1; ++x) {
    const int current = sum(x);
    out[2 * x] = static_cast<std::uint8_t>((current * 3 + sum(x - 1) + 8) >> 4);
    out[2 * x + 1] = static_cast<std::uint8_t>((current * 3 + sum(x + 1) + 7) >> 4);
  }
  const std::int32_t last = width - 1;
  out[2 * last] = static_cast<std::uint8_t>((sum(last) * 3 + sum(last - 1) + 8) >> 4);
  out[2 * last + 1] = static_cast<std::uint8_t>((sum(last) * 4 + 7) >> 4);
}

}  // namespace rivano::jpeg::detail
