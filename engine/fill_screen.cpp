#include "engine/fill_screen.h"

#include <algorithm>

namespace rivano {

std::optional<FillPlan> fillPlan(const PictureTwips& picture, const TwipsBox& box, const ScreenMetrics& screen) {
  if (box.width <= 0 || box.height <= 0) return std::nullopt;
  if (!(picture.width > static_cast<float>(box.width) && picture.height > static_cast<float>(box.height)))
    return std::nullopt;
  // The smaller of the two ratios: the side that shrinks the least still
  // reaches its edge of the box, the other overhangs.
  const double factor = std::min(static_cast<double>(picture.width) / box.width,
                                 static_cast<double>(picture.height) / box.height);
  FillPlan plan;
  // Whole pixels by the rule every fitted size follows: the nearest.
  plan.kept = nearestPixels(box.width, box.height, screen.twipsPerPixelX, screen.twipsPerPixelY);
  const PixelSize covering = nearestPixels(picture.width / factor, picture.height / factor, screen.twipsPerPixelX,
                                           screen.twipsPerPixelY);
  plan.covering = {std::max(plan.kept.width, covering.width), std::max(plan.kept.height, covering.height)};
  plan.left = (plan.covering.width - plan.kept.width) / 2;
  plan.top = (plan.covering.height - plan.kept.height) / 2;
  return plan;
}

PixelImage middleOf(const PixelImage& image, std::int32_t left, std::int32_t top, PixelSize size) {
  PixelImage out{size.width, size.height, {}};
  out.pixels.reserve(static_cast<std::size_t>(size.width) * static_cast<std::size_t>(size.height));
  for (std::int32_t y = 0; y < size.height; ++y) {
    const auto row = image.pixels.begin() +
                     static_cast<std::ptrdiff_t>(static_cast<std::size_t>(top + y) * static_cast<std::size_t>(image.width) +
                                                 static_cast<std::size_t>(left));
    out.pixels.insert(out.pixels.end(), row, row + size.width);
  }
  return out;
}

std::optional<PixelImage> filledImage(const Picture& picture, const ScreenMetrics& screen, std::int16_t marginPercent) {
  const std::optional<FillPlan> plan = fillPlan(picture.sizeTwips(), fitBox(screen.twips, marginPercent), screen);
  if (!plan) return std::nullopt;
  const PixelImage covering = picture.stretched(plan->covering.width, plan->covering.height);
  return middleOf(covering, plan->left, plan->top, plan->kept);
}

}  // namespace rivano
