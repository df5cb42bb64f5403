#include "engine/preview_plan.h"

#include "common/rounding.h"

namespace rivano {

PreviewPlan planPreview(const PictureTwips& picture, float boxWidth, float boxHeight, float factor) {
  const float w = static_cast<float>(roundToInt32(picture.width));
  const float h = static_cast<float>(roundToInt32(picture.height));
  PreviewPlan plan;
  if (factor == 0.0f) {
    plan.width = w;
    plan.height = h;
    plan.x0 = (boxWidth - w) / 2;
    plan.y0 = (boxHeight - h) / 2;
    return plan;
  }
  plan.width = w / factor;
  plan.height = h / factor;
  plan.x0 = (boxWidth - plan.width) / 2;
  plan.y0 = (boxHeight - plan.height) / 2;
  plan.progressive = w + h >= 12000;
  // A picture that fills the box's width leaves room above and below: it is
  // revealed from the left; otherwise from the top.
  plan.stripsAcross = 10.0f * plan.y0 > plan.x0;
  return plan;
}

PixelSize previewPixels(const PreviewPlan& plan, std::int32_t twipsPerPixelX, std::int32_t twipsPerPixelY) {
  return nearestPixels(plan.width, plan.height, twipsPerPixelX, twipsPerPixelY);
}

StripRect previewStrip(const PreviewPlan& plan, std::int32_t w, std::int32_t h, int b) {
  // Edges at whole fifths, so the five strips cover the picture exactly.
  if (plan.stripsAcross) {
    const std::int32_t from = w * b / 5, to = w * (b + 1) / 5;
    return {from, 0, to - from, h};
  }
  const std::int32_t from = h * b / 5, to = h * (b + 1) / 5;
  return {0, from, w, to - from};
}

}  // namespace rivano
