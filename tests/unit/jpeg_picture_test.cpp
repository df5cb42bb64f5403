#include "engine/jpeg_picture.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "engine/jpeg/jpeg_decoder.h"
#include "settings/run_error.h"
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

}  // namespace
}  // namespace rivano
