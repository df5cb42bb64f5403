#include "engine/resample.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/unit/picture_quality.h"

namespace rivano {
namespace {

constexpr std::uint32_t rgb(std::uint32_t r, std::uint32_t g, std::uint32_t b) { return r << 16 | g << 8 | b; }

PixelImage noise(std::int32_t w, std::int32_t h) {
  PixelImage img{w, h, {}};
  std::uint32_t state = 12345;
  for (std::int32_t i = 0; i < w * h; ++i) {
    state = state * 1103515245u + 12345u;
    img.pixels.push_back(state >> 8 & 0xFFFFFF);
  }
  return img;
}

TEST(Resample, TheSameSizeGivesTheSamePixels) {
  const PixelImage img = noise(37, 23);
  EXPECT_EQ(resampleArea(img, 37, 23).pixels, img.pixels);
}

TEST(Resample, HalvingAveragesEachTwoByTwoBlockRoundingHalvesUp) {
  // Each block: the channels average to whole numbers, except blue in the
  // second, whose mean 1.5 rounds up.
  const PixelImage img{4, 2, {rgb(0, 10, 0), rgb(200, 30, 0), rgb(1, 2, 3), rgb(1, 2, 0),
                              rgb(100, 50, 0), rgb(100, 70, 0), rgb(3, 2, 3), rgb(3, 2, 0)}};
  const PixelImage half = resampleArea(img, 2, 1);
  ASSERT_EQ(half.width, 2);
  ASSERT_EQ(half.height, 1);
  EXPECT_EQ(half.pixels[0], rgb(100, 40, 0));
  EXPECT_EQ(half.pixels[1], rgb(2, 2, 2));
}

TEST(Resample, OnePixelIsTheMeanOfTheWholePicture) {
  PixelImage img{3, 3, std::vector<std::uint32_t>(9, rgb(0, 0, 0))};
  img.pixels[4] = rgb(255, 90, 9);  // one of nine
  EXPECT_EQ(resampleArea(img, 1, 1).pixels, std::vector<std::uint32_t>{rgb(28, 10, 1)});
  // A row and a column: each collapses along one side only.
  const PixelImage row = resampleArea(img, 3, 1), column = resampleArea(img, 1, 3);
  EXPECT_EQ(row.pixels, (std::vector<std::uint32_t>{0, rgb(85, 30, 3), 0}));
  EXPECT_EQ(column.pixels, (std::vector<std::uint32_t>{0, rgb(85, 30, 3), 0}));
}

TEST(Resample, PixelsAtAnEdgeCountByTheFractionCovered) {
  // Three pixels into two: each output pixel covers one and a half source
  // pixels, the middle one shared half and half.
  const PixelImage img{3, 1, {rgb(0, 0, 0), rgb(255, 255, 255), rgb(0, 0, 0)}};
  EXPECT_EQ(resampleArea(img, 2, 1).pixels, (std::vector<std::uint32_t>{rgb(85, 85, 85), rgb(85, 85, 85)}));
  // Five into two down: 2.5 each; 0, 100, 200 | 200, 250 → (0+100+100)/2.5, (100+200+250)/2.5.
  const PixelImage col{1, 5, {0, rgb(100, 0, 0), rgb(200, 0, 0), rgb(200, 0, 0), rgb(250, 0, 0)}};
  EXPECT_EQ(resampleArea(col, 1, 2).pixels, (std::vector<std::uint32_t>{rgb(80, 0, 0), rgb(220, 0, 0)}));
}

TEST(Resample, AFlatColourStaysExactAtAnyRatio) {
  for (auto [w, h] : {std::pair{7, 5}, {3, 2}, {1, 1}, {6, 4}, {13, 11}}) {
    const PixelImage flat{13, 11, std::vector<std::uint32_t>(143, rgb(255, 127, 1))};
    const PixelImage out = resampleArea(flat, w, h);
    ASSERT_EQ(out.pixels.size(), static_cast<std::size_t>(w * h));
    for (std::uint32_t p : out.pixels) ASSERT_EQ(p, rgb(255, 127, 1)) << w << " x " << h;
  }
}

TEST(Resample, EnlargingSpreadsEachPixelOverWhatItCovers) {
  const PixelImage img{2, 1, {rgb(0, 0, 0), rgb(255, 255, 255)}};
  const PixelImage out = resampleArea(img, 4, 3);
  for (int y = 0; y < 3; ++y)
    EXPECT_EQ((std::vector<std::uint32_t>(out.pixels.begin() + 4 * y, out.pixels.begin() + 4 * y + 4)),
              (std::vector<std::uint32_t>{0, 0, 0xFFFFFF, 0xFFFFFF}));
  // Three onto two and back up to three: the shared middle stays between.
  const PixelImage odd = resampleArea(PixelImage{2, 1, {0, rgb(240, 240, 240)}}, 3, 1);
  EXPECT_EQ(odd.pixels, (std::vector<std::uint32_t>{0, rgb(120, 120, 120), rgb(240, 240, 240)}));
}

TEST(Resample, NothingToDrawGivesNothing) {
  EXPECT_TRUE(resampleArea(PixelImage{}, 10, 10).pixels.empty());
  EXPECT_TRUE(resampleArea(noise(4, 4), 0, 3).pixels.empty());
  EXPECT_TRUE(resampleArea(noise(4, 4), 3, -1).pixels.empty());
  // Fewer pixels than the size says: refused rather than read past the end.
  PixelImage short_ = noise(4, 4);
  short_.pixels.pop_back();
  EXPECT_TRUE(resampleArea(short_, 2, 2).pixels.empty());
}

TEST(Resample, ThinLinesKeepTheirShareOfInk) {
  // One-pixel lines every 7 pixels, shrunk by 2.34: sampling would drop
  // some and double others; averaging gives every output column the ink it
  // covers, so the total stays the same within rounding.
  PixelImage img{700, 3, std::vector<std::uint32_t>(2100, 0xFFFFFF)};
  for (int x = 0; x < 700; x += 7)
    for (int y = 0; y < 3; ++y) img.pixels[static_cast<std::size_t>(y * 700 + x)] = 0;
  const PixelImage out = resampleArea(img, 299, 1);
  double ink = 0;
  for (std::uint32_t p : out.pixels) ink += (255 - static_cast<double>(p & 0xFF)) / 255.0;
  EXPECT_NEAR(ink * 700 / 299, 100.0, 1.5);
  for (std::uint32_t p : out.pixels) EXPECT_GE(p & 0xFF, 255u - 255u * 10 / 23 - 1) << "a line kept whole";
}

TEST(Resample, LanczosKeepsFlatColoursAndTheSameSizeExact) {
  const PixelImage flat{13, 11, std::vector<std::uint32_t>(143, rgb(255, 127, 1))};
  for (std::uint32_t p : resampleLanczos(flat, 5, 4).pixels) ASSERT_EQ(p, rgb(255, 127, 1));
  const PixelImage img = noise(37, 23);
  EXPECT_EQ(resampleLanczos(img, 37, 23).pixels, img.pixels);
  // Its negative lobes overshoot at a hard edge; the result is clamped, not wrapped.
  PixelImage edge{24, 1, std::vector<std::uint32_t>(24, 0)};
  for (int x = 12; x < 24; ++x) edge.pixels[static_cast<std::size_t>(x)] = 0xFFFFFF;
  const PixelImage out = resampleLanczos(edge, 6, 1);
  for (int x = 0; x < 6; ++x)
    for (int shift : {0, 8, 16})
      EXPECT_EQ((out.pixels[static_cast<std::size_t>(x)] >> shift & 0xFF) >= 0x80, x >= 3) << x;
}

TEST(Resample, ShrinkingAVeryLargePictureAveragesFirstAndStillFits) {
  const PixelImage img = noise(401, 203);
  const PixelImage out = shrinkPicture(img, 40, 20);
  EXPECT_EQ(out.width, 40);
  EXPECT_EQ(out.height, 20);
  const PixelImage flat{401, 203, std::vector<std::uint32_t>(401 * 203, rgb(9, 200, 77))};
  for (std::uint32_t p : shrinkPicture(flat, 40, 20).pixels) ASSERT_EQ(p, rgb(9, 200, 77));
  EXPECT_TRUE(shrinkPicture(img, 0, 20).pixels.empty());
}

// A picture this large has its rows shared between two threads (on a
// machine with two cores). Stripes one way make every row, or every column,
// of the result what a picture one pixel high, or wide, gives alone, which
// no second thread takes part in; so each half is checked against one
// thread's work, the seam between them included.
TEST(Resample, LargePicturesComeOutAsOneThreadWouldMakeThem) {
  const std::int32_t w = 1200, h = 1000;
  const PixelImage column = noise(1, h), row = noise(w, 1);
  PixelImage across{w, h, {}}, down{w, h, {}};
  for (std::int32_t y = 0; y < h; ++y)
    for (std::int32_t x = 0; x < w; ++x) {
      across.pixels.push_back(column.pixels[static_cast<std::size_t>(y)]);
      down.pixels.push_back(row.pixels[static_cast<std::size_t>(x)]);
    }
  for (auto shrink : {&resampleLanczos, &resampleArea, &shrinkPicture}) {
    const PixelImage a = shrink(across, 500, 333), one = shrink(column, 1, 333);
    const PixelImage d = shrink(down, 500, 333), line = shrink(row, 500, 1);
    ASSERT_EQ(a.pixels.size(), 500u * 333u);
    for (std::size_t y = 0; y < 333; ++y)
      for (std::size_t x = 0; x < 500; ++x) {
        ASSERT_EQ(a.pixels[y * 500 + x], one.pixels[y]) << x << ", " << y;
        ASSERT_EQ(d.pixels[y * 500 + x], line.pixels[x]) << x << ", " << y;
      }
  }
}

struct QualityCase {
  const char* name;
  PixelImage (*make)(std::int32_t, std::int32_t);
  std::int32_t width, height;
};

// Shrinks by the ratios of large photographs onto a common screen (2.3,
// and 4.7, where the picture is averaged down first), against ImageMagick's
// Lanczos filter at the same size.
TEST(Resample, CloseToALanczosReferenceOnSmoothPicturesAndOnLinesAndText) {
  const std::string folder = testing::scratchFolder();
  for (const QualityCase& c : {QualityCase{"smooth", &testing::smoothPicture, 3000, 2000},
                               QualityCase{"lines and text", &testing::linesAndTextPicture, 3000, 2000},
                               QualityCase{"lines and text", &testing::linesAndTextPicture, 6000, 4000}}) {
    const PixelImage picture = c.make(c.width, c.height);
    const std::optional<PixelImage> reference = testing::lanczosReference(picture, 1280, 853, folder);
    ASSERT_TRUE(reference.has_value()) << "ImageMagick's convert could not be run";
    for (bool averaged : {false, true}) {
      const PixelImage shrunk = averaged ? resampleArea(picture, 1280, 853) : shrinkPicture(picture, 1280, 853);
      const double p = testing::psnr(shrunk, *reference), s = testing::ssim(shrunk, *reference);
      std::printf("%-16s %d x %d, %-10s PSNR %.1f dB  SSIM %.3f\n", c.name, c.width, c.height,
                  averaged ? "averaging" : "shrinking", p, s);
      if (averaged) continue;  // for comparison only
      EXPECT_GE(p, 35.0) << c.name;
      EXPECT_GE(s, 0.98) << c.name;
    }
  }
  std::filesystem::remove(folder);
}

}  // namespace
}  // namespace rivano

