// A large JPEG fitted into a screen that wants more than half of each side
// is decoded at its full size, and is still shrunk as its rows come: the
// logon run holds the file, what the decoder needs to make the rows and the
// shrunk result, never the 96 MB of a whole 24-megapixel decode.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <span>
#include <string>

#include "engine/jpeg/jpeg_decoder.h"
#include "engine/jpeg_picture.h"
#include "engine/resample.h"
#include "tests/unit/picture_quality.h"
#include "tests/unit/png_memory_probe.h"

namespace rivano {
namespace {

constexpr std::size_t kMiB = std::size_t{1} << 20;

ScreenMetrics screenOf(std::int32_t width, std::int32_t height) { return {{width * 15, height * 15}, 15, 15}; }

std::size_t bytesOf(const PixelImage& image) { return image.pixels.size() * sizeof(std::uint32_t); }

struct Fitted {
  PixelImage image;
  std::size_t peak = 0;  // bytes held beyond those held before the load
};

// What "/S" does with the file once it is read: load it for the wallpaper
// and fit it into the screen.
Fitted loadFitted(const std::vector<std::uint8_t>& file, const ScreenMetrics& screen) {
  testing::resetPeakHeldBytes();
  const std::size_t before = testing::peakHeldBytes();
  Fitted fitted;
  {
    const auto picture = decodeJpegPicture(file, wallpaperTargets(screen, true, 0), screen);
    if (picture) fitted.image = wallpaperImage(*picture, screen, true, 0);
  }
  fitted.peak = testing::peakHeldBytes() - before;
  return fitted;
}

class LargeJpeg : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new std::string(testing::scratchFolder());
    const PixelImage photo = testing::smoothPicture(6000, 4000);
    baseline_ = new std::vector<std::uint8_t>(
        testing::cjpegToJpeg(photo, "-quality 90", *folder_).value_or(std::vector<std::uint8_t>{}));
    progressive_ = new std::vector<std::uint8_t>(
        testing::cjpegToJpeg(photo, "-quality 90 -progressive", *folder_).value_or(std::vector<std::uint8_t>{}));
#ifndef _WIN32
    // Sequential, one component a scan: kept whole until the last scan too.
    // (Under Wine the host's cjpeg would not find a script named from here.)
    const std::string script = *folder_ + "/separate.scans";
    std::ofstream(script) << "0: 0 63 0 0;\n1: 0 63 0 0;\n2: 0 63 0 0;\n";
    separateScans_ = new std::vector<std::uint8_t>(
        testing::cjpegToJpeg(photo, "-quality 90 -scans " + script, *folder_).value_or(std::vector<std::uint8_t>{}));
#endif
  }
  static void TearDownTestSuite() {
    std::filesystem::remove_all(*folder_);
    delete folder_;
    delete baseline_;
    delete progressive_;
    delete separateScans_;
  }

  // The very pixels a shrink of the whole decode gives.
  static void expectWholeDecodeShrunk(const std::vector<std::uint8_t>& file, const PixelImage& fitted) {
    PixelImage whole;
    ASSERT_EQ(jpeg::decodeJpeg(file, 1, whole), jpeg::JpegStatus::ok);
    EXPECT_TRUE(shrinkPicture(whole, fitted.width, fitted.height).pixels == fitted.pixels);
  }

  static std::string* folder_;
  static std::vector<std::uint8_t>* baseline_;
  static std::vector<std::uint8_t>* progressive_;
  static std::vector<std::uint8_t>* separateScans_;
};
std::string* LargeJpeg::folder_ = nullptr;
std::vector<std::uint8_t>* LargeJpeg::baseline_ = nullptr;
std::vector<std::uint8_t>* LargeJpeg::progressive_ = nullptr;
std::vector<std::uint8_t>* LargeJpeg::separateScans_ = nullptr;

// 6000 × 4000 into 3100 × 2100: 3100 × 2067, more than half of each side,
// so the decode is at full size.
const ScreenMetrics kWideScreen = screenOf(3100, 2100);

TEST_F(LargeJpeg, ABaselinePictureShrunkFromItsFullSizeHoldsOnlyRowsOfIt) {
  ASSERT_FALSE(baseline_->empty()) << "cjpeg could not be run";
  const Fitted fitted = loadFitted(*baseline_, kWideScreen);
  ASSERT_EQ(fitted.image.width, 3100);
  ASSERT_EQ(fitted.image.height, 2067);
  // The picture's copy of the file, the shrunk image and the one handed
  // out, a few rows: some 60 MB where the whole decode alone is 96 MB.
  std::printf("baseline 6000 x 4000 to 3100 x 2067: peak %zu KiB, file %zu KiB\n", fitted.peak / 1024,
              baseline_->size() / 1024);
  EXPECT_LT(fitted.peak, baseline_->size() + 2 * bytesOf(fitted.image) + 8 * kMiB);
  expectWholeDecodeShrunk(*baseline_, fitted.image);
}

// A progressive picture keeps every coefficient of every block until its
// last scan; at full size that is 128 bytes and the refinement bits per
// block of 64 pixels. Those and the shrunk rows, never the pixels as well.
TEST_F(LargeJpeg, AProgressivePictureShrunkFromItsFullSizeHoldsItsCoefficientsNotItsPixels) {
  ASSERT_FALSE(progressive_->empty()) << "cjpeg could not be run";
  const Fitted fitted = loadFitted(*progressive_, kWideScreen);
  ASSERT_EQ(fitted.image.width, 3100);
  ASSERT_EQ(fitted.image.height, 2067);
  const std::size_t blocks = 750 * 500 + 2 * 375 * 250;  // 4:2:0
  std::printf("progressive 6000 x 4000 to 3100 x 2067: peak %zu KiB, file %zu KiB\n", fitted.peak / 1024,
              progressive_->size() / 1024);
  EXPECT_LT(fitted.peak, progressive_->size() + blocks * (128 + 8) + 2 * bytesOf(fitted.image) + 8 * kMiB);
  expectWholeDecodeShrunk(*progressive_, fitted.image);
}

