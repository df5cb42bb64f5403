#include "engine/orientation.h"

#include <algorithm>
#include <utility>

namespace rivano {

bool swapsSides(int orientation) { return orientation >= 5 && orientation <= 8; }

PixelImage shownAsTaken(PixelImage stored, int orientation) {
  if (orientation < 2 || orientation > 8) return stored;
  const std::int32_t w = stored.width;
  const std::int32_t h = stored.height;
  auto row = [&](std::int32_t y) { return stored.pixels.begin() + static_cast<std::ptrdiff_t>(y) * w; };
  // The mirror and the half turn stay in place: no second picture held.
  if (orientation == 2 || orientation == 3) {
    for (std::int32_t y = 0; y < h; ++y) std::reverse(row(y), row(y) + w);
  }
  if (orientation == 3 || orientation == 4) {
    for (std::int32_t y = 0; y < h / 2; ++y) std::swap_ranges(row(y), row(y) + w, row(h - 1 - y));
  }
  if (!swapsSides(orientation)) return stored;

  // Shown x runs down the stored picture and shown y across it; the four
  // differ only in which ends they start from.
  const bool fromRight = orientation == 7 || orientation == 8;   // shown row 0 is the stored right column
  const bool fromBottom = orientation == 6 || orientation == 7;  // shown column 0 is the stored bottom row
  PixelImage shown{h, w, std::vector<std::uint32_t>(stored.pixels.size())};
  for (std::int32_t y = 0; y < shown.height; ++y) {
    const std::int32_t sx = fromRight ? w - 1 - y : y;
    std::uint32_t* out = shown.pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(shown.width);
    for (std::int32_t x = 0; x < shown.width; ++x) {
      const std::int32_t sy = fromBottom ? h - 1 - x : x;
      out[x] = stored.pixels[static_cast<std::size_t>(sy) * static_cast<std::size_t>(w) + static_cast<std::size_t>(sx)];
    }
  }
  return shown;
}

}  // namespace rivano
