#include "engine/jpeg/jpeg_ycc.h"

#include <emmintrin.h>

#include <algorithm>
#include <cstddef>

namespace rivano::jpeg::detail {
namespace {

// The factors in 16 fraction bits: red 1.402 Cr, blue 1.772 Cb, green
// -0.34414 Cb - 0.71414 Cr.
constexpr int kRedCr = 91881, kBlueCb = 116130, kGreenCb = -22554, kGreenCr = -46802;
constexpr int kHalf = 1 << 15;

// (x × (whole × 65536 + fraction) + 32768) >> 16 for 16-bit lanes, with the
// fraction within 16 signed bits: the whole part adds exactly, and the
// fraction's rounded high half is the product's high half plus the top bit
// of its low half.
template <int Whole, int Fraction>
inline __m128i scaledRounded(__m128i x) {
  static_assert(Fraction >= -32768 && Fraction < 32768);
  const __m128i factor = _mm_set1_epi16(static_cast<short>(Fraction));
  __m128i r = _mm_add_epi16(_mm_mulhi_epi16(x, factor), _mm_srli_epi16(_mm_mullo_epi16(x, factor), 15));
  for (int i = 0; i < Whole; ++i) r = _mm_add_epi16(r, x);
  return r;
}

// Eight pixels from 16-bit lanes of y, cb - 128, cr - 128; R, G, B clamped
// by the packs, then laid out as 0x00RRGGBB.
struct Channels {
  __m128i red, green, blue;
};

inline Channels convert8(__m128i y, __m128i cb, __m128i cr) {
  const __m128i red = _mm_add_epi16(y, scaledRounded<1, kRedCr - 65536>(cr));
  const __m128i blue = _mm_add_epi16(y, scaledRounded<2, kBlueCb - 2 * 65536>(cb));
  // -46802 Cr = -65536 Cr + 18734 Cr: the whole part comes off after the shift.
  const __m128i factors = _mm_set1_epi32(static_cast<int>((static_cast<unsigned>(kGreenCr + 65536) << 16) |
                                                          (static_cast<unsigned>(kGreenCb) & 0xFFFF)));
  const __m128i half = _mm_set1_epi32(kHalf);
  const __m128i low = _mm_srai_epi32(_mm_add_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(cb, cr), factors), half), 16);
  const __m128i high = _mm_srai_epi32(_mm_add_epi32(_mm_madd_epi16(_mm_unpackhi_epi16(cb, cr), factors), half), 16);
  const __m128i green = _mm_sub_epi16(_mm_add_epi16(y, _mm_packs_epi32(low, high)), cr);
  return {red, green, blue};
}

inline void store16(const Channels& a, const Channels& b, std::uint32_t* out) {
  const __m128i red = _mm_packus_epi16(a.red, b.red);
  const __m128i green = _mm_packus_epi16(a.green, b.green);
  const __m128i blue = _mm_packus_epi16(a.blue, b.blue);
  const __m128i zero = _mm_setzero_si128();
  const __m128i blueGreenLow = _mm_unpacklo_epi8(blue, green), blueGreenHigh = _mm_unpackhi_epi8(blue, green);
  const __m128i redLow = _mm_unpacklo_epi8(red, zero), redHigh = _mm_unpackhi_epi8(red, zero);
  // Past the cache: the picture is larger than it, and its pixels are
  // read again only once all are written, so reading the lines in first
  // would be wasted.
  auto* p = reinterpret_cast<__m128i*>(out);
  _mm_stream_si128(p, _mm_unpacklo_epi16(blueGreenLow, redLow));
  _mm_stream_si128(p + 1, _mm_unpackhi_epi16(blueGreenLow, redLow));
  _mm_stream_si128(p + 2, _mm_unpacklo_epi16(blueGreenHigh, redHigh));
  _mm_stream_si128(p + 3, _mm_unpackhi_epi16(blueGreenHigh, redHigh));
}

inline std::uint32_t clamp255(int v) { return static_cast<std::uint32_t>(std::clamp(v, 0, 255)); }

inline std::uint32_t convert1(int luma, int cb, int cr) {
  const int b = cb - 128, r = cr - 128;
  const int red = luma + ((kRedCr * r + kHalf) >> 16);
  const int green = luma + ((kGreenCb * b + kHalf + kGreenCr * r) >> 16);
  const int blue = luma + ((kBlueCb * b + kHalf) >> 16);
  return (clamp255(red) << 16) | (clamp255(green) << 8) | clamp255(blue);
}

}  // namespace

void yccRowToRgb(const std::uint8_t* y, const std::uint8_t* cb, const std::uint8_t* cr, std::int32_t width,
                 std::uint32_t* out) {
  std::int32_t x = 0;
  // One at a time up to where the output is aligned for the vector stores.
  for (; x < width && (reinterpret_cast<std::uintptr_t>(out + x) & 15) != 0; ++x) out[x] = convert1(y[x], cb[x], cr[x]);
  const __m128i zero = _mm_setzero_si128();
  const __m128i centre = _mm_set1_epi16(128);
  for (; x + 16 <= width; x += 16) {
    const __m128i ys = _mm_loadu_si128(reinterpret_cast<const __m128i*>(y + x));
    const __m128i cbs = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cb + x));
    const __m128i crs = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cr + x));
    const Channels low = convert8(_mm_unpacklo_epi8(ys, zero), _mm_sub_epi16(_mm_unpacklo_epi8(cbs, zero), centre),
                                  _mm_sub_epi16(_mm_unpacklo_epi8(crs, zero), centre));
    const Channels high = convert8(_mm_unpackhi_epi8(ys, zero), _mm_sub_epi16(_mm_unpackhi_epi8(cbs, zero), centre),
                                   _mm_sub_epi16(_mm_unpackhi_epi8(crs, zero), centre));
    store16(low, high, out + x);
  }
  // The streamed stores are seen before anything written after them.
  _mm_sfence();
  for (; x < width; ++x) out[x] = convert1(y[x], cb[x], cr[x]);
}

}  // namespace rivano::jpeg::detail
