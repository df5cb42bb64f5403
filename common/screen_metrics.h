// Sizes in twips and pixels, and the screen they are measured on. Twips are
// what the fitting rules count in; the screen says how many make a pixel.
#pragma once

#include <cstdint>

namespace rivano {

struct ScreenTwips {
  std::int32_t width = 0;
  std::int32_t height = 0;
};

// A loaded picture's natural size, single precision as the loader reports it.
struct PictureTwips {
  float width = 0;
  float height = 0;
};

struct TwipsBox {
  std::int32_t width = 0;
  std::int32_t height = 0;
  bool operator==(const TwipsBox&) const = default;
};

struct PixelSize {
  std::int32_t width = 0;
  std::int32_t height = 0;
  bool operator==(const PixelSize&) const = default;
};

struct ScreenMetrics {
  ScreenTwips twips;
  std::int32_t twipsPerPixelX = 15;
  std::int32_t twipsPerPixelY = 15;
};

}  // namespace rivano
