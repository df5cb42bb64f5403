// Draws into a 32-bit memory bitmap of a given size and hands back its
// pixels; the background is the desktop's own colour, which is what shows
// through transparent parts of icons, GIFs and metafiles.
#pragma once

#include <windows.h>

#include <functional>

#include "engine/pixel_image.h"

namespace rivano::win {

// `draw` returns false when the picture could not be drawn (RunError 481).
PixelImage drawToPixels(std::int32_t width, std::int32_t height, const std::function<bool(HDC)>& draw);

}  // namespace rivano::win
