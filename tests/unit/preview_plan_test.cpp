#include "engine/preview_plan.h"

#include <gtest/gtest.h>

namespace rivano {
namespace {

// A preview box of 1500 × 1125 twips inside.
PreviewPlan plan(float w, float h) {
  const TwipsBox box{1500, 1125};
  return planPreview({w, h}, 1500, 1125, fitFactor({w, h}, box));
}

TEST(PreviewPlan, ShrunkButSmallDrawnAtOnce) {
  const PreviewPlan p = plan(6000, 4500);
  EXPECT_FLOAT_EQ(p.width, 1500);
  EXPECT_FLOAT_EQ(p.height, 1125);
  EXPECT_FLOAT_EQ(p.x0, 0);
  EXPECT_FLOAT_EQ(p.y0, 0);
  EXPECT_FALSE(p.progressive);
}

TEST(PreviewPlan, WidePictureRevealedFromTheLeft) {
  const PreviewPlan p = plan(12000, 6000);
  EXPECT_FLOAT_EQ(p.height, 750);
  EXPECT_FLOAT_EQ(p.y0, 187.5f);
  EXPECT_TRUE(p.progressive);
  EXPECT_TRUE(p.stripsAcross);
}

TEST(PreviewPlan, TallPictureAndExactFitRevealedFromTheTop) {
  const PreviewPlan tall = plan(6000, 9000);
  EXPECT_FLOAT_EQ(tall.width, 750);
  EXPECT_FLOAT_EQ(tall.x0, 375);
  EXPECT_TRUE(tall.progressive);
  EXPECT_FALSE(tall.stripsAcross);
  const PreviewPlan exact = plan(12000, 9000);
  EXPECT_FLOAT_EQ(exact.x0, 0);
  EXPECT_FLOAT_EQ(exact.y0, 0);
  EXPECT_FALSE(exact.stripsAcross);
}

TEST(PreviewPlan, SmallPictureCentredAtItsOwnSize) {
  const PreviewPlan p = plan(600, 300);
  EXPECT_FLOAT_EQ(p.width, 600);
  EXPECT_FLOAT_EQ(p.x0, 450);
  EXPECT_FLOAT_EQ(p.y0, 412.5f);
  EXPECT_FALSE(p.progressive);
}

TEST(PreviewPlan, AShrunkPictureFillsTheBoxToThePixel) {
  // A 100 × 75 px box and a 107 × 60 px picture: 1500 wide by the factor,
  // a fraction of a twip short, must still be the box's 100 pixels.
  const PictureTwips photo{1605, 900};
  const PreviewPlan p = planPreview(photo, 1500, 1125, fitFactor(photo, {1500, 1125}));
  EXPECT_LT(p.width, 1500.0f);
  EXPECT_EQ(previewPixels(p, 15, 15), (PixelSize{100, 56}));
  // 600 × 805 px into the same box: the height decides (75 px); 55.9 wide.
  const PictureTwips portrait{9000, 12075};
  EXPECT_EQ(previewPixels(planPreview(portrait, 1500, 1125, fitFactor(portrait, {1500, 1125})), 15, 15),
            (PixelSize{56, 75}));
}

TEST(PreviewPlan, FiveStripsCoverThePictureExactly) {
  for (bool across : {true, false}) {
    PreviewPlan p;
    p.stripsAcross = across;
    std::int32_t covered = 0;
    for (int b = 0; b < 5; ++b) {
      const StripRect s = previewStrip(p, 97, 53, b);
      EXPECT_EQ(across ? s.left : s.top, covered);
      covered += across ? s.width : s.height;
    }
    EXPECT_EQ(covered, across ? 97 : 53);
  }
}

}  // namespace
}  // namespace rivano
