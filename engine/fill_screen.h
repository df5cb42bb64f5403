// Filling the screen instead of fitting into it: a picture larger than the
// fitting box on both sides shrinks until it just covers the box, and the
// middle of it is kept, the excess cut equally from both ends of the side
// that overhangs. Nothing is ever enlarged, and a filled picture is never
// tiled: it covers the box by itself.
#pragma once

#include <cstdint>
#include <optional>

#include "engine/wallpaper.h"

namespace rivano {

struct FillPlan {
  PixelSize covering;  // the whole picture shrunk to this size ...
  PixelSize kept;      // ... of which this much is kept (the box),
  std::int32_t left = 0;  // starting here.
  std::int32_t top = 0;
};

// None when the picture is not larger than the box on both sides: such a
// picture is fitted as before.
std::optional<FillPlan> fillPlan(const PictureTwips& picture, const TwipsBox& box, const ScreenMetrics& screen);

// The part of `image` at (left, top) of the given size.
PixelImage middleOf(const PixelImage& image, std::int32_t left, std::int32_t top, PixelSize size);

// The wallpaper image of a change with filling on: the filled picture when
// a plan applies, otherwise None.
std::optional<PixelImage> filledImage(const Picture& picture, const ScreenMetrics& screen, std::int16_t marginPercent);

}  // namespace rivano
