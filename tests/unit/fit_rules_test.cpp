#include "engine/fit_rules.h"

#include <gtest/gtest.h>

#include "common/run_error.h"

namespace rivano {
namespace {

// 1024 × 768 pixels at 15 twips per pixel.
constexpr ScreenTwips kScreen{15360, 11520};

TEST(TileCheck, CopiesThatFillTheScreenExactlyDoNotTile) {
  EXPECT_FALSE(smallEnoughToTile(kScreen, {7680, 5760}, 2, 2));
  EXPECT_TRUE(smallEnoughToTile(kScreen, {7679, 5760}, 2, 2));
  EXPECT_TRUE(smallEnoughToTile(kScreen, {7680, 5759}, 2, 2));
}

TEST(TileCheck, EitherAxisIsEnough) {
  EXPECT_FALSE(smallEnoughToTile(kScreen, {6000, 4000}, 3, 3));
  EXPECT_TRUE(smallEnoughToTile(kScreen, {6000, 4000}, 3, 2));
}

TEST(TileCheck, ZeroCountsAlwaysTile) {
  EXPECT_TRUE(smallEnoughToTile(kScreen, {99999, 99999}, 0, 5));
  EXPECT_TRUE(smallEnoughToTile(kScreen, {99999, 99999}, 5, 0));
}

TEST(TileCheck, SpanBeyondThirtyTwoBitsOverflows) {
  try {
    smallEnoughToTile(kScreen, {2.0e9f, 10}, 2, 2);
    FAIL() << "expected overflow";
  } catch (const RunError& e) {
    EXPECT_EQ(e.number(), err::overflow);
  }
}

TEST(TileDecision, OptionsNeverAlwaysAutomatic) {
  const PictureTwips small{100, 100};
  const PictureTwips huge{20000, 20000};
  EXPECT_FALSE(tileDecision(0, kScreen, small, 2, 2));
  EXPECT_TRUE(tileDecision(1, kScreen, huge, 2, 2));
  EXPECT_TRUE(tileDecision(2, kScreen, small, 2, 2));
  EXPECT_FALSE(tileDecision(2, kScreen, huge, 2, 2));
  EXPECT_FALSE(tileDecision(7, kScreen, huge, 2, 2));  // any other value is automatic
}

TEST(FitBox, MarginRoundsToNearestTwip) {
  EXPECT_EQ(fitBox(kScreen, 0), (TwipsBox{15360, 11520}));
  EXPECT_EQ(fitBox(kScreen, 5), (TwipsBox{14592, 10944}));
  EXPECT_EQ(fitBox(kScreen, 3).width, 14899);  // 14899.2
  // 0.5 goes to the even neighbour: 1 × 15 / 100 ... use 50 % of 15361 = 7680.5
  EXPECT_EQ(fitBox({15361, 3}, 50), (TwipsBox{7680, 2}));
  EXPECT_EQ(fitBox({15363, 5}, 50), (TwipsBox{7682, 2}));
}

TEST(FitBox, ArithmeticFaultsRaiseOverflow) {
  EXPECT_THROW(fitBox({2000000000, 10}, -100), RunError);
  EXPECT_THROW(fitBox(kScreen, -32700), RunError);
}

struct RatioCase {
  PictureTwips picture;
  float factor;
  TwipsBox canvas;
};

class FitRatio : public ::testing::TestWithParam<RatioCase> {};

TEST_P(FitRatio, FactorAndCanvas) {
  const TwipsBox box{14592, 10944};
  const RatioCase& c = GetParam();
  const float factor = fitFactor(c.picture, box);
  EXPECT_FLOAT_EQ(factor, c.factor);
  EXPECT_EQ(fittedCanvas(c.picture, factor), c.canvas);
}

INSTANTIATE_TEST_SUITE_P(
    ExamplesOnA95PercentBox, FitRatio,
    ::testing::Values(RatioCase{{19200, 14400}, 1.3157895f, {14592, 10944}},
                      // The width decides and comes out one twip below the box.
                      RatioCase{{20000, 14000}, 1.3706141f, {14591, 10214}},
                      RatioCase{{16000, 4000}, 1.0964912f, {14592, 3648}},
                      // Equal excesses: the width decides, the height stays above the box.
                      RatioCase{{15592, 11944}, 1.0685307f, {14592, 11177}}));

TEST(FitRatioLimits, PictureWithinTheBoxIsNotScaled) {
  EXPECT_EQ(fitFactor({14592, 10944}, {14592, 10944}), 0.0f);
  EXPECT_EQ(fitFactor({100, 100}, {14592, 10944}), 0.0f);
}

// The deciding side lands a fraction of a twip below the box; in pixels it
// must still fill the box, or a strip of desktop shows beside the wallpaper.
TEST(FittedPixels, TheDecidingSideFillsTheBoxToThePixel) {
  // 1920 × 1080 screen, a 2560 × 1440 photo: factor 1.3333334 in single
  // precision, canvas 28799 × 16199 twips.
  const PictureTwips photo{38400, 21600};
  const TwipsBox fullHd{28800, 16200};
  const float factor = fitFactor(photo, fullHd);
  EXPECT_EQ(fittedCanvas(photo, factor), (TwipsBox{28799, 16199}));
  EXPECT_EQ(fittedPixels(photo, factor, 15, 15), (PixelSize{1920, 1080}));
  // 600 × 805 on 1024 × 768: the height decides; the width keeps the aspect
  // (600 × 768 / 805 = 572.4).
  const PictureTwips portrait{9000, 12075};
  EXPECT_EQ(fittedPixels(portrait, fitFactor(portrait, {15360, 11520}), 15, 15), (PixelSize{572, 768}));
  // The other side goes to its nearest pixel too: 10214 twips is 680.9 px.
  EXPECT_EQ(fittedPixels({20000, 14000}, 1.3706141f, 15, 15), (PixelSize{973, 681}));
}

TEST(FittedPixels, NeverLessThanOnePixel) {
  EXPECT_EQ(nearestPixels(3, 0, 15, 15), (PixelSize{1, 1}));
  EXPECT_EQ(nearestPixels(22, 23, 15, 15), (PixelSize{1, 2}));
}

TEST(FitRatioLimits, EmptyBoxIsADivisionError) {
  try {
    fitFactor({100, 100}, {0, 0});
    FAIL() << "expected a division error";
  } catch (const RunError& e) {
    EXPECT_EQ(e.number(), err::divisionByZero);
  }
}

}  // namespace
}  // namespace rivano

#include "engine/random_pick.h"

namespace rivano {
namespace {

TEST(RandomPick, NumberedFromOneByIntOfNTimesRPlusOne) {
  EXPECT_EQ(pickIndex(5, 0.0f), 0u);
  EXPECT_EQ(pickIndex(5, 0.19f), 0u);
  EXPECT_EQ(pickIndex(5, 0.2f), 1u);
  EXPECT_EQ(pickIndex(5, 0.99f), 4u);
  // Just below 1 in single precision: n × r rounds up to n, yet the pick
  // stays in range.
  EXPECT_EQ(pickIndex(3, 0.99999994f), 2u);
  EXPECT_EQ(pickIndex(1, 0.5f), 0u);
}

TEST(RandomPick, ClockSeededDrawsStayInRangeAndVary) {
  RandomPick random;
  std::size_t seen[4] = {};
  for (int i = 0; i < 400; ++i) {
    const std::size_t k = random.pick(4);
    ASSERT_LT(k, 4u);
    ++seen[k];
  }
  for (std::size_t count : seen) EXPECT_GT(count, 0u);
}

}  // namespace
}  // namespace rivano
