// Turning a loaded picture into the desktop wallpaper: the one bitmap file
// (shrunk into the fitting box or as loaded), the desktop's values and the
// call that makes the desktop show it. The bitmap always comes first, so a
// picture that fails on its way to the file changes nothing the desktop
// reads. The platform supplies the loader, the file writer and the desktop.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/system_registry.h"
#include "engine/fit_rules.h"
#include "engine/pixel_image.h"

namespace rivano {

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

// The sizes a picture is going to be drawn at once it is loaded, so that a
// loader able to decode at a fraction of the size keeps no more pixels than
// they need. Nothing said means the picture as loaded.
class DrawTargets {
 public:
  // Drawn at its own size.
  DrawTargets& asLoaded() {
    asLoaded_ = true;
    return *this;
  }
  // Fitted into a box in twips: at its own size when it fits, otherwise
  // shrunk by the fitting rules.
  DrawTargets& fittedInto(const TwipsBox& box) {
    boxes_.push_back(box);
    return *this;
  }
  // Filling a box in twips: shrunk until it covers the box when it is
  // larger on both sides, otherwise fitted into it.
  DrawTargets& filling(const TwipsBox& box) {
    fillBoxes_.push_back(box);
    return *this;
  }
  // The largest size, side by side, that any of them draws a picture of
  // `natural` pixels at.
  PixelSize largestDrawn(PixelSize natural, const ScreenMetrics& screen) const;
  // More than one size may be asked for (a preview and the wallpaper): a
  // loader then keeps what each of them can be made from.
  bool severalSizes() const { return (asLoaded_ ? 1 : 0) + boxes_.size() + fillBoxes_.size() > 1; }

 private:
  bool asLoaded_ = false;
  std::vector<TwipsBox> boxes_;
  std::vector<TwipsBox> fillBoxes_;
};

// What a change writes: the picture fitted into the fitting box when
// `shrink` is on, otherwise as loaded.
DrawTargets wallpaperTargets(const ScreenMetrics& screen, bool shrink, std::int16_t marginPercent,
                             bool fill = false);

// What a click loads a picture for: its preview box alone. The smallest
// decode that covers the box is quick even for a large photograph, and
// what is kept until a change is that thumbnail and the compressed file; a
// change decodes the wallpaper's size from the file then, and only then.
DrawTargets previewTargets(const TwipsBox& previewBox);

class PictureLoader {
 public:
  virtual ~PictureLoader() = default;
  // Raises RunError 53 (no such file), 76 (no such folder) or 481 (not a
  // picture this loader reads). The picture can be drawn at any size; at
  // those of `targets` it is quickest.
  virtual std::unique_ptr<Picture> load(const std::wstring& path, const DrawTargets& targets) = 0;
  std::unique_ptr<Picture> load(const std::wstring& path) { return load(path, DrawTargets{}); }
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

void writeTileWallpaper(SystemRegistry& registry, bool tile);
void writeWallpaperPath(SystemRegistry& registry, const std::wstring& bitmapPath);

// Saves the picture as loaded.
void saveAsLoaded(const Picture& picture, BitmapFileWriter& writer, const std::wstring& bitmapPath);

// Saves the picture shrunk into the fitting box (screen less the margin)
// when it is larger, otherwise as loaded. Returns the pixel size written.
PixelImage fitPictureImage(const Picture& picture, const ScreenMetrics& screen,
                           std::int16_t marginPercent);
void writeFittedPicture(const Picture& picture, const ScreenMetrics& screen, std::int16_t marginPercent,
                        BitmapFileWriter& writer, const std::wstring& bitmapPath);

// The image a change writes: shrunk into the fitting box when `shrink` is
// on and the picture is larger, otherwise as loaded.
PixelImage wallpaperImage(const Picture& picture, const ScreenMetrics& screen, bool shrink,
                          std::int16_t marginPercent);

// What a change writes and whether the desktop tiles it: with shrinking
// and filling on, a picture larger than the box on both sides fills it and
// is never tiled; otherwise as wallpaperImage and the entry's tile rule.
struct WallpaperLook {
  PixelImage image;
  bool tile = false;
};

// Where a change goes: the bitmap file, the registry holding the desktop's
// values, and the desktop itself.
struct WallpaperTarget {
  BitmapFileWriter& writer;
  SystemRegistry& registry;
  Desktop& desktop;
  std::wstring bitmapPath;
};

// Writes the bitmap file and, only once it is in place, the tile flag.
// A failed write raises RunError with "TileWallpaper" as it was.
void placeWallpaper(const PixelImage& image, bool tile, const WallpaperTarget& target);
// placeWallpaper, then the desktop shows the file at once.
void changeWallpaperNow(const PixelImage& image, bool tile, const WallpaperTarget& target);
// The bitmap file, then "Wallpaper" and "TileWallpaper": the desktop shows
// it the next time the system reads its settings.
void changeWallpaperAtNextStart(const PixelImage& image, bool tile, const WallpaperTarget& target);

// How the change at exit draws a picture: the fitting options, and the
// tile rule and counts of the entry the picture comes from.
struct ExitChangeRules {
  const ScreenMetrics& screen;
  bool shrink;
  std::int16_t marginPercent;
  std::int16_t tileOption;
  std::int16_t tileAcross;
  std::int16_t tileDown;
  bool fill = false;
};
WallpaperLook wallpaperLook(const Picture& picture, const ExitChangeRules& rules);

// The change made as the program ends: the picture becomes the wallpaper
// of the next start, tiled as the entry's rule decides for its size.
void changeAtExit(const Picture& picture, const ExitChangeRules& rules, const WallpaperTarget& target);

}  // namespace rivano
