// From decoded component planes to 0x00RRGGBB rows: chroma brought to the
// output size (the smooth "fancy" interpolation of the common decoders for
// 2:1 ratios when not decoding at 1/8, repetition otherwise), then the
// colour transform of the picture.
#pragma once

#include <cstdint>
#include <vector>

namespace rivano::jpeg::detail {

// One component's decoded samples. width × height are the samples that
// belong to the picture; the rows are stride bytes apart and may hold
// padding beyond them.
struct Plane {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t stride = 0;
  int expandX = 1;  // output pixels per sample
  int expandY = 1;
  std::vector<std::uint8_t> samples;
};

enum class ColorTransform { grey, rgb, ycbcr, cmyk, ycck };

// Writes width × height pixels from planes (1, 3 or 4 of them) into out.
// smooth: interpolate 2:1 chroma instead of repeating it.
void convertPlanes(const std::vector<Plane>& planes, ColorTransform transform, bool smooth, std::int32_t width,
                   std::int32_t height, std::uint32_t* out);

}  // namespace rivano::jpeg::detail
