#include "engine/wallpaper.h"

#include <gtest/gtest.h>

#include "tests/unit/memory_registry.h"

namespace rivano {
namespace {

// A plain-colour picture whose stretched form reports the size asked for.
class SolidPicture : public Picture {
 public:
  SolidPicture(std::int32_t w, std::int32_t h) : w_(w), h_(h) {}
  PictureTwips sizeTwips() const override {
    return {static_cast<float>(w_ * 15), static_cast<float>(h_ * 15)};
  }
  PixelImage asLoaded() const override { return stretched(w_, h_); }
  PixelImage stretched(std::int32_t w, std::int32_t h) const override {
    return {w, h, std::vector<std::uint32_t>(static_cast<std::size_t>(w) * h, 0x123456)};
  }

 private:
  std::int32_t w_, h_;
};

class KeptFile : public BitmapFileWriter {
 public:
  void write(const std::wstring& path, const PixelImage& image) override {
    lastPath = path;
    last = image;
  }
  std::wstring lastPath;
  PixelImage last;
};

const ScreenMetrics kScreen{{15360, 11520}, 15, 15};

TEST(FitPicture, PictureWithinTheBoxIsSavedAtItsOwnSize) {
  KeptFile file;
  myFitPicture(SolidPicture(800, 600), kScreen, 0, file, L"C:\\R\\Rivano.bmp");
  EXPECT_EQ(file.lastPath, L"C:\\R\\Rivano.bmp");
  EXPECT_EQ(file.last.width, 800);
  EXPECT_EQ(file.last.height, 600);
}

TEST(FitPicture, LargerPictureShrinksIntoTheMarginBox) {
  KeptFile file;
  // 1280 × 960 px = 19200 × 14400 twips; 95 % box = 14592 × 10944 = 972.8 × 729.6 px.
  myFitPicture(SolidPicture(1280, 960), kScreen, 5, file, L"x.bmp");
  EXPECT_EQ(file.last.width, 972);
  EXPECT_EQ(file.last.height, 729);
  // A wide picture: only the width decides.
  myFitPicture(SolidPicture(6000, 100), kScreen, 0, file, L"x.bmp");
  EXPECT_EQ(file.last.width, 1024);
  EXPECT_EQ(file.last.height, 17);
}

TEST(DesktopValues, TileFlagAndWallpaperPath) {
  testing::MemoryRegistry registry;
  writeTileWallpaper(registry, true);
  writeWallpaperPath(registry, L"C:\\R\\Rivano.bmp");
  EXPECT_EQ(registry.myRegGetString(RegRoot::currentUser, L"Control Panel\\desktop", L"TileWallpaper", L""), L"1");
  writeTileWallpaper(registry, false);
  EXPECT_EQ(registry.myRegGetString(RegRoot::currentUser, L"Control Panel\\Desktop", L"TileWallpaper", L""), L"0");
  EXPECT_EQ(registry.myRegGetString(RegRoot::currentUser, L"Control Panel\\desktop", L"Wallpaper", L""),
            L"C:\\R\\Rivano.bmp");
}

}  // namespace
}  // namespace rivano
