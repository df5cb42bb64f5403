#include "engine/jpeg/jpeg_idct.h"

#include <algorithm>
#include <cstring>

namespace rivano::jpeg::detail {
namespace {

constexpr int kConstBits = 13;
constexpr int kPass1Bits = 2;

// Damaged data can hold any coefficient; these bounds lie far beyond what
// an 8-bit picture produces and keep every product inside 32 bits.
constexpr int kMaxCoefficient = 8192;
constexpr int kMaxWorkspace = 12000;

constexpr std::int32_t fix(double x) { return static_cast<std::int32_t>(x * (1 << kConstBits) + 0.5); }

constexpr std::int32_t F0_211164243 = fix(0.211164243), F0_509795579 = fix(0.509795579),
                       F0_601344887 = fix(0.601344887), F0_720959822 = fix(0.720959822),
                       F0_765366865 = fix(0.765366865), F0_850430095 = fix(0.850430095),
                       F0_899976223 = fix(0.899976223), F1_061594337 = fix(1.061594337),
                       F1_272758580 = fix(1.272758580), F1_451774981 = fix(1.451774981),
                       F1_847759065 = fix(1.847759065), F2_172734803 = fix(2.172734803),
                       F2_562915447 = fix(2.562915447), F3_624509785 = fix(3.624509785);

inline std::int32_t dequantize(const std::int16_t* c, const std::uint16_t* q, int i) {
  return std::clamp(static_cast<std::int32_t>(c[i]) * q[i], -kMaxCoefficient, kMaxCoefficient);
}

inline std::int32_t descale(std::int32_t x, int n) { return (x + (1 << (n - 1))) >> n; }

inline std::int32_t bounded(std::int32_t x) { return std::clamp(x, -kMaxWorkspace, kMaxWorkspace); }

inline std::uint8_t sample(std::int32_t x) { return static_cast<std::uint8_t>(std::clamp(x + 128, 0, 255)); }

void idct4(const std::int16_t* in, const std::uint16_t* q, std::uint8_t* out, std::ptrdiff_t stride) {
  std::int32_t ws[8 * 4];
  for (int col = 0; col < 8; ++col) {
    if (col == 4) continue;  // the 4-point output never needs the fourth frequency
    const std::int16_t* c = in + col;
    const std::uint16_t* qc = q + col;
    std::int32_t* w = ws + col;
    if ((c[8] | c[16] | c[24] | c[40] | c[48] | c[56]) == 0) {
      const std::int32_t dc = bounded(dequantize(c, qc, 0) * (1 << kPass1Bits));
      for (int r = 0; r < 4; ++r) w[8 * r] = dc;
      continue;
    }
    std::int32_t tmp0 = dequantize(c, qc, 0) * (1 << (kConstBits + 1));
    std::int32_t tmp2 = dequantize(c, qc, 16) * F1_847759065 - dequantize(c, qc, 48) * F0_765366865;
    const std::int32_t tmp10 = tmp0 + tmp2, tmp12 = tmp0 - tmp2;
    const std::int32_t z1 = dequantize(c, qc, 56), z2 = dequantize(c, qc, 40), z3 = dequantize(c, qc, 24),
                       z4 = dequantize(c, qc, 8);
    tmp0 = -z1 * F0_211164243 + z2 * F1_451774981 - z3 * F2_172734803 + z4 * F1_061594337;
    tmp2 = -z1 * F0_509795579 - z2 * F0_601344887 + z3 * F0_899976223 + z4 * F2_562915447;
    constexpr int shift = kConstBits - kPass1Bits + 1;
    w[0] = bounded(descale(tmp10 + tmp2, shift));
    w[24] = bounded(descale(tmp10 - tmp2, shift));
    w[8] = bounded(descale(tmp12 + tmp0, shift));
    w[16] = bounded(descale(tmp12 - tmp0, shift));
  }
  constexpr int shift = kConstBits + kPass1Bits + 3 + 1;
  for (int row = 0; row < 4; ++row, out += stride) {
    const std::int32_t* w = ws + 8 * row;
    if ((w[1] | w[2] | w[3] | w[5] | w[6] | w[7]) == 0) {
      const std::uint8_t v = sample(descale(w[0], kPass1Bits + 3));
      std::fill(out, out + 4, v);
      continue;
    }
    std::int32_t tmp0 = w[0] * (1 << (kConstBits + 1));
    std::int32_t tmp2 = w[2] * F1_847759065 - w[6] * F0_765366865;
    const std::int32_t tmp10 = tmp0 + tmp2, tmp12 = tmp0 - tmp2;
    const std::int32_t z1 = w[7], z2 = w[5], z3 = w[3], z4 = w[1];
    tmp0 = -z1 * F0_211164243 + z2 * F1_451774981 - z3 * F2_172734803 + z4 * F1_061594337;
    tmp2 = -z1 * F0_509795579 - z2 * F0_601344887 + z3 * F0_899976223 + z4 * F2_562915447;
    out[0] = sample(descale(tmp10 + tmp2, shift));
    out[3] = sample(descale(tmp10 - tmp2, shift));
    out[1] = sample(descale(tmp12 + tmp0, shift));
    out[2] = sample(descale(tmp12 - tmp0, shift));
  }
}

void idct2(const std::int16_t* in, const std::uint16_t* q, std::uint8_t* out, std::ptrdiff_t stride) {
  std::int32_t ws[8 * 2];
  for (int col = 0; col < 8; ++col) {
    if (col == 2 || col == 4 || col == 6) continue;  // even frequencies vanish at two points
    const std::int16_t* c = in + col;
    const std::uint16_t* qc = q + col;
    std::int32_t* w = ws + col;
    if ((c[8] | c[24] | c[40] | c[56]) == 0) {
      const std::int32_t dc = bounded(dequantize(c, qc, 0) * (1 << kPass1Bits));
      w[0] = dc;
      w[8] = dc;
      continue;
    }
    const std::int32_t tmp10 = dequantize(c, qc, 0) * (1 << (kConstBits + 2));
    const std::int32_t tmp0 = -dequantize(c, qc, 56) * F0_720959822 + dequantize(c, qc, 40) * F0_850430095 -
                              dequantize(c, qc, 24) * F1_272758580 + dequantize(c, qc, 8) * F3_624509785;
    constexpr int shift = kConstBits - kPass1Bits + 2;
    w[0] = bounded(descale(tmp10 + tmp0, shift));
    w[8] = bounded(descale(tmp10 - tmp0, shift));
  }
  constexpr int shift = kConstBits + kPass1Bits + 3 + 2;
  for (int row = 0; row < 2; ++row, out += stride) {
    const std::int32_t* w = ws + 8 * row;
    if ((w[1] | w[3] | w[5] | w[7]) == 0) {
      const std::uint8_t v = sample(descale(w[0], kPass1Bits + 3));
      out[0] = v;
      out[1] = v;
      continue;
    }
    const std::int32_t tmp10 = w[0] * (1 << (kConstBits + 2));
    const std::int32_t tmp0 = -w[7] * F0_720959822 + w[5] * F0_850430095 - w[3] * F1_272758580 + w[1] * F3_624509785;
    out[0] = sample(descale(tmp10 + tmp0, shift));
    out[1] = sample(descale(tmp10 - tmp0, shift));
  }
}

}  // namespace

void inverseDct(int size, const std::int16_t* coefficients, const std::uint16_t* quant, std::uint8_t* out,
                std::ptrdiff_t stride) {
  switch (size) {
    case 8: inverseDct8Sse2(coefficients, quant, out, stride); break;
    case 4: idct4(coefficients, quant, out, stride); break;
    case 2: idct2(coefficients, quant, out, stride); break;
    default: *out = sample(descale(dequantize(coefficients, quant, 0), 3)); break;
  }
}

namespace {

// A known width, so each row is one store rather than a call.
template <int N>
void fillBlock(std::uint8_t v, std::uint8_t* out, std::ptrdiff_t stride) {
  for (int row = 0; row < N; ++row, out += stride) std::memset(out, v, N);
}

}  // namespace

void inverseDctFlat(int size, std::int16_t dc, const std::uint16_t* quant, std::uint8_t* out, std::ptrdiff_t stride) {
  if (size == 1) {
    *out = sample(descale(dequantize(&dc, quant, 0), 3));
    return;
  }
  // The column pass gives every row this, the row pass then one sample.
  const std::int32_t w = bounded(dequantize(&dc, quant, 0) * (1 << kPass1Bits));
  const std::uint8_t v = sample(descale(w, kPass1Bits + 3));
  switch (size) {
    case 8: fillBlock<8>(v, out, stride); break;
    case 4: fillBlock<4>(v, out, stride); break;
    default: fillBlock<2>(v, out, stride); break;
  }
}

}  // namespace rivano::jpeg::detail
