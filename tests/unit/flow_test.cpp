#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "flow/exit_change.h"
#include "flow/start_draw.h"
#include "flow/window_place.h"

namespace rivano {
namespace {

TEST(WindowPlace, CentredFromTheGivenSizesRoundingTowardsTheCorner) {
  EXPECT_EQ(centredPlace({480, 405}, {1024, 768}).left, 272);
  EXPECT_EQ(centredPlace({480, 405}, {1024, 768}).top, 181);  // 363 / 2
  // A window wider than the screen sticks out on both sides alike.
  EXPECT_EQ(centredPlace({1200, 405}, {1024, 768}).left, -88);
  // Another size moves the place: nothing of one window is built in.
  EXPECT_EQ(centredPlace({960, 810}, {1024, 768}).left, 32);
}

TEST(WindowPlace, StoredPlaceWinsOnEachAxisThatHoldsANumber) {
  const WindowPlace centred{272, 181};
  MainLoadValues loaded;
  loaded.left = 1500;
  loaded.top = 3000;
  // Values without the WinPos key are not a stored place.
  EXPECT_EQ(placeAtStart(loaded, centred, 15, 15).left, 272);
  loaded.winPosExists = true;
  EXPECT_EQ(placeAtStart(loaded, centred, 15, 15).left, 100);
  EXPECT_EQ(placeAtStart(loaded, centred, 15, 20).top, 150);
  loaded.top.reset();  // stored, but no number
  EXPECT_EQ(placeAtStart(loaded, centred, 15, 15).top, 181);
  EXPECT_EQ(placeAtStart(loaded, centred, 15, 15).left, 100);
}

TEST(ExitHistory, TheSamePictureTwiceRunningIsOneEntry) {
  std::vector<std::wstring> history{L"C:\\a\\1.jpg", L"C:\\a\\2.jpg"};
  recordInHistory(history, L"C:\\a\\2.jpg");
  EXPECT_EQ(history.size(), 2u);
  recordInHistory(history, L"C:\\a\\1.jpg");  // again, but not running
  EXPECT_EQ(history, (std::vector<std::wstring>{L"C:\\a\\1.jpg", L"C:\\a\\2.jpg", L"C:\\a\\1.jpg"}));
  std::vector<std::wstring> empty;
  recordInHistory(empty, L"x.lzh\\m.bmp");
  EXPECT_EQ(empty, std::vector<std::wstring>{L"x.lzh\\m.bmp"});
}

TEST(ExitHistory, EntryRulesTakeTheEntrysTilingAndTheFittingOptions) {
  const ScreenMetrics screen;
  const ExitChangeRules rules = entryRules(screen, {true, 7, true}, WallEntry{L"C:\\x", true, 1, 3, 4});
  EXPECT_EQ(&rules.screen, &screen);
  EXPECT_TRUE(rules.shrink);
  EXPECT_EQ(rules.marginPercent, 7);
  EXPECT_EQ(rules.tileOption, 1);
  EXPECT_EQ(rules.tileAcross, 3);
  EXPECT_EQ(rules.tileDown, 4);
  EXPECT_TRUE(rules.fill);
}

// Draws with fixed values, and counts how often it was asked.
struct FixedDraws {
  std::vector<float> values;
  std::size_t used = 0;
  RandomPick pick() {
    return RandomPick([this] { return values.at(used++); });
  }
};

TEST(StartDraw, ClassicDrawPicksASourceAndLeavesThePictureToItsList) {
  FixedDraws draws{{0.7f}};
  RandomPick random = draws.pick();
  bool pooled = false;
  const auto pool = [&] {
    pooled = true;
    return std::optional<SourcePick>{};
  };
  const std::optional<StartChoice> choice = drawAtStart(3, WallpaperExtras{}, pool, random);
  ASSERT_TRUE(choice);
  EXPECT_EQ(choice->candidate, 2u);  // Int(3 × 0.7 + 1) − 1
  EXPECT_FALSE(choice->picture);
  EXPECT_FALSE(pooled);
  EXPECT_EQ(draws.used, 1u);
}

TEST(StartDraw, EitherExtraOptionDrawsFromThePoolAlone) {
  for (const WallpaperExtras extras : {WallpaperExtras{true, false, false, false},
                                       WallpaperExtras{false, true, false, false}}) {
    FixedDraws draws{{0.5f}};
    RandomPick random = draws.pick();
    const auto pool = [] { return std::optional<SourcePick>{SourcePick{1, L"b.jpg"}}; };
    const std::optional<StartChoice> choice = drawAtStart(3, extras, pool, random);
    ASSERT_TRUE(choice);
    EXPECT_EQ(choice->candidate, 1u);
    EXPECT_EQ(choice->picture, L"b.jpg");
    EXPECT_EQ(draws.used, 0u);  // no source drawn before the pool's own draw
    EXPECT_FALSE(drawAtStart(3, extras, [] { return std::optional<SourcePick>{}; }, random));
  }
}

TEST(StartDraw, NoCandidateDrawsNothing) {
  FixedDraws draws{{0.5f}};
  RandomPick random = draws.pick();
  EXPECT_FALSE(drawAtStart(0, WallpaperExtras{}, [] { return std::optional<SourcePick>{}; }, random));
  EXPECT_EQ(draws.used, 0u);
}

}  // namespace
}  // namespace rivano
