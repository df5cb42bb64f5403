#include "common/dpi_scale.h"

#include <cstdlib>

namespace rivano {

namespace {
constexpr int kPercents[kPictureScaleCount] = {100, 125, 150, 200};
}

int nearestPictureScale(int dpi) {
  // Compared as hundredths of the base DPI, exactly: 100 % is 96 DPI.
  const int wanted = dpi * 100;
  int best = 0;
  for (int i = 1; i < kPictureScaleCount; ++i)
    if (std::abs(kPercents[i] * kBaseDpi - wanted) <= std::abs(kPercents[best] * kBaseDpi - wanted)) best = i;
  return best;
}

int pictureScalePercent(int index) {
  return index >= 0 && index < kPictureScaleCount ? kPercents[index] : kPercents[0];
}

int picturePixels(int basePixels, int dpi) {
  return basePixels * pictureScalePercent(nearestPictureScale(dpi)) / 100;
}

}  // namespace rivano
