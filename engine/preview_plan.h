// Where and how a picture is drawn in the preview box: shrunk to fit and
// centred, and for large pictures revealed in five strips.
#pragma once

#include <array>
#include <cstdint>

#include "engine/fit_rules.h"

namespace rivano {

struct PreviewPlan {
  // Drawn size and top-left corner in twips, single precision.
  float x0 = 0, y0 = 0, width = 0, height = 0;
  bool progressive = false;    // five steps with the progress bar
  bool stripsAcross = false;   // vertical strips left to right (else rows top to bottom)
};

// `factor` is fitFactor of the picture against the box (0: it fits).
PreviewPlan planPreview(const PictureTwips& picture, float boxWidth, float boxHeight, float factor);

// The drawn size in whole pixels, rounded as the wallpaper's shrink is, so
// that a picture filling the box's width or height fills it to the pixel.
PixelSize previewPixels(const PreviewPlan& plan, std::int32_t twipsPerPixelX, std::int32_t twipsPerPixelY);

struct StripRect {
  std::int32_t left, top, width, height;  // pixels within the drawn picture
};
// Step b (0 to 4) of a drawn picture w × h pixels: one fifth, in place.
StripRect previewStrip(const PreviewPlan& plan, std::int32_t w, std::int32_t h, int b);

}  // namespace rivano
