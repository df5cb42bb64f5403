#include "engine/fit_rules.h"

#include <algorithm>

#include "common/rounding.h"
#include "common/run_error.h"

namespace rivano {

bool smallEnoughToTile(const ScreenTwips& screen, const PictureTwips& picture, std::int16_t across,
                       std::int16_t down) {
  // The product is formed in single precision, as the counts are converted
  // to single before multiplying.
  const std::int32_t spanAcross = roundToInt32(static_cast<float>(across) * picture.width);
  const std::int32_t spanDown = roundToInt32(static_cast<float>(down) * picture.height);
  return screen.width > spanAcross || screen.height > spanDown;
}

bool tileDecision(std::int16_t tileOption, const ScreenTwips& screen, const PictureTwips& picture,
                  std::int16_t across, std::int16_t down) {
  if (tileOption == 0) return false;
  if (tileOption == 1) return true;
  return smallEnoughToTile(screen, picture, across, down);
}

namespace {

std::int32_t boxSide(std::int16_t k, std::int32_t screenSide) {
  const std::int64_t product = static_cast<std::int64_t>(k) * screenSide;
  if (product < INT32_MIN || product > INT32_MAX) throw RunError(err::overflow);
  return roundToInt32(static_cast<double>(product) / 100.0);
}

}  // namespace

TwipsBox fitBox(const ScreenTwips& screen, std::int16_t marginPercent) {
  const std::int32_t k = 100 - static_cast<std::int32_t>(marginPercent);
  if (k < INT16_MIN || k > INT16_MAX) throw RunError(err::overflow);
  return {boxSide(static_cast<std::int16_t>(k), screen.width),
          boxSide(static_cast<std::int16_t>(k), screen.height)};
}

float fitFactor(const PictureTwips& picture, const TwipsBox& box) {
  const std::int32_t w = roundToInt32(picture.width);
  const std::int32_t h = roundToInt32(picture.height);
  const bool tall = h > box.height;
  const bool wide = w > box.width;
  auto ratio = [](std::int32_t side, std::int32_t boxSide) {
    if (boxSide == 0) throw RunError(err::divisionByZero);
    return static_cast<float>(static_cast<double>(side) / static_cast<double>(boxSide));
  };
  if (tall && wide) {
    // Excesses compared in twips; a tie goes to the width.
    const std::int64_t heightExcess = static_cast<std::int64_t>(h) - box.height;
    const std::int64_t widthExcess = static_cast<std::int64_t>(w) - box.width;
    return heightExcess > widthExcess ? ratio(h, box.height) : ratio(w, box.width);
  }
  if (tall) return ratio(h, box.height);
  if (wide) return ratio(w, box.width);
  return 0.0f;
}

TwipsBox fittedCanvas(const PictureTwips& picture, float factor) {
  if (factor == 0.0f) throw RunError(err::divisionByZero);
  const double f = factor;
  return {floorToInt32(static_cast<double>(picture.width) / f),
          floorToInt32(static_cast<double>(picture.height) / f)};
}

PixelSize nearestPixels(double widthTwips, double heightTwips, std::int32_t twipsPerPixelX,
                        std::int32_t twipsPerPixelY) {
  return {std::max(1, roundToInt32(widthTwips / twipsPerPixelX)),
          std::max(1, roundToInt32(heightTwips / twipsPerPixelY))};
}

PixelSize fittedPixels(const PictureTwips& picture, float factor, std::int32_t twipsPerPixelX,
                       std::int32_t twipsPerPixelY) {
  const TwipsBox canvas = fittedCanvas(picture, factor);
  return nearestPixels(canvas.width, canvas.height, twipsPerPixelX, twipsPerPixelY);
}

}  // namespace rivano