// Decoded at a fraction of its size, a picture whose blocks wait for later
// scans keeps of each block only the coefficients that fraction's inverse
// DCT reads: at 1/8 the DC one of luma and 25 of chroma (decoded at 2 × 2,
// which spares upsampling it), at 1/4 25 and 49, against the 64 of every
// block that all of them would take.
TEST_F(LargeJpeg, AtAFractionOfItsSizeAPictureOfManyScansKeepsOnlyTheCoefficientsItReads) {
  const std::size_t blocks = 750 * 500 + 2 * 375 * 250;  // 4:2:0
  const std::size_t everyCoefficient = blocks * (64 * 2 + 8);
  std::vector<const std::vector<std::uint8_t>*> files = {progressive_};
  if (separateScans_) files.push_back(separateScans_);
  for (const auto* file : files) {
    ASSERT_FALSE(file->empty()) << "cjpeg could not be run";
    for (const int scale : {8, 4}) {
      SCOPED_TRACE((file == progressive_ ? "progressive at 1/" : "separate scans at 1/") + std::to_string(scale));
      testing::resetPeakHeldBytes();
      const std::size_t before = testing::peakHeldBytes();
      PixelImage image;
      ASSERT_EQ(jpeg::decodeJpeg(*file, scale, image), jpeg::JpegStatus::ok);
      const std::size_t peak = testing::peakHeldBytes() - before;
      EXPECT_LT(peak, (scale == 8 ? everyCoefficient / 4 : everyCoefficient * 2 / 3) + bytesOf(image));
    }
  }
}

class RowsDropped final : public jpeg::RowSink {
 public:
  void row(std::span<const std::uint32_t> pixels) override { rows_ += pixels.empty() ? 0 : 1; }
  std::int32_t rows() const { return rows_; }

 private:
  std::int32_t rows_ = 0;
};

// A progressive picture's coefficients are decoded a band of rows at a
// time: what the decoder itself holds for 24 megapixels, at full size or
// at half of it, is a few MiB, where all its coefficients would take from
// 65 to 76 MB.
TEST_F(LargeJpeg, AProgressivePictureDecodedRowByRowHoldsABandOfItsCoefficients) {
  ASSERT_FALSE(progressive_->empty()) << "cjpeg could not be run";
  for (const int scale : {1, 2}) {
    SCOPED_TRACE("at 1/" + std::to_string(scale));
    testing::resetPeakHeldBytes();
    const std::size_t before = testing::peakHeldBytes();
    RowsDropped rows;
    ASSERT_EQ(jpeg::decodeJpegRows(*progressive_, scale, rows), jpeg::JpegStatus::ok);
    const std::size_t peak = testing::peakHeldBytes() - before;
    std::printf("progressive 6000 x 4000 at 1/%d row by row: the decoder's peak %zu KiB\n", scale, peak / 1024);
    EXPECT_EQ(rows.rows(), 4000 / scale);
    EXPECT_LT(peak, 8 * kMiB);
  }
}

// A screen that wants less than half of each side has it decoded at 1/2:
// those rows too are shrunk as they come rather than held, 24 MB of them.
TEST_F(LargeJpeg, DecodedAtHalfItsSizeForTheWallpaperAloneItHoldsOnlyTheShrunkRows) {
  ASSERT_FALSE(baseline_->empty()) << "cjpeg could not be run";
  const Fitted fitted = loadFitted(*baseline_, screenOf(1920, 1080));
  ASSERT_LE(fitted.image.width, 1920);
  EXPECT_LT(fitted.peak, baseline_->size() + 2 * bytesOf(fitted.image) + 4 * kMiB);
  PixelImage half;
  ASSERT_EQ(jpeg::decodeJpeg(*baseline_, 2, half), jpeg::JpegStatus::ok);
  EXPECT_TRUE(shrinkPicture(half, fitted.image.width, fitted.image.height).pixels == fitted.image.pixels);
}

// With a preview's size wanted too, the decode at 1/2 is what both are
// made from.
TEST_F(LargeJpeg, WithAPreviewTooBothSizesAreShrunkFromTheDecodeAtHalfItsSize) {
  ASSERT_FALSE(baseline_->empty()) << "cjpeg could not be run";
  const ScreenMetrics screen = screenOf(1920, 1080);
  DrawTargets targets = wallpaperTargets(screen, true, 0);
  targets.fittedInto({3000, 2250});
  PixelImage half;
  ASSERT_EQ(jpeg::decodeJpeg(*baseline_, 2, half), jpeg::JpegStatus::ok);
  const auto picture = decodeJpegPicture(*baseline_, targets, screen);
  ASSERT_NE(picture, nullptr);
  EXPECT_TRUE(picture->stretched(200, 133).pixels == shrinkPicture(half, 200, 133).pixels);
  const PixelImage wall = wallpaperImage(*picture, screen, true, 0);
  EXPECT_TRUE(shrinkPicture(half, wall.width, wall.height).pixels == wall.pixels);
}

}  // namespace
}  // namespace rivano
