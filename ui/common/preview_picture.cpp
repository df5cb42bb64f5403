#include "ui/common/preview_picture.h"

#include <commctrl.h>


#include "engine/fit_rules.h"
#include "engine/preview_plan.h"

namespace rivano {

void drawPreview(const Picture& picture, win::PictureBox& box, float factor, HWND progress,
                 const ScreenMetrics& screen) {
  const int tppX = screen.twipsPerPixelX, tppY = screen.twipsPerPixelY;
  const float boxWidth = static_cast<float>(box.innerWidthPixels() * tppX);
  const float boxHeight = static_cast<float>(box.innerHeightPixels() * tppY);
  const PreviewPlan plan = planPreview(picture.sizeTwips(), boxWidth, boxHeight, factor);
  box.clear();
  const PixelSize shrunk = previewPixels(plan, tppX, tppY);
  const int x = static_cast<int>(plan.x0) / tppX, y = static_cast<int>(plan.y0) / tppY;
  const PixelImage drawn = factor == 0.0f ? picture.asLoaded() : picture.stretched(shrunk.width, shrunk.height);
  if (!plan.progressive) {
    box.draw(drawn, x, y, RECT{0, 0, drawn.width, drawn.height});
    return;
  }
  SendMessageW(progress, PBM_SETRANGE32, 0, 5);
  SendMessageW(progress, PBM_SETPOS, 0, 0);
  ShowWindow(progress, SW_SHOW);
  for (int b = 0; b < 5; ++b) {
    SendMessageW(progress, PBM_SETPOS, b + 1, 0);
    UpdateWindow(progress);
    const StripRect s = previewStrip(plan, drawn.width, drawn.height, b);
    box.draw(drawn, x, y, RECT{s.left, s.top, s.left + s.width, s.top + s.height});
  }
  ShowWindow(progress, SW_HIDE);
}

TwipsBox previewBoxTwips(const win::PictureBox& box, const ScreenMetrics& screen) {
  return {box.innerWidthPixels() * screen.twipsPerPixelX, box.innerHeightPixels() * screen.twipsPerPixelY};
}

DrawTargets previewAndWallpaperTargets(const win::PictureBox& box, const ScreenMetrics& screen, bool shrink,
                                       std::int16_t marginPercent) {
  DrawTargets targets = wallpaperTargets(screen, shrink, marginPercent);
  targets.fittedInto(previewBoxTwips(box, screen));
  return targets;
}

void drawPreview(const Picture& picture, win::PictureBox& box, HWND progress, const ScreenMetrics& screen) {
  drawPreview(picture, box, fitFactor(picture.sizeTwips(), previewBoxTwips(box, screen)), progress, screen);
}

}  // namespace rivano
