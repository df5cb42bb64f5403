#include "engine/wallpaper.h"

#include <algorithm>

namespace rivano {

void writeTileWallpaper(Registry& registry, bool tile) {
  registry.myRegSetString(RegRoot::currentUser, std::wstring(kDesktopKey), L"TileWallpaper",
                          tile ? L"1" : L"0");
}

void writeWallpaperPath(Registry& registry, const std::wstring& bitmapPath) {
  registry.myRegSetString(RegRoot::currentUser, std::wstring(kDesktopKey), L"Wallpaper", bitmapPath);
}

void saveAsLoaded(const Picture& picture, BitmapFileWriter& writer, const std::wstring& bitmapPath) {
  writer.write(bitmapPath, picture.asLoaded());
}

PixelImage fitPictureImage(const Picture& picture, const ScreenMetrics& screen,
                           std::int16_t marginPercent) {
  const PictureTwips size = picture.sizeTwips();
  const TwipsBox box = myFitBox(screen.twips, marginPercent);
  const float factor = myFitRatio(size, box);
  if (factor == 0.0f) return picture.asLoaded();
  const TwipsBox canvas = fittedCanvas(size, factor);
  // Whole pixels, cut down so that the canvas never exceeds the box.
  const std::int32_t width = std::max(1, canvas.width / screen.twipsPerPixelX);
  const std::int32_t height = std::max(1, canvas.height / screen.twipsPerPixelY);
  return picture.stretched(width, height);
}

void myFitPicture(const Picture& picture, const ScreenMetrics& screen, std::int16_t marginPercent,
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

}  // namespace rivano
