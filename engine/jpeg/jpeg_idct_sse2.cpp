// The accurate 8×8 inverse DCT and the reduced 4×4 and 2×2 ones with SSE2: each pass transforms eight rows
// or columns at once in 16-bit lanes, the products taken in 32 bits by
// multiply-add pairs. The constants are those of the scalar transform
// regrouped so that every sum of two inputs still fits in 16 bits, and
// integer arithmetic gives the same result whatever the grouping: the
// samples are bit for bit those of the scalar transform, damaged data
// included (the same bounds clamp the coefficients and the workspace).
#include <emmintrin.h>

#include <cstring>

#include "engine/jpeg/jpeg_idct.h"

namespace rivano::jpeg::detail {
namespace {

constexpr int fix(double x) { return static_cast<int>(x * (1 << kConstBits) + 0.5); }

constexpr int F0_211164243 = fix(0.211164243), F0_509795579 = fix(0.509795579), F0_601344887 = fix(0.601344887),
              F0_720959822 = fix(0.720959822), F0_850430095 = fix(0.850430095), F1_061594337 = fix(1.061594337),
              F1_272758580 = fix(1.272758580), F1_451774981 = fix(1.451774981), F2_172734803 = fix(2.172734803),
              F3_624509785 = fix(3.624509785);
constexpr int F0_298631336 = fix(0.298631336), F0_390180644 = fix(0.390180644), F0_541196100 = fix(0.541196100),
              F0_765366865 = fix(0.765366865), F0_899976223 = fix(0.899976223), F1_175875602 = fix(1.175875602),
              F1_501321110 = fix(1.501321110), F1_847759065 = fix(1.847759065), F1_961570560 = fix(1.961570560),
              F2_053119869 = fix(2.053119869), F2_562915447 = fix(2.562915447), F3_072711026 = fix(3.072711026);

// Two 16-bit constants, repeated, for _mm_madd_epi16 on interleaved (a, b).
inline __m128i pair(int a, int b) {
  return _mm_set1_epi32(static_cast<int>((static_cast<unsigned>(b) << 16) | (static_cast<unsigned>(a) & 0xFFFF)));
}

// a × ca + b × cb in 32 bits, lanes 0-3 and 4-7 of the inputs.
struct Wide {
  __m128i lo, hi;
};

inline Wide multiplyAdd(__m128i a, __m128i b, __m128i constants) {
  return {_mm_madd_epi16(_mm_unpacklo_epi16(a, b), constants), _mm_madd_epi16(_mm_unpackhi_epi16(a, b), constants)};
}
inline Wide operator+(Wide a, Wide b) { return {_mm_add_epi32(a.lo, b.lo), _mm_add_epi32(a.hi, b.hi)}; }
inline Wide operator-(Wide a, Wide b) { return {_mm_sub_epi32(a.lo, b.lo), _mm_sub_epi32(a.hi, b.hi)}; }

// x << Bits, widened to 32 bits.
template <int Bits = kConstBits>
inline Wide scaledUp(__m128i x) {
  const __m128i zero = _mm_setzero_si128();
  return {_mm_srai_epi32(_mm_unpacklo_epi16(zero, x), 16 - Bits), _mm_srai_epi32(_mm_unpackhi_epi16(zero, x), 16 - Bits)};
}

// Rounds away n fraction bits and narrows to 16 bits, saturating (which
// keeps order, so a later clamp gives what a clamp in 32 bits would).
template <int N>
inline __m128i descale(Wide x) {
  const __m128i half = _mm_set1_epi32(1 << (N - 1));
  return _mm_packs_epi32(_mm_srai_epi32(_mm_add_epi32(x.lo, half), N), _mm_srai_epi32(_mm_add_epi32(x.hi, half), N));
}

// One pass over eight lanes: d[0..7] in frequency order in, samples out
// before the pass's own shift.
[[gnu::always_inline]] inline void points8(const __m128i (&d)[8], Wide (&r)[8]) {
  const Wide tmp3 = multiplyAdd(d[2], d[6], pair(F0_541196100 + F0_765366865, F0_541196100));
  const Wide tmp2 = multiplyAdd(d[2], d[6], pair(F0_541196100, F0_541196100 - F1_847759065));
  const Wide tmp0 = scaledUp(_mm_add_epi16(d[0], d[4]));
  const Wide tmp1 = scaledUp(_mm_sub_epi16(d[0], d[4]));
  const Wide tmp10 = tmp0 + tmp3, tmp13 = tmp0 - tmp3, tmp11 = tmp1 + tmp2, tmp12 = tmp1 - tmp2;

  const __m128i z3 = _mm_add_epi16(d[7], d[3]);
  const __m128i z4 = _mm_add_epi16(d[5], d[1]);
  const Wide z3r = multiplyAdd(z3, z4, pair(F1_175875602 - F1_961570560, F1_175875602));
  const Wide z4r = multiplyAdd(z3, z4, pair(F1_175875602, F1_175875602 - F0_390180644));
  const Wide odd0 = multiplyAdd(d[7], d[1], pair(F0_298631336 - F0_899976223, -F0_899976223)) + z3r;
  const Wide odd3 = multiplyAdd(d[7], d[1], pair(-F0_899976223, F1_501321110 - F0_899976223)) + z4r;
  const Wide odd1 = multiplyAdd(d[5], d[3], pair(F2_053119869 - F2_562915447, -F2_562915447)) + z4r;
  const Wide odd2 = multiplyAdd(d[5], d[3], pair(-F2_562915447, F3_072711026 - F2_562915447)) + z3r;

  r[0] = tmp10 + odd3;
  r[7] = tmp10 - odd3;
  r[1] = tmp11 + odd2;
  r[6] = tmp11 - odd2;
  r[2] = tmp12 + odd1;
  r[5] = tmp12 - odd1;
  r[3] = tmp13 + odd0;
  r[4] = tmp13 - odd0;
}

// The 4-point transform of the reduced inverse DCT, from an 8-point input
// (d[4] is not needed): outputs in sample order.
[[gnu::always_inline]] inline void points4(const __m128i (&d)[8], Wide (&r)[4]) {
  const Wide even0 = scaledUp<kConstBits + 1>(d[0]);
  const Wide even2 = multiplyAdd(d[2], d[6], pair(F1_847759065, -F0_765366865));
  const Wide tmp10 = even0 + even2, tmp12 = even0 - even2;
  const Wide odd0 = multiplyAdd(d[7], d[5], pair(-F0_211164243, F1_451774981)) +
                    multiplyAdd(d[3], d[1], pair(-F2_172734803, F1_061594337));
  const Wide odd2 = multiplyAdd(d[7], d[5], pair(-F0_509795579, -F0_601344887)) +
                    multiplyAdd(d[3], d[1], pair(F0_899976223, F2_562915447));
  r[0] = tmp10 + odd2;
  r[3] = tmp10 - odd2;
  r[1] = tmp12 + odd0;
  r[2] = tmp12 - odd0;
}

inline void transpose(__m128i (&m)[8]) {
  const __m128i a0 = _mm_unpacklo_epi16(m[0], m[1]), a1 = _mm_unpackhi_epi16(m[0], m[1]);
  const __m128i a2 = _mm_unpacklo_epi16(m[2], m[3]), a3 = _mm_unpackhi_epi16(m[2], m[3]);
  const __m128i a4 = _mm_unpacklo_epi16(m[4], m[5]), a5 = _mm_unpackhi_epi16(m[4], m[5]);
  const __m128i a6 = _mm_unpacklo_epi16(m[6], m[7]), a7 = _mm_unpackhi_epi16(m[6], m[7]);
  const __m128i b0 = _mm_unpacklo_epi32(a0, a2), b1 = _mm_unpackhi_epi32(a0, a2);
  const __m128i b2 = _mm_unpacklo_epi32(a1, a3), b3 = _mm_unpackhi_epi32(a1, a3);
  const __m128i b4 = _mm_unpacklo_epi32(a4, a6), b5 = _mm_unpackhi_epi32(a4, a6);
  const __m128i b6 = _mm_unpacklo_epi32(a5, a7), b7 = _mm_unpackhi_epi32(a5, a7);
  m[0] = _mm_unpacklo_epi64(b0, b4);
  m[1] = _mm_unpackhi_epi64(b0, b4);
  m[2] = _mm_unpacklo_epi64(b1, b5);
  m[3] = _mm_unpackhi_epi64(b1, b5);
  m[4] = _mm_unpacklo_epi64(b2, b6);
  m[5] = _mm_unpackhi_epi64(b2, b6);
  m[6] = _mm_unpacklo_epi64(b3, b7);
  m[7] = _mm_unpackhi_epi64(b3, b7);
}

// coefficient × quantiser (unsigned 16 bits) limited to ±kMaxCoefficient.
inline __m128i dequantize(__m128i c, __m128i q) {
  const __m128i low = _mm_mullo_epi16(c, q);
  // The signed high half, corrected for quantisers of 32768 and above,
  // which the signed multiply takes as 65536 less.
  const __m128i high = _mm_add_epi16(_mm_mulhi_epi16(c, q), _mm_and_si128(c, _mm_srai_epi16(q, 15)));
  const __m128i product = _mm_packs_epi32(_mm_unpacklo_epi16(low, high), _mm_unpackhi_epi16(low, high));
  return _mm_max_epi16(_mm_min_epi16(product, _mm_set1_epi16(kMaxCoefficient)), _mm_set1_epi16(-kMaxCoefficient));
}

inline void loadDequantized(const std::int16_t* coefficients, const std::uint16_t* quant, __m128i (&d)[8]) {
  for (int k = 0; k < 8; ++k) {
    d[k] = dequantize(_mm_loadu_si128(reinterpret_cast<const __m128i*>(coefficients + 8 * k)),
                      _mm_loadu_si128(reinterpret_cast<const __m128i*>(quant + 8 * k)));
  }
}

inline __m128i bounded(__m128i x) {
  return _mm_max_epi16(_mm_min_epi16(x, _mm_set1_epi16(kMaxWorkspace)), _mm_set1_epi16(-kMaxWorkspace));
}

}  // namespace

void inverseDct4Sse2(const std::int16_t* coefficients, const std::uint16_t* quant, std::uint8_t* out,
                     std::ptrdiff_t stride) {
  __m128i d[8];
  loadDequantized(coefficients, quant, d);
  Wide r[4];
  points4(d, r);
  for (int k = 0; k < 4; ++k) d[k] = bounded(descale<kConstBits - kPass1Bits + 1>(r[k]));
  for (int k = 4; k < 8; ++k) d[k] = _mm_setzero_si128();
  transpose(d);
  points4(d, r);
  const __m128i centre = _mm_set1_epi16(128);
  for (int k = 0; k < 4; ++k) d[k] = _mm_adds_epi16(descale<kConstBits + kPass1Bits + 3 + 1>(r[k]), centre);
  for (int k = 4; k < 8; ++k) d[k] = _mm_setzero_si128();
  transpose(d);
  for (int row = 0; row < 4; ++row) {
    const int samples = _mm_cvtsi128_si32(_mm_packus_epi16(d[row], d[row]));
    std::memcpy(out + stride * row, &samples, 4);
  }
}

void inverseDct2Sse2(const std::int16_t* coefficients, const std::uint16_t* quant, std::uint8_t* out,
                     std::ptrdiff_t stride) {
  __m128i d[8];
  loadDequantized(coefficients, quant, d);
  const Wide even = scaledUp<kConstBits + 2>(d[0]);
  const Wide odd = multiplyAdd(d[7], d[5], pair(-F0_720959822, F0_850430095)) +
                   multiplyAdd(d[3], d[1], pair(-F1_272758580, F3_624509785));
  // The two rows of the workspace; the row pass weighs their odd columns.
  const __m128i row0 = bounded(descale<kConstBits - kPass1Bits + 2>(even + odd));
  const __m128i row1 = bounded(descale<kConstBits - kPass1Bits + 2>(even - odd));
  const __m128i weights = _mm_set_epi16(static_cast<short>(-F0_720959822), 0, static_cast<short>(F0_850430095), 0,
                                        static_cast<short>(-F1_272758580), 0, static_cast<short>(F3_624509785), 0);
  const __m128i m0 = _mm_madd_epi16(row0, weights), m1 = _mm_madd_epi16(row1, weights);
  // Lanes: row 0's and row 1's partial sums side by side, then added up.
  const __m128i pairs = _mm_add_epi32(_mm_unpacklo_epi32(m0, m1), _mm_unpackhi_epi32(m0, m1));
  const __m128i sums = _mm_add_epi32(pairs, _mm_unpackhi_epi64(pairs, pairs));
  const std::int32_t odd0 = _mm_cvtsi128_si32(sums), odd1 = _mm_cvtsi128_si32(_mm_srli_si128(sums, 4));
  const std::int32_t even0 = static_cast<std::int16_t>(_mm_extract_epi16(row0, 0)) * (1 << (kConstBits + 2));
  const std::int32_t even1 = static_cast<std::int16_t>(_mm_extract_epi16(row1, 0)) * (1 << (kConstBits + 2));
  constexpr int shift = kConstBits + kPass1Bits + 3 + 2;
  auto sample = [](std::int32_t x) {
    const std::int32_t v = ((x + (1 << (shift - 1))) >> shift) + 128;
    return static_cast<std::uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
  };
  out[0] = sample(even0 + odd0);
  out[1] = sample(even0 - odd0);
  out[stride] = sample(even1 + odd1);
  out[stride + 1] = sample(even1 - odd1);
}

void inverseDct8Sse2(const std::int16_t* coefficients, const std::uint16_t* quant, std::uint8_t* out,
                     std::ptrdiff_t stride) {
  __m128i d[8];
  loadDequantized(coefficients, quant, d);
  Wide r[8];
  // Columns: lane i of d[k] is row k of column i.
  points8(d, r);
  const __m128i bound = _mm_set1_epi16(kMaxWorkspace);
  const __m128i negativeBound = _mm_set1_epi16(-kMaxWorkspace);
  for (int k = 0; k < 8; ++k) {
    d[k] = _mm_max_epi16(_mm_min_epi16(descale<kConstBits - kPass1Bits>(r[k]), bound), negativeBound);
  }
  transpose(d);
  // Rows: lane i of d[k] is now frequency k of row i.
  points8(d, r);
  const __m128i centre = _mm_set1_epi16(128);
  for (int k = 0; k < 8; ++k) d[k] = _mm_adds_epi16(descale<kConstBits + kPass1Bits + 3>(r[k]), centre);
  transpose(d);
  for (int row = 0; row < 8; row += 2) {
    const __m128i bytes = _mm_packus_epi16(d[row], d[row + 1]);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + stride * row), bytes);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + stride * (row + 1)), _mm_unpackhi_epi64(bytes, bytes));
  }
}

}  // namespace rivano::jpeg::detail
