// Twips to pixels at a window's DPI and the choice among the pictures drawn
// at several sizes.
#include "common/dpi_scale.h"

#include <gtest/gtest.h>

namespace rivano {
namespace {

// Where 1440 / DPI is whole the layout must not move by a pixel from what
// the whole twips-per-pixel division gave; elsewhere it must be exact.
TEST(TwipsToPixels, MatchesTheWholeDivisionWhereThereIsOne) {
  for (int dpi : {96, 120, 144, 240, 288})
    for (int twips : {0, 1, 14, 15, 119, 120, 255, 2535, 4215, 7200, 6075, -20000, -1})
      EXPECT_EQ(twipsToPixels(twips, dpi), twips / (1440 / dpi)) << twips << " twips at " << dpi;
}

TEST(TwipsToPixels, IsExactAtDpisWithoutWholeTwipsPerPixel) {
  // 7.5 twips a pixel: a whole 7 would make the window 7 % too large.
  EXPECT_EQ(twipsToPixels(7200, 192), 960);
  EXPECT_EQ(twipsToPixels(6075, 192), 810);
  EXPECT_EQ(twipsToPixels(240, 192), 32);
  EXPECT_EQ(twipsToPixels(1440, 168), 168);
  EXPECT_EQ(twipsToPixels(255, 168), 29);  // 29.75, cut
  // No overflow on the way for the largest twips a window may hold.
  EXPECT_EQ(twipsToPixels(2'000'000'000, 480), 666'666'666);
}

TEST(PictureScale, TakesTheNearestDrawing) {
  EXPECT_EQ(nearestPictureScale(96), 0);
  EXPECT_EQ(nearestPictureScale(120), 1);
  EXPECT_EQ(nearestPictureScale(144), 2);
  EXPECT_EQ(nearestPictureScale(192), 3);
  EXPECT_EQ(nearestPictureScale(72), 0);
  EXPECT_EQ(nearestPictureScale(107), 0);   // 111 %: nearer 100
  EXPECT_EQ(nearestPictureScale(109), 1);   // 113.5 %: nearer 125
  EXPECT_EQ(nearestPictureScale(131), 1);
  EXPECT_EQ(nearestPictureScale(132), 2);   // 137.5 %: between, the larger
  EXPECT_EQ(nearestPictureScale(168), 3);   // 175 %: between, the larger
  EXPECT_EQ(nearestPictureScale(167), 2);
  EXPECT_EQ(nearestPictureScale(480), 3);
}

TEST(PictureScale, GivesTheSizeOfTheChosenDrawing) {
  EXPECT_EQ(picturePixels(16, 96), 16);
  EXPECT_EQ(picturePixels(16, 120), 20);
  EXPECT_EQ(picturePixels(16, 144), 24);
  EXPECT_EQ(picturePixels(16, 192), 32);
  EXPECT_EQ(picturePixels(32, 144), 48);
  EXPECT_EQ(picturePixels(64, 192), 128);
  EXPECT_EQ(picturePixels(32, 160), 48);  // 166 %: the 150 % drawing
  EXPECT_EQ(pictureScalePercent(-1), 100);
  EXPECT_EQ(pictureScalePercent(kPictureScaleCount), 100);
}

}  // namespace
}  // namespace rivano
