#include "engine/wallpaper.h"

#include <algorithm>

#include "common/run_error.h"
#include "engine/fill_screen.h"

namespace rivano {

void writeTileWallpaper(SystemRegistry& registry, bool tile) {
  registry.writeSystemText(RegRoot::currentUser, std::wstring(kDesktopKey), L"TileWallpaper",
                          tile ? L"1" : L"0");
}

void writeWallpaperPath(SystemRegistry& registry, const std::wstring& bitmapPath) {
  registry.writeSystemText(RegRoot::currentUser, std::wstring(kDesktopKey), L"Wallpaper", bitmapPath);
}

PixelSize DrawTargets::largestDrawn(PixelSize natural, const ScreenMetrics& screen) const {
  if (asLoaded_ || (boxes_.empty() && fillBoxes_.empty())) return natural;
  const PictureTwips size{static_cast<float>(natural.width * screen.twipsPerPixelX),
                          static_cast<float>(natural.height * screen.twipsPerPixelY)};
  PixelSize largest{0, 0};
  std::vector<TwipsBox> fitted = boxes_;
  for (const TwipsBox& box : fillBoxes_) {
    if (const std::optional<FillPlan> plan = fillPlan(size, box, screen)) {
      largest.width = std::max(largest.width, plan->covering.width);
      largest.height = std::max(largest.height, plan->covering.height);
    } else {
      fitted.push_back(box);
    }
  }
  if (fitted.empty()) return largest;
  for (const TwipsBox& box : fitted) {
    // A box of nothing makes the fitting itself fail later, where that
    // failure belongs; here it only asks for the whole picture.
    const float factor = box.width > 0 && box.height > 0 ? fitFactor(size, box) : 0.0f;
    if (factor == 0.0f) return natural;
    const PixelSize drawn = fittedPixels(size, factor, screen.twipsPerPixelX, screen.twipsPerPixelY);
    largest.width = std::max(largest.width, drawn.width);
    largest.height = std::max(largest.height, drawn.height);
  }
  return largest;
}

DrawTargets wallpaperTargets(const ScreenMetrics& screen, bool shrink, std::int16_t marginPercent, bool fill) {
  DrawTargets targets;
  if (!shrink) return targets.asLoaded();
  try {
    const TwipsBox box = fitBox(screen.twips, marginPercent);
    if (fill) targets.filling(box);
    else targets.fittedInto(box);
  } catch (const RunError&) {
    // A margin the box cannot be made from fails the change itself, with
    // its own dialog; the picture is loaded whole meanwhile.
    targets.asLoaded();
  }
  return targets;
}

DrawTargets previewTargets(const TwipsBox& previewBox) { return DrawTargets{}.fittedInto(previewBox); }

void saveAsLoaded(const Picture& picture, BitmapFileWriter& writer, const std::wstring& bitmapPath) {
  writer.write(bitmapPath, picture.asLoaded());
}

PixelImage fitPictureImage(const Picture& picture, const ScreenMetrics& screen,
                           std::int16_t marginPercent) {
  const PictureTwips size = picture.sizeTwips();
  const TwipsBox box = fitBox(screen.twips, marginPercent);
  const float factor = fitFactor(size, box);
  if (factor == 0.0f) return picture.asLoaded();
  const PixelSize drawn = fittedPixels(size, factor, screen.twipsPerPixelX, screen.twipsPerPixelY);
  return picture.stretched(drawn.width, drawn.height);
}

void writeFittedPicture(const Picture& picture, const ScreenMetrics& screen, std::int16_t marginPercent,
                        BitmapFileWriter& writer, const std::wstring& bitmapPath) {
  writer.write(bitmapPath, fitPictureImage(picture, screen, marginPercent));
}

PixelImage wallpaperImage(const Picture& picture, const ScreenMetrics& screen, bool shrink,
                          std::int16_t marginPercent) {
  return shrink ? fitPictureImage(picture, screen, marginPercent) : picture.asLoaded();
}

void placeWallpaper(const PixelImage& image, bool tile, const WallpaperTarget& target) {
  target.writer.write(target.bitmapPath, image);
  writeTileWallpaper(target.registry, tile);
}

void changeWallpaperNow(const PixelImage& image, bool tile, const WallpaperTarget& target) {
  placeWallpaper(image, tile, target);
  target.desktop.setWallpaper(target.bitmapPath);
}

void changeWallpaperAtNextStart(const PixelImage& image, bool tile, const WallpaperTarget& target) {
  target.writer.write(target.bitmapPath, image);
  writeWallpaperPath(target.registry, target.bitmapPath);
  writeTileWallpaper(target.registry, tile);
}

WallpaperLook wallpaperLook(const Picture& picture, const ExitChangeRules& rules) {
  if (rules.shrink && rules.fill) {
    if (std::optional<PixelImage> filled = filledImage(picture, rules.screen, rules.marginPercent))
      return {std::move(*filled), false};
  }
  const bool tile = tileDecision(rules.tileOption, rules.screen.twips, picture.sizeTwips(), rules.tileAcross,
                                 rules.tileDown);
  return {wallpaperImage(picture, rules.screen, rules.shrink, rules.marginPercent), tile};
}

void changeAtExit(const Picture& picture, const ExitChangeRules& rules, const WallpaperTarget& target) {
  const WallpaperLook look = wallpaperLook(picture, rules);
  changeWallpaperAtNextStart(look.image, look.tile, target);
}

}  // namespace rivano
