#include "engine/jpeg_picture.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "engine/jpeg/jpeg_decoder.h"
#include "engine/jpeg_size_guard.h"
#include "engine/resample.h"
#include "common/run_error.h"
#include "tests/unit/crafted_jpeg.h"
#include "tests/unit/picture_quality.h"

namespace rivano {
namespace {

const ScreenMetrics kScreen{{15360, 11520}, 15, 15};  // 1024 × 768

// Quarters of four plain colours: whatever the scale, each quarter's
// middle keeps its colour, which tells a shrunk or scaled picture that
// stands the right way up from one that does not.
PixelImage quarters(std::int32_t w, std::int32_t h) {
  PixelImage img{w, h, {}};
  for (std::int32_t y = 0; y < h; ++y)
    for (std::int32_t x = 0; x < w; ++x)
      img.pixels.push_back(y < h / 2 ? (x < w / 2 ? 0xE02020u : 0x20E020u) : (x < w / 2 ? 0x2020E0u : 0xF0F0F0u));
  return img;
}

void expectQuarters(const PixelImage& img) {
  ASSERT_GT(img.width, 4);
  auto near = [](std::uint32_t a, std::uint32_t b) {
    for (int s : {0, 8, 16})
      if (std::abs(static_cast<int>(a >> s & 0xFF) - static_cast<int>(b >> s & 0xFF)) > 12) return false;
    return true;
  };
  EXPECT_TRUE(near(img.at(img.width / 4, img.height / 4), 0xE02020u));
  EXPECT_TRUE(near(img.at(3 * img.width / 4, img.height / 4), 0x20E020u));
  EXPECT_TRUE(near(img.at(img.width / 4, 3 * img.height / 4), 0x2020E0u));
  EXPECT_TRUE(near(img.at(3 * img.width / 4, 3 * img.height / 4), 0xF0F0F0u));
}

class JpegPictureTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new std::string(testing::scratchFolder());
    big_ = new std::vector<std::uint8_t>(
        testing::convertToJpeg(quarters(4000, 3000), "-quality 90", *folder_).value_or(std::vector<std::uint8_t>{}));
  }
  static void TearDownTestSuite() {
    std::filesystem::remove(*folder_);
    delete folder_;
    delete big_;
  }
  static std::string* folder_;
  static std::vector<std::uint8_t>* big_;
};
std::string* JpegPictureTest::folder_ = nullptr;
std::vector<std::uint8_t>* JpegPictureTest::big_ = nullptr;

TEST_F(JpegPictureTest, ShrunkForTheScreenItComesOutTheFittedSizeTheRightWayUpAndMeasuresWhole) {
  ASSERT_FALSE(big_->empty()) << "ImageMagick's convert could not be run";
  // 4000 × 3000 onto 1024 × 768: a quarter (1000 × 750) falls short, so it
  // holds a half, 2000 × 1500, and shrinks that.
  const auto picture = decodeJpegPicture(*big_, wallpaperTargets(kScreen, true, 0), kScreen);
  ASSERT_NE(picture, nullptr);
  EXPECT_FLOAT_EQ(picture->sizeTwips().width, 60000.0f);
  EXPECT_FLOAT_EQ(picture->sizeTwips().height, 45000.0f);
  const PixelImage wall = wallpaperImage(*picture, kScreen, true, 0);
  EXPECT_EQ(wall.width, 1024);
  EXPECT_EQ(wall.height, 768);
  expectQuarters(wall);
  // With a margin of 30 %: 716 × 537 px, which a quarter covers.
  const auto smaller = decodeJpegPicture(*big_, wallpaperTargets(kScreen, true, 30), kScreen);
  ASSERT_NE(smaller, nullptr);
  expectQuarters(smaller->stretched(100, 75));
}

TEST_F(JpegPictureTest, AskedForMoreThanItHoldsItDecodesAgainFinerAndAsLoadedIsWhole) {
  ASSERT_FALSE(big_->empty()) << "ImageMagick's convert could not be run";
  DrawTargets preview;
  preview.fittedInto({1500, 1125});  // 100 × 75 px: an eighth is plenty
  const auto picture = decodeJpegPicture(*big_, preview, kScreen);
  ASSERT_NE(picture, nullptr);
  const PixelImage small = picture->stretched(100, 75);
  EXPECT_EQ(small.width, 100);
  expectQuarters(small);
  // Shrinking switched on afterwards: the wallpaper needs more than an eighth.
  const PixelImage wall = wallpaperImage(*picture, kScreen, true, 0);
  EXPECT_EQ(wall.width, 1024);
  expectQuarters(wall);
  const PixelImage whole = picture->asLoaded();
  EXPECT_EQ(whole.width, 4000);
  EXPECT_EQ(whole.height, 3000);
  expectQuarters(whole);
}