namespace rivano {
namespace {

PixelImage shrunkRowByRow(const PixelImage& source, std::int32_t width, std::int32_t height) {
  RowByRowShrink shrink(source.width, source.height, width, height);
  for (std::int32_t y = 0; y < source.height; ++y)
    shrink.addRow(std::span(source.pixels).subspan(static_cast<std::size_t>(y * source.width),
                                                   static_cast<std::size_t>(source.width)));
  return shrink.finish();
}

// Lanczos alone, averaging first, enlarging, one row, one pixel: every
// path of shrinkPicture, pixel for pixel.
TEST(RowByRowShrink, GivesExactlyWhatShrinkPictureGives) {
  const PixelImage source = noise(301, 203);
  for (auto [w, h] : {std::pair{200, 150}, {150, 101}, {37, 23}, {20, 90}, {7, 5}, {1, 1}, {301, 203}, {450, 300},
                      {301, 1}, {1, 203}}) {
    const PixelImage whole = shrinkPicture(source, w, h);
    const PixelImage rows = shrunkRowByRow(source, w, h);
    EXPECT_EQ(rows.width, w);
    EXPECT_EQ(rows.height, h);
    EXPECT_EQ(rows.pixels, whole.pixels) << w << " x " << h;
  }
}

TEST(RowByRowShrink, MissingRowsOrNoSizeGiveNothing) {
  const PixelImage source = noise(40, 30);
  RowByRowShrink shrink(40, 30, 10, 10);
  for (std::int32_t y = 0; y < 29; ++y)
    shrink.addRow(std::span(source.pixels).subspan(static_cast<std::size_t>(y * 40), 40));
  EXPECT_TRUE(shrink.finish().pixels.empty());
  EXPECT_TRUE(shrunkRowByRow(source, 0, 10).pixels.empty());
}

}  // namespace
}  // namespace rivano
