// A click on a large picture loads it for its preview box alone: it holds
// no more than the smallest decode that covers the box and the compressed
// file, keeps only those until a change, and the change made afterwards
// writes the very wallpaper a picture loaded for the wallpaper writes.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "engine/jpeg/jpeg_decoder.h"
#include "engine/jpeg_picture.h"
#include "engine/png_picture.h"
#include "engine/resample.h"
#include "tests/unit/picture_quality.h"
#include "tests/unit/png_memory_probe.h"
#include "tests/unit/png_writer.h"

namespace rivano {
namespace {

constexpr std::size_t kMiB = std::size_t{1} << 20;

ScreenMetrics screenOf(std::int32_t width, std::int32_t height) { return {{width * 15, height * 15}, 15, 15}; }

// The main window's preview box on a 1024 × 768 screen, about 105 pixels
// square inside its border.
const TwipsBox kPreviewBox{105 * 15, 105 * 15};
const ScreenMetrics kScreen = screenOf(1024, 768);

std::size_t bytesOf(const PixelImage& image) { return image.pixels.size() * sizeof(std::uint32_t); }

// The bytes held now, beyond what the probe counted before.
std::size_t heldNow() {
  testing::resetPeakHeldBytes();
  return testing::peakHeldBytes();
}

PixelSize previewSize(const Picture& picture) {
  const float factor = fitFactor(picture.sizeTwips(), kPreviewBox);
  return fittedPixels(picture.sizeTwips(), factor, kScreen.twipsPerPixelX, kScreen.twipsPerPixelY);
}

class PreviewLoad : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new std::string(testing::scratchFolder());
    const PixelImage photo = testing::smoothPicture(6000, 4000);
    baseline_ = new std::vector<std::uint8_t>(
        testing::cjpegToJpeg(photo, "-quality 90", *folder_).value_or(std::vector<std::uint8_t>{}));
    progressive_ = new std::vector<std::uint8_t>(
        testing::cjpegToJpeg(photo, "-quality 90 -progressive", *folder_).value_or(std::vector<std::uint8_t>{}));
  }
  static void TearDownTestSuite() {
    std::filesystem::remove_all(*folder_);
    delete folder_;
    delete baseline_;
    delete progressive_;
  }

  // The wallpaper a change writes of a picture loaded for the wallpaper,
  // as "/S" and a change without a preview load it.
  static PixelImage wallpaperLoadedForIt(const std::vector<std::uint8_t>& file, bool shrink) {
    const auto picture = decodeJpegPicture(file, wallpaperTargets(kScreen, shrink, 0), kScreen);
    if (!picture) return {};
    return wallpaperImage(*picture, kScreen, shrink, 0);
  }

  static std::string* folder_;
  static std::vector<std::uint8_t>* baseline_;
  static std::vector<std::uint8_t>* progressive_;
};
std::string* PreviewLoad::folder_ = nullptr;
std::vector<std::uint8_t>* PreviewLoad::baseline_ = nullptr;
std::vector<std::uint8_t>* PreviewLoad::progressive_ = nullptr;

// The 1/8 decode of 6000 × 4000 is 750 × 500, 1.5 MB; the decode at 1/4
// that a load for the wallpaper too makes is 6 MB.
TEST_F(PreviewLoad, ALargeJpegHoldsNoMoreThanItsEighthAndItsFileWhileLoadedAndUntilTheChange) {
  ASSERT_FALSE(baseline_->empty()) << "cjpeg could not be run";
  PixelImage eighth;
  ASSERT_EQ(jpeg::decodeJpeg(*baseline_, 8, eighth), jpeg::JpegStatus::ok);
  const std::size_t before = heldNow();
  const auto picture = decodeJpegPicture(*baseline_, previewTargets(kPreviewBox), kScreen);
  ASSERT_NE(picture, nullptr);
  const std::size_t loadPeak = testing::peakHeldBytes() - before;
  const std::size_t kept = heldNow() - before;
  std::printf("preview load of 6000 x 4000: peak %zu KiB, kept %zu KiB, file %zu KiB, 1/8 %zu KiB\n",
              loadPeak / 1024, kept / 1024, baseline_->size() / 1024, bytesOf(eighth) / 1024);
  EXPECT_LE(loadPeak, baseline_->size() + bytesOf(eighth));
  // The file and the thumbnail, nothing of the size a change will want.
  EXPECT_LT(kept, baseline_->size() + bytesOf(eighth) / 8);

  const PixelSize preview = previewSize(*picture);
  // A thumbnail shrunk from the 1/8 decode, as any picture whose 1/8
  // covers its preview box is.
  EXPECT_TRUE(picture->stretched(preview.width, preview.height).pixels ==
              shrinkPicture(eighth, preview.width, preview.height).pixels);

  const PixelImage wallpaper = wallpaperImage(*picture, kScreen, true, 0);
  EXPECT_EQ(heldNow() - before, kept + bytesOf(wallpaper)) << "the picture grew with the change";
  EXPECT_TRUE(wallpaper.pixels == wallpaperLoadedForIt(*baseline_, true).pixels);
}

