// Whether the desktop should tile a picture, and how far a picture must
// shrink to fit the screen less a margin. All lengths are twips.
#pragma once

#include <cstdint>

#include "common/screen_metrics.h"

namespace rivano {

// True when `across` copies side by side are narrower than the screen, or
// `down` copies one above the other are lower than it.
bool smallEnoughToTile(const ScreenTwips& screen, const PictureTwips& picture, std::int16_t across,
                       std::int16_t down);

// The tile flag written to the desktop: "0" never, "1" always, otherwise
// decided by smallEnoughToTile.
bool tileDecision(std::int16_t tileOption, const ScreenTwips& screen, const PictureTwips& picture,
                  std::int16_t across, std::int16_t down);

// The screen less `marginPercent` percent of each side.
TwipsBox fitBox(const ScreenTwips& screen, std::int16_t marginPercent);

// 0 when the picture fits the box; otherwise the factor that the side with
// the larger excess (in twips, not in ratio) must be divided by.
float fitFactor(const PictureTwips& picture, const TwipsBox& box);

// The canvas a picture is drawn into when it does not fit: each side divided
// by the factor and cut down to whole twips. Factor must not be 0.
TwipsBox fittedCanvas(const PictureTwips& picture, float factor);

// A drawn size in twips as whole pixels: each side to the nearest pixel and
// at least one. Cutting down instead would leave the side that fills the box
// a pixel short whenever it lands a fraction of a twip below the box, which
// the fitting arithmetic does routinely.
PixelSize nearestPixels(double widthTwips, double heightTwips, std::int32_t twipsPerPixelX,
                        std::int32_t twipsPerPixelY);

// The canvas of fittedCanvas in whole pixels.
PixelSize fittedPixels(const PictureTwips& picture, float factor, std::int32_t twipsPerPixelX,
                       std::int32_t twipsPerPixelY);

}  // namespace rivano
