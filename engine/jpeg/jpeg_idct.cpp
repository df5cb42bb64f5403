#include "engine/jpeg/jpeg_idct.h"

#include <algorithm>
#include <cstring>

namespace rivano::jpeg::detail {
namespace {

constexpr int kPass1Bits = 2;

// Damaged data can hold any coefficient; these bounds lie far beyond what
// an 8-bit picture produces and keep every product inside 32 bits.
constexpr int kMaxCoefficient = 8192;
constexpr int kMaxWorkspace = 12000;

inline std::int32_t dequantize(const std::int16_t* c, const std::uint16_t* q, int i) {
  return std::clamp(static_cast<std::int32_t>(c[i]) * q[i], -kMaxCoefficient, kMaxCoefficient);
}

inline std::int32_t descale(std::int32_t x, int n) { return (x + (1 << (n - 1))) >> n; }

inline std::int32_t bounded(std::int32_t x) { return std::clamp(x, -kMaxWorkspace, kMaxWorkspace); }

inline std::uint8_t sample(std::int32_t x) { return static_cast<std::uint8_t>(std::clamp(x + 128, 0, 255)); }

}  // namespace

void inverseDct(int size, const std::int16_t* coefficients, const std::uint16_t* quant, std::uint8_t* out,
                std::ptrdiff_t stride) {
  switch (size) {
    case 8: inverseDct8Sse2(coefficients, quant, out, stride); break;
    case 4: inverseDct4Sse2(coefficients, quant, out, stride); break;
    case 2: inverseDct2Sse2(coefficients, quant, out, stride); break;
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
