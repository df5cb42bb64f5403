#include "engine/wallpaper.h"

#include <gtest/gtest.h>

#include "common/run_error.h"
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
  writeFittedPicture(SolidPicture(800, 600), kScreen, 0, file, L"C:\\R\\Rivano.bmp");
  EXPECT_EQ(file.lastPath, L"C:\\R\\Rivano.bmp");
  EXPECT_EQ(file.last.width, 800);
  EXPECT_EQ(file.last.height, 600);
}

TEST(FitPicture, LargerPictureShrinksIntoTheMarginBox) {
  KeptFile file;
  // 1280 × 960 px = 19200 × 14400 twips; 95 % box = 14592 × 10944 = 972.8 × 729.6 px,
  // each side to its nearest pixel.
  writeFittedPicture(SolidPicture(1280, 960), kScreen, 5, file, L"x.bmp");
  EXPECT_EQ(file.last.width, 973);
  EXPECT_EQ(file.last.height, 730);
  // A wide picture: only the width decides.
  writeFittedPicture(SolidPicture(6000, 100), kScreen, 0, file, L"x.bmp");
  EXPECT_EQ(file.last.width, 1024);
  EXPECT_EQ(file.last.height, 17);
}

TEST(FitPicture, AShrunkPictureFillsTheWholeScreen) {
  KeptFile file;
  // 16:9 on a 16:9 screen: the canvas comes out a twip short of the screen
  // on both sides, which must not cost a pixel.
  const ScreenMetrics fullHd{{28800, 16200}, 15, 15};
  writeFittedPicture(SolidPicture(2560, 1440), fullHd, 0, file, L"x.bmp");
  EXPECT_EQ(file.last.width, 1920);
  EXPECT_EQ(file.last.height, 1080);
  writeFittedPicture(SolidPicture(600, 805), kScreen, 0, file, L"x.bmp");
  EXPECT_EQ(file.last.width, 572);
  EXPECT_EQ(file.last.height, 768);
}

TEST(DesktopValues, TileFlagAndWallpaperPath) {
  testing::MemoryRegistry registry;
  writeTileWallpaper(registry, true);
  writeWallpaperPath(registry, L"C:\\R\\Rivano.bmp");
  EXPECT_EQ(registry.readSystemText(RegRoot::currentUser, L"Control Panel\\desktop", L"TileWallpaper", L""), L"1");
  writeTileWallpaper(registry, false);
  EXPECT_EQ(registry.readSystemText(RegRoot::currentUser, L"Control Panel\\Desktop", L"TileWallpaper", L""), L"0");
  EXPECT_EQ(registry.readSystemText(RegRoot::currentUser, L"Control Panel\\desktop", L"Wallpaper", L""),
            L"C:\\R\\Rivano.bmp");
}

// Every step of a change, in the order it reaches the writer, the registry
// and the desktop.
class StepLog {
 public:
  std::vector<std::wstring> steps;
};

class LoggedFile : public BitmapFileWriter {
 public:
  LoggedFile(StepLog& log, int failWith = 0) : log_(log), failWith_(failWith) {}
  void write(const std::wstring& path, const PixelImage& image) override {
    if (failWith_) throw RunError(failWith_);
    log_.steps.push_back(L"bitmap " + path + L" " + std::to_wstring(image.width));
  }

 private:
  StepLog& log_;
  int failWith_;
};

class LoggedRegistry : public testing::MemoryRegistry {
 public:
  explicit LoggedRegistry(StepLog& log) : log_(log) {}
  bool writeSystemText(RegRoot root, const std::wstring& key, const std::wstring& name,
                       const std::wstring& data) override {
    log_.steps.push_back(L"set " + name + L"=" + data);
    return MemoryRegistry::writeSystemText(root, key, name, data);
  }

 private:
  StepLog& log_;
};

class LoggedDesktop : public Desktop {
 public:
  explicit LoggedDesktop(StepLog& log) : log_(log) {}
  void setWallpaper(const std::wstring& path) override { log_.steps.push_back(L"desktop " + path); }

 private:
  StepLog& log_;
};

