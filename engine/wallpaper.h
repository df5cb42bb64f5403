// Turning a loaded picture into the desktop wallpaper: the tile flag, the
// one bitmap file (shrunk into the fitting box or as loaded) and the call
// that makes the desktop show it. Each caller runs these steps in its own
// order; the platform supplies the loader, the file writer and the desktop.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/fit_rules.h"
#include "engine/pixel_image.h"
#include "settings/registry.h"

namespace rivano {

inline constexpr std::wstring_view kDesktopKey = L"Control Panel\\desktop";

struct ScreenMetrics {
  ScreenTwips twips;
  std::int32_t twipsPerPixelX = 15;
  std::int32_t twipsPerPixelY = 15;
};

// A picture as the loader made it: its natural size and a way to draw it.
class Picture {
 public:
  virtual ~Picture() = default;
  virtual PictureTwips sizeTwips() const = 0;
  // The picture at its own size (raster pictures) or at its natural size
  // on this screen (metafiles).
  virtual PixelImage asLoaded() const = 0;
  // The whole picture stretched to fill width × height pixels.
  virtual PixelImage stretched(std::int32_t width, std::int32_t height) const = 0;
};

class PictureLoader {
 public:
  virtual ~PictureLoader() = default;
  // Raises RunError 53 (no such file), 76 (no such folder) or 481 (not a
  // picture this loader reads).
  virtual std::unique_ptr<Picture> load(const std::wstring& path) = 0;
};

class BitmapFileWriter {
 public:
  virtual ~BitmapFileWriter() = default;
  // Replaces the file only once the new one is complete; raises RunError.
  virtual void write(const std::wstring& path, const PixelImage& image) = 0;
};

class Desktop {
 public:
  virtual ~Desktop() = default;
  // Makes the desktop show the bitmap now and records it as the wallpaper.
  virtual void setWallpaper(const std::wstring& bitmapPath) = 0;
};

void writeTileWallpaper(Registry& registry, bool tile);
void writeWallpaperPath(Registry& registry, const std::wstring& bitmapPath);

// Saves the picture as loaded.
void saveAsLoaded(const Picture& picture, BitmapFileWriter& writer, const std::wstring& bitmapPath);

// Saves the picture shrunk into the fitting box (screen less the margin)
// when it is larger, otherwise as loaded. Returns the pixel size written.
PixelImage fitPictureImage(const Picture& picture, const ScreenMetrics& screen,
                           std::int16_t marginPercent);
void myFitPicture(const Picture& picture, const ScreenMetrics& screen, std::int16_t marginPercent,
                  BitmapFileWriter& writer, const std::wstring& bitmapPath);

}  // namespace rivano
