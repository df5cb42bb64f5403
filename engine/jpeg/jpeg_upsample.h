// Chroma brought to twice its width (and height) by the smooth triangle
// interpolation of the common decoders, with SSE2 where whole groups of
// samples allow it.
#pragma once

#include <cstdint>

namespace rivano::jpeg::detail {

// Twice as wide: each output leans 3:1 towards its nearer sample.
// out takes 2 × width samples.
void smoothDoubleWidth(const std::uint8_t* in, std::int32_t width, std::uint8_t* out);

// Twice as wide and, with `far` the row beyond `near` on the side of the
// output row, twice as high: rows weigh 3:1 first, then columns, rounded
// once. out takes 2 × width samples.
void smoothDoubleBoth(const std::uint8_t* near, const std::uint8_t* far, std::int32_t width, std::uint8_t* out);

}  // namespace rivano::jpeg::detail