TEST(WallpaperChange, TheBitmapComesBeforeEveryDesktopValue) {
  const PixelImage image = SolidPicture(30, 20).asLoaded();
  {
    StepLog log;
    LoggedFile file(log);
    LoggedRegistry registry(log);
    LoggedDesktop desktop(log);
    changeWallpaperNow(image, true, {file, registry, desktop, L"C:\\R\\Rivano.bmp"});
    EXPECT_EQ(log.steps, (std::vector<std::wstring>{L"bitmap C:\\R\\Rivano.bmp 30", L"set TileWallpaper=1",
                                                    L"desktop C:\\R\\Rivano.bmp"}));
  }
  {
    StepLog log;
    LoggedFile file(log);
    LoggedRegistry registry(log);
    LoggedDesktop desktop(log);
    changeWallpaperAtNextStart(image, false, {file, registry, desktop, L"C:\\R\\Rivano.bmp"});
    EXPECT_EQ(log.steps, (std::vector<std::wstring>{L"bitmap C:\\R\\Rivano.bmp 30",
                                                    L"set Wallpaper=C:\\R\\Rivano.bmp",
                                                    L"set TileWallpaper=0"}));
  }
}

TEST(WallpaperChange, AFailedWriteLeavesTheDesktopValuesAndTheDesktopAlone) {
  const PixelImage image = SolidPicture(30, 20).asLoaded();
  for (int number : {7, 70, 61}) {
    StepLog log;
    LoggedFile file(log, number);
    LoggedRegistry registry(log);
    LoggedDesktop desktop(log);
    const WallpaperTarget target{file, registry, desktop, L"x.bmp"};
    try {
      changeWallpaperNow(image, true, target);
      ADD_FAILURE() << "no error from the change";
    } catch (const RunError& e) {
      EXPECT_EQ(e.number(), number);
    }
    EXPECT_THROW(changeWallpaperAtNextStart(image, true, target), RunError);
    EXPECT_EQ(log.steps, std::vector<std::wstring>{}) << number;
  }
}

TEST(WallpaperChange, TheShrinkSwitchChoosesTheFittedImage) {
  const SolidPicture big(1280, 960);
  EXPECT_EQ(wallpaperImage(big, kScreen, false, 5).width, 1280);
  EXPECT_EQ(wallpaperImage(big, kScreen, true, 5).width, 973);
  EXPECT_EQ(wallpaperImage(SolidPicture(100, 50), kScreen, true, 5).width, 100);
}

}  // namespace
}  // namespace rivano

namespace rivano {
namespace {

TEST(DrawTargets, TheLargestSizeOfTheWallpaperAndThePreviewIsKept) {
  // 1024 × 768 screen; a 6000 × 4000 picture fits it at 1024 × 683 (682.7).
  EXPECT_EQ(wallpaperTargets(kScreen, true, 0).largestDrawn({6000, 4000}, kScreen), (PixelSize{1024, 683}));
  // A preview box of 100 × 75 px asks for less; together the wallpaper wins.
  DrawTargets both = wallpaperTargets(kScreen, true, 0);
  both.fittedInto({1500, 1125});
  EXPECT_EQ(both.largestDrawn({6000, 4000}, kScreen), (PixelSize{1024, 683}));
  EXPECT_EQ(DrawTargets{}.fittedInto({1500, 1125}).largestDrawn({6000, 4000}, kScreen), (PixelSize{100, 67}));
  // A margin makes the wallpaper smaller: 95 % of the screen.
  EXPECT_EQ(wallpaperTargets(kScreen, true, 5).largestDrawn({1280, 960}, kScreen), (PixelSize{973, 730}));
  // What the loader is asked for is what the change then draws.
  const ScreenMetrics fullHd{{28800, 16200}, 15, 15};
  EXPECT_EQ(wallpaperTargets(fullHd, true, 0).largestDrawn({2560, 1440}, fullHd), (PixelSize{1920, 1080}));
}

TEST(DrawTargets, ThePictureAsLoadedWhenAnyTargetTakesItWhole) {
  // Shrinking off, nothing said, or a picture that fits the box.
  EXPECT_EQ(wallpaperTargets(kScreen, false, 0).largestDrawn({6000, 4000}, kScreen), (PixelSize{6000, 4000}));
  EXPECT_EQ(DrawTargets{}.largestDrawn({6000, 4000}, kScreen), (PixelSize{6000, 4000}));
  DrawTargets preview = wallpaperTargets(kScreen, true, 0);
  preview.fittedInto({1500, 1125});
  EXPECT_EQ(preview.largestDrawn({800, 600}, kScreen), (PixelSize{800, 600}));
  // A margin of 100 leaves a box of nothing: the change fails on it later,
  // with its dialog; loading asks for the whole picture meanwhile.
  EXPECT_EQ(wallpaperTargets(kScreen, true, 100).largestDrawn({6000, 4000}, kScreen), (PixelSize{6000, 4000}));
  EXPECT_EQ(wallpaperTargets(kScreen, true, -32768).largestDrawn({6000, 4000}, kScreen), (PixelSize{6000, 4000}));
}

}  // namespace
}  // namespace rivano
