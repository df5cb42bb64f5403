// YCbCr to 0x00RRGGBB for one row, with SSE2: the usual fixed-point
// conversion (16 fraction bits, each term rounded as the common decoders'
// tables round it), bit for bit.
#pragma once

#include <cstdint>

namespace rivano::jpeg::detail {

void yccRowToRgb(const std::uint8_t* y, const std::uint8_t* cb, const std::uint8_t* cr, std::int32_t width,
                 std::uint32_t* out);

}  // namespace rivano::jpeg::detail
