// The PNG picture as the wallpaper change uses it: a large picture shrunk
// while it is decoded, within the memory the logon run is allowed, giving
// the pixels a shrink of the whole decoded picture gives; transparency over
// the background it is given; a file our decoder refuses is error 481.
#include "engine/png_picture.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cmath>

#include "engine/png/png_decoder.h"
#include "engine/resample.h"
#include "common/run_error.h"
#include "tests/unit/png_memory_probe.h"
#include "tests/unit/png_writer.h"

namespace rivano {
namespace {

ScreenMetrics screenOf(std::int32_t width, std::int32_t height) {
  return {{width * 15, height * 15}, 15, 15};
}

std::uint32_t smooth(std::uint32_t x, std::uint32_t y) {
  const auto r = static_cast<std::uint32_t>(127.5 + 127.5 * std::sin(x / 300.0));
  const auto g = static_cast<std::uint32_t>(127.5 + 127.5 * std::cos(y / 200.0));
  return r << 16 | g << 8 | ((x + y) / 40 & 0xFF);
}

// 24 megapixels fitted into a 1920 × 1080 screen: the file, the rows in
// flight and the result, never the 96 MB of the whole picture.
TEST(PngPicture, ALargePictureShrunkForTheScreenStaysWithinTheLogonRunsMemory) {
  testing::Bytes file = testing::rgbPng(6000, 4000, smooth);
  const std::size_t fileBytes = file.size();
  const ScreenMetrics screen = screenOf(1920, 1080);
  testing::resetPeakHeldBytes();
  PixelImage shrunk;
  {
    const auto picture = decodePngPicture(std::move(file), wallpaperTargets(screen, true, 0), screen, 0);
    shrunk = wallpaperImage(*picture, screen, true, 0);
  }
  const std::size_t peak = testing::peakHeldBytes();
  EXPECT_LT(peak, std::size_t{64} << 20) << "file " << fileBytes;
  EXPECT_LT(peak - fileBytes, std::size_t{24} << 20);
  // Well below the picture, whatever the fitting rules make of the screen.
  EXPECT_LE(shrunk.width, 1920);
  EXPECT_LE(shrunk.height, 1280);

  PixelImage whole;
  ASSERT_EQ(png::decodePng(testing::rgbPng(6000, 4000, smooth), 0, whole), png::PngStatus::ok);
  EXPECT_EQ(shrunk.pixels, shrinkPicture(whole, shrunk.width, shrunk.height).pixels);
}

// An interlaced picture's rows are made from all its passes at once, so
// it too is shrunk as it is decoded: nothing near the 48 MB of the whole
// picture at 32 bits, nor the 18 MB of its even rows, is ever held.
TEST(PngPicture, AnInterlacedPictureIsShrunkAsItIsDecodedToo) {
  testing::Bytes file = testing::rgbPng(4000, 3001, smooth, true);
  ASSERT_EQ(file[28], 1) << "not interlaced";
  const std::size_t fileBytes = file.size();
  const ScreenMetrics screen = screenOf(1024, 768);
  testing::resetPeakHeldBytes();
  PixelImage shrunk;
  {
    const auto picture = decodePngPicture(std::move(file), wallpaperTargets(screen, true, 0), screen, 0);
    shrunk = wallpaperImage(*picture, screen, true, 0);
  }
  // The shrunk picture and its copies, some 11 MB.
  const std::size_t peak = testing::peakHeldBytes() - fileBytes;
  EXPECT_LT(peak, std::size_t{16} << 20);

  PixelImage whole;
  ASSERT_EQ(png::decodePng(testing::rgbPng(4000, 3001, smooth), 0, whole), png::PngStatus::ok);
  EXPECT_EQ(shrunk.pixels, shrinkPicture(whole, shrunk.width, shrunk.height).pixels);
}

TEST(PngPicture, EverySizeAskedForComesFromTheDecodedRows) {
  auto colour = [](std::uint32_t x, std::uint32_t y) { return (x * 7 & 0xFF) << 16 | (y * 5 & 0xFF) << 8 | (x ^ y); };
  const testing::Bytes file = testing::rgbPng(300, 200, colour);
  PixelImage whole;
  ASSERT_EQ(png::decodePng(file, 0, whole), png::PngStatus::ok);
  const ScreenMetrics screen = screenOf(150, 150);
  const auto picture = decodePngPicture(file, wallpaperTargets(screen, true, 0), screen, 0);
  EXPECT_EQ(picture->sizeTwips().width, 300.0f * 15);
  EXPECT_EQ(picture->asLoaded().pixels, whole.pixels);
  EXPECT_EQ(picture->stretched(150, 100).pixels, shrinkPicture(whole, 150, 100).pixels);
  EXPECT_EQ(picture->stretched(60, 90).pixels, shrinkPicture(whole, 60, 90).pixels);
  EXPECT_EQ(picture->stretched(600, 400).pixels, shrinkPicture(whole, 600, 400).pixels);
}

TEST(PngPicture, TransparencyIsDrawnOverTheBackgroundGiven) {
  // Grey with alpha: opaque white, fully transparent, half.
  const testing::Bytes rows = {0, 255, 255, 0, 0, 200, 128};
  uLongf size = compressBound(static_cast<uLong>(rows.size()));
  testing::Bytes compressed(size);
  ASSERT_EQ(compress(compressed.data(), &size, rows.data(), static_cast<uLong>(rows.size())), Z_OK);
  compressed.resize(size);
  const testing::Bytes file = testing::pngFile(testing::pngHeader(3, 1, 8, 4), compressed);
  const ScreenMetrics screen = screenOf(640, 480);
  const PixelImage image = decodePngPicture(file, DrawTargets{}, screen, 0x3A6EA5)->asLoaded();
  ASSERT_EQ(image.pixels.size(), 3u);
  EXPECT_EQ(image.pixels[0], 0xFFFFFFu);
  EXPECT_EQ(image.pixels[1], 0x3A6EA5u);
  // 200·128/255 + 0x3A·127/255 ... each channel rounded.
  auto half = [](std::uint32_t background) { return (200u * 128 + background * 127 + 127) / 255; };
  EXPECT_EQ(image.pixels[2], half(0x3A) << 16 | half(0x6E) << 8 | half(0xA5));
}

TEST(PngPicture, AFileOurDecoderRefusesIsNotAPicture) {
  const ScreenMetrics screen = screenOf(640, 480);
  testing::Bytes damaged = testing::rgbPng(20, 20, smooth);
  damaged[45] ^= 0xFF;
  const testing::Bytes huge = testing::pngFile(testing::pngHeader(40000, 40000, 8, 2), testing::deflatedZeros(100));
  for (const testing::Bytes& file : {damaged, huge}) {
    try {
      decodePngPicture(file, wallpaperTargets(screen, true, 0), screen, 0);
      ADD_FAILURE() << "loaded";
    } catch (const RunError& e) {
      EXPECT_EQ(e.number(), err::invalidPicture);
    }
  }
}

}  // namespace
}  // namespace rivano