// The change after a click writes the same pixels whatever the picture was
// loaded for: shrunk for the screen, at its own size, filling the screen.
TEST_F(PreviewLoad, AChangeAfterAClickWritesTheWallpaperALoadForTheWallpaperWrites) {
  for (const auto* file : {baseline_, progressive_}) {
    SCOPED_TRACE(file == baseline_ ? "baseline" : "progressive");
    ASSERT_FALSE(file->empty()) << "cjpeg could not be run";
    const auto picture = decodeJpegPicture(*file, previewTargets(kPreviewBox), kScreen);
    ASSERT_NE(picture, nullptr);
    const PixelImage shrunk = wallpaperImage(*picture, kScreen, true, 0);
    EXPECT_EQ(shrunk.width, 1024);
    EXPECT_TRUE(shrunk.pixels == wallpaperLoadedForIt(*file, true).pixels);
    const ExitChangeRules filling{kScreen, true, 0, 2, 1, 1, true};
    const auto forFilling = decodeJpegPicture(*file, wallpaperTargets(kScreen, true, 0, true), kScreen);
    ASSERT_NE(forFilling, nullptr);
    EXPECT_TRUE(wallpaperLook(*picture, filling).image.pixels == wallpaperLook(*forFilling, filling).image.pixels);
  }
  // Unshrunk, the wallpaper is the whole picture, decoded from the file.
  const auto picture = decodeJpegPicture(*baseline_, previewTargets(kPreviewBox), kScreen);
  ASSERT_NE(picture, nullptr);
  PixelImage whole;
  ASSERT_EQ(jpeg::decodeJpeg(*baseline_, 1, whole), jpeg::JpegStatus::ok);
  EXPECT_TRUE(wallpaperImage(*picture, kScreen, false, 0).pixels == whole.pixels);
}

std::uint32_t smooth(std::uint32_t x, std::uint32_t y) {
  const auto r = static_cast<std::uint32_t>(127.5 + 127.5 * std::sin(x / 300.0));
  const auto g = static_cast<std::uint32_t>(127.5 + 127.5 * std::cos(y / 200.0));
  return r << 16 | g << 8 | ((x + y) / 40 & 0xFF);
}

// A PNG is read row by row whatever it is loaded for: the click decodes it
// once, into the thumbnail alone, and the change decodes it again at the
// wallpaper's size, as a load for the wallpaper does.
TEST(PreviewLoadPng, ALargePngKeepsOnlyItsThumbnailAndTheChangeWritesTheSameWallpaper) {
  const testing::Bytes file = testing::rgbPng(6000, 4000, smooth);
  const std::size_t before = heldNow();
  const auto picture = decodePngPicture(file, previewTargets(kPreviewBox), kScreen, 0);
  const std::size_t loadPeak = testing::peakHeldBytes() - before;
  const std::size_t kept = heldNow() - before;
  const PixelSize preview = previewSize(*picture);
  // Its own copy of the file, the rows in flight and the thumbnail; the
  // wallpaper's 1024 × 683 (2.7 MB) is neither made nor kept.
  EXPECT_LT(loadPeak, file.size() + 2 * kMiB);
  EXPECT_LT(kept, file.size() + 4 * std::size_t(preview.width * preview.height) + 64 * 1024);

  const auto forWallpaper = decodePngPicture(file, wallpaperTargets(kScreen, true, 0), kScreen, 0);
  EXPECT_TRUE(wallpaperImage(*picture, kScreen, true, 0).pixels ==
              wallpaperImage(*forWallpaper, kScreen, true, 0).pixels);
}

}  // namespace
}  // namespace rivano
