// Inverse DCTs with dequantisation: the accurate integer 8×8 transform and
// the reduced ones that give a block at 4×4, 2×2 or 1×1 pixels, computed
// the way the common decoders compute them, so the pixels agree with theirs.
#pragma once

#include <cstddef>
#include <cstdint>

namespace rivano::jpeg::detail {

// The fixed-point scale of the transforms' constants and of the first pass.
inline constexpr int kConstBits = 13;
inline constexpr int kPass1Bits = 2;
// Damaged data can hold any coefficient; these bounds lie far beyond what
// an 8-bit picture produces and keep every product inside 32 bits. Every
// transform clamps to them, so damaged data gives the same samples whichever
// one runs.
inline constexpr int kMaxCoefficient = 8192;
inline constexpr int kMaxWorkspace = 12000;

// coefficients in natural order; quant likewise. size is 8, 4, 2 or 1:
// the block becomes size × size samples at out, rows stride bytes apart.
void inverseDct(int size, const std::int16_t* coefficients, const std::uint16_t* quant, std::uint8_t* out,
                std::ptrdiff_t stride);
// The vector transforms of each size (jpeg_idct_sse2.cpp) that inverseDct calls.
void inverseDct8Sse2(const std::int16_t* coefficients, const std::uint16_t* quant, std::uint8_t* out,
                     std::ptrdiff_t stride);
void inverseDct4Sse2(const std::int16_t* coefficients, const std::uint16_t* quant, std::uint8_t* out,
                     std::ptrdiff_t stride);
void inverseDct2Sse2(const std::int16_t* coefficients, const std::uint16_t* quant, std::uint8_t* out,
                     std::ptrdiff_t stride);
// The same for a block whose AC coefficients are all zero: one flat value,
// exactly what inverseDct gives for it, without the transform.
void inverseDctFlat(int size, std::int16_t dc, const std::uint16_t* quant, std::uint8_t* out, std::ptrdiff_t stride);

}  // namespace rivano::jpeg::detail