// 1600 × 1200 onto 1024 × 768 needs its full size, which it shrinks as the
// rows are decoded and does not keep: every size asked of it afterwards is
// still the shrink of the whole decode, as when the whole was kept.
TEST_F(JpegPictureTest, ShrunkFromItsFullSizeEverySizeIsTheShrinkOfTheWholeDecode) {
  const auto file = testing::cjpegToJpeg(testing::smoothPicture(1600, 1200), "-quality 90", *folder_);
  ASSERT_TRUE(file.has_value()) << "cjpeg could not be run";
  PixelImage whole;
  ASSERT_EQ(jpeg::decodeJpeg(*file, 1, whole), jpeg::JpegStatus::ok);
  DrawTargets targets = wallpaperTargets(kScreen, true, 0);
  targets.fittedInto({3000, 2250});  // and a preview of 200 × 150
  const auto picture = decodeJpegPicture(*file, targets, kScreen);
  ASSERT_NE(picture, nullptr);
  for (const PixelSize size : {PixelSize{1024, 768}, PixelSize{200, 150}, PixelSize{1200, 700}, PixelSize{1023, 768}}) {
    SCOPED_TRACE(std::to_string(size.width) + " x " + std::to_string(size.height));
    const PixelImage drawn = picture->stretched(size.width, size.height);
    ASSERT_EQ(drawn.width, size.width);
    ASSERT_EQ(drawn.height, size.height);
    EXPECT_TRUE(drawn.pixels == shrinkPicture(whole, size.width, size.height).pixels);
  }
  // Larger than the picture: stretched from the whole decode too.
  EXPECT_TRUE(picture->stretched(1700, 1300).pixels == shrinkPicture(whole, 1700, 1300).pixels);
  EXPECT_TRUE(picture->asLoaded().pixels == whole.pixels);
}

TEST_F(JpegPictureTest, WhatOurDecoderRefusesIsLeftToThePlatform) {
  ASSERT_FALSE(big_->empty()) << "ImageMagick's convert could not be run";
  // Not a JPEG at all, a JPEG cut short, one with its scan data spoilt.
  const std::vector<std::uint8_t> bmp = encodeBmp24(quarters(8, 8));
  EXPECT_EQ(decodeJpegPicture(bmp, DrawTargets{}, kScreen), nullptr);
  EXPECT_FALSE(looksLikeJpeg(bmp));
  EXPECT_TRUE(looksLikeJpeg(*big_));
  const std::vector<std::uint8_t> header(big_->begin(), big_->begin() + 200);
  EXPECT_EQ(decodeJpegPicture(header, DrawTargets{}, kScreen), nullptr);
  // Arithmetic coding, which our decoder does not read.
  const auto arithmetic = testing::cjpegToJpeg(quarters(64, 48), "-arithmetic", *folder_);
  ASSERT_TRUE(arithmetic.has_value());
  jpeg::JpegInfo info;
  if (jpeg::readJpegInfo(*arithmetic, info) == jpeg::JpegStatus::unsupported)
    EXPECT_EQ(decodeJpegPicture(*arithmetic, DrawTargets{}, kScreen), nullptr);
  else
    ADD_FAILURE() << "cjpeg made no arithmetic-coded JPEG";
}

// A header claiming a size beyond our decoder must never reach the
// platform's loader, whatever coding the header names.
int refusal(const std::vector<std::uint8_t>& file) {
  try {
    const auto picture = decodeJpegPicture(file, wallpaperTargets(kScreen, true, 0), kScreen);
    ADD_FAILURE() << (picture ? "decoded" : "handed to the platform");
  } catch (const RunError& e) {
    return e.number();
  }
  return 0;
}

TEST(OversizedJpeg, AHeaderThatLiesAboutItsSizeIsNotAPicture) {
  const std::vector<std::uint8_t> cmyk = testing::craftedJpeg(32768, 32768, 4);
  EXPECT_LT(cmyk.size(), 400u);
  EXPECT_EQ(refusal(cmyk), err::invalidPicture);
  // Codings our decoder leaves to the platform: arithmetic, 12-bit, lossless.
  EXPECT_EQ(refusal(testing::craftedJpeg(65535, 65535, 3, 0xC9)), err::invalidPicture);
  EXPECT_EQ(refusal(testing::craftedJpeg(40000, 100, 1, 0xC1, 12)), err::invalidPicture);
  EXPECT_EQ(refusal(testing::craftedJpeg(60000, 60000, 1, 0xC3)), err::invalidPicture);
  // A progressive one.
  EXPECT_EQ(refusal(testing::craftedJpeg(20000, 20000, 3, 0xC2)), err::invalidPicture);
}

TEST(OversizedJpeg, ALargeEnoughFileMayBeARealPictureTooLargeToHold) {
  std::vector<std::uint8_t> file = testing::craftedJpeg(32768, 32768, 4);
  // A flat picture at two bits a block holds 4 MB of scan data.
  file.insert(file.end() - 2, std::size_t{4} << 20, 0x00);
  EXPECT_EQ(refusal(file), err::outOfMemory);
}

TEST(OversizedJpeg, SizesWithinReachAreLeftAlone) {
  // The largest our decoder takes, cut short in its scan: still the
  // platform's to show in part.
  const std::vector<std::uint8_t> largest = testing::craftedJpeg(16384, 16384, 1);
  EXPECT_NO_THROW(refuseOversizedJpeg(largest));
  EXPECT_NO_THROW(refuseOversizedJpeg(testing::craftedJpeg(64, 48, 3, 0xC9)));
  EXPECT_EQ(decodeJpegPicture(testing::craftedJpeg(64, 48, 3, 0xC9), DrawTargets{}, kScreen), nullptr);
  const auto frame = declaredJpegFrame(testing::craftedJpeg(300, 200, 4));
  ASSERT_TRUE(frame.has_value());
  EXPECT_EQ(frame->width, 300);
  EXPECT_EQ(frame->height, 200);
  EXPECT_EQ(frame->components, 4);
  // No frame before the data ends, or a length that runs off the end.
  EXPECT_FALSE(declaredJpegFrame(std::vector<std::uint8_t>{0xFF, 0xD8, 0xFF, 0xE0, 0x40, 0x00}).has_value());
  EXPECT_FALSE(declaredJpegFrame(std::vector<std::uint8_t>{0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x11, 8}).has_value());
}

}  // namespace
}  // namespace rivano
