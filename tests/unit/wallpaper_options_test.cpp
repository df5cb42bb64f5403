// The wallpaper options beyond the plain change: the even draw without
// repeats, the filled screen and the bitmap composed for several monitors.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "engine/fair_draw.h"
#include "engine/fill_screen.h"
#include "engine/monitor_wallpaper.h"

namespace rivano {
namespace {

// Draws r = (k + 0.5) / n for k = 0, 1, ...: every index once in n draws.
RandomPick evenSteps(int n) {
  auto k = std::make_shared<int>(0);
  return RandomPick([k, n] { return (static_cast<float>((*k)++ % n) + 0.5f) / static_cast<float>(n); });
}

const std::vector<PoolSource> kPool = {
    {L"C:\\Small", {L"one.jpg"}},
    {L"D:\\Large.zip", {L"a.jpg", L"b.jpg", L"c.jpg", L"d.jpg", L"e.jpg", L"f.jpg", L"g.jpg", L"h.jpg", L"i.jpg"}},
};

TEST(FairDraw, EveryPictureOfThePoolIsEquallyLikely) {
  // Ten pictures: ten evenly spread draws take each once.
  RandomPick steps = evenSteps(10);
  std::map<std::pair<std::size_t, std::size_t>, int> seen;
  for (int i = 0; i < 10; ++i) {
    const auto pick = drawFromPool(kPool, {}, false, steps);
    ASSERT_TRUE(pick.has_value());
    ++seen[{pick->source, pick->picture}];
  }
  EXPECT_EQ(seen.size(), 10u);
  // The clock-seeded generator: the small source's one picture comes up
  // about a tenth of the time, not half of it as a source drawn first would.
  RandomPick random;
  int small = 0;
  for (int i = 0; i < 20000; ++i) small += drawFromPool(kPool, {}, false, random)->source == 0;
  EXPECT_NEAR(small / 20000.0, 0.1, 0.02);
  EXPECT_FALSE(drawFromPool({{L"C:\\Empty", {}}}, {}, false, random).has_value());
}

TEST(FairDraw, PicturesInTheHistoryComeBackOnlyWhenNothingElseIsLeftAndTheOldestFirst) {
  RandomPick random;
  // Eight of the large source's pictures shown lately (one named in other
  // letter case, and a path not in the pool among them): the draw takes
  // only from one.jpg and i.jpg.
  std::vector<std::wstring> history = {L"X:\\gone.jpg"};
  for (const wchar_t* n : {L"a.jpg", L"B.JPG", L"c.jpg", L"d.jpg", L"e.jpg", L"f.jpg", L"g.jpg", L"h.jpg"})
    history.push_back(historyPath(L"D:\\Large.zip", n));
  history[2] = L"d:\\large.zip\\B.JPG";
  std::map<std::pair<std::size_t, std::size_t>, int> seen;
  for (int i = 0; i < 400; ++i) {
    const auto pick = drawFromPool(kPool, history, true, random);
    ++seen[{pick->source, pick->picture}];
  }
  EXPECT_EQ(seen.size(), 2u);
  EXPECT_GT((seen[{0, 0}]), 100);
  EXPECT_GT((seen[{1, 8}]), 100);
  // Every picture shown: the one shown longest ago comes first, then the next.
  history.push_back(historyPath(L"D:\\Large.zip", L"i.jpg"));
  history.push_back(historyPath(L"C:\\Small", L"one.jpg"));
  EXPECT_EQ(drawFromPool(kPool, history, true, random), (PoolPick{1, 0}));
  history.push_back(historyPath(L"D:\\Large.zip", L"a.jpg"));
  EXPECT_EQ(drawFromPool(kPool, history, true, random), (PoolPick{1, 1}));
  // A history of one: any other picture; the option off: any picture.
  EXPECT_NE(drawFromPool({{L"C:\\Small", {L"one.jpg", L"two.jpg"}}}, {L"C:\\Small\\one.jpg"}, true, random),
            (PoolPick{0, 0}));
}

// A pool whose counts may be out of date, counting the sources it lists.
class FakeCounted final : public CountedPool {
 public:
  FakeCounted(std::vector<PoolSource> pool, std::vector<std::size_t> recorded)
      : pool_(std::move(pool)), recorded_(std::move(recorded)), listings(pool_.size()) {}
  std::size_t sources() const override { return pool_.size(); }
  const std::wstring& path(std::size_t s) const override { return pool_[s].path; }
  std::size_t knownCount(std::size_t s) override { return recorded_[s]; }
  // A source listed is counted afresh, as the records are kept.
  const std::vector<std::wstring>& names(std::size_t s) override {
    ++listings[s];
    recorded_[s] = pool_[s].names.size();
    return pool_[s].names;
  }

 private:
  std::vector<PoolSource> pool_;
  std::vector<std::size_t> recorded_;

 public:
  std::vector<int> listings;
};

TEST(FairDraw, ByRecordedCountsOnlyTheSourceDrawnIsListedAndEveryPictureStaysEquallyLikely) {
  RandomPick steps = evenSteps(10);
  FakeCounted pool(kPool, {1, 9});
  std::set<std::pair<std::size_t, std::size_t>> seen;
  for (int i = 0; i < 10; ++i) {
    const auto pick = drawEvenlyByCounts(pool, {}, false, steps);
    ASSERT_TRUE(pick.has_value());
    seen.insert({pick->source, pick->picture});
  }
  EXPECT_EQ(seen.size(), 10u);
  EXPECT_EQ(pool.listings[1], 9) << "the large source listed only for its own draws";
  // A record that is out of date is put right before a picture is taken:
  // never an index past the real list, and the real count from then on.
  RandomPick random;
  FakeCounted stale(kPool, {5, 2});
  int small = 0;
  for (int i = 0; i < 4000; ++i) {
    const auto pick = drawEvenlyByCounts(stale, {}, false, random);
    ASSERT_LT(pick->picture, kPool[pick->source].names.size());
    small += pick->source == 0;
  }
  EXPECT_NEAR(small / 4000.0, 0.1, 0.05);
}

TEST(FairDraw, ByRecordedCountsTheHistoryIsAvoidedAndAPoolAllInItFallsBackToTheOldest) {
  RandomPick random;
  std::vector<std::wstring> history;
  for (const wchar_t* n : {L"a.jpg", L"b.jpg", L"c.jpg", L"d.jpg", L"e.jpg", L"f.jpg", L"g.jpg", L"h.jpg"})
    history.push_back(historyPath(L"D:\\Large.zip", n));
  for (int i = 0; i < 300; ++i) {
    FakeCounted pool(kPool, {1, 9});
    const auto pick = drawEvenlyByCounts(pool, history, true, random);
    EXPECT_TRUE((pick == PoolPick{0, 0}) || (pick == PoolPick{1, 8}));
  }
  history.push_back(historyPath(L"D:\\Large.zip", L"i.jpg"));
  history.push_back(historyPath(L"C:\\Small", L"one.jpg"));
  FakeCounted all(kPool, {1, 9});
  EXPECT_EQ(drawEvenlyByCounts(all, history, true, random), (PoolPick{1, 0}));
}

const ScreenMetrics kScreen{{15360, 11520}, 15, 15};  // 1024 × 768

TEST(FillScreen, APictureLargerOnBothSidesCoversTheBoxAndKeepsItsMiddle) {
  // 4000 × 2000 px: the height shrinks the least (by 2.6), the width then
  // overhangs by 512 pixels, cut 256 from each end.
  const auto wide = fillPlan({60000, 30000}, fitBox(kScreen.twips, 0), kScreen);
  ASSERT_TRUE(wide.has_value());
  EXPECT_EQ(wide->covering, (PixelSize{1536, 768}));
  EXPECT_EQ(wide->kept, (PixelSize{1024, 768}));
  EXPECT_EQ(wide->left, 256);
  EXPECT_EQ(wide->top, 0);
  // A tall one overhangs below and above; one of the screen's own shape
  // covers it exactly; a margin makes the box, and so what is kept, smaller.
  const auto tall = fillPlan({30000, 60000}, fitBox(kScreen.twips, 0), kScreen);
  EXPECT_EQ(tall->covering, (PixelSize{1024, 2048}));
  EXPECT_EQ(tall->top, 640);
  EXPECT_EQ(fillPlan({60000, 45000}, fitBox(kScreen.twips, 0), kScreen)->covering, (PixelSize{1024, 768}));
  EXPECT_EQ(fillPlan({60000, 45000}, fitBox(kScreen.twips, 10), kScreen)->kept, (PixelSize{922, 691}));
  // Larger on one side only, or on neither: fitted as before, never enlarged.
  EXPECT_FALSE(fillPlan({30000, 6000}, fitBox(kScreen.twips, 0), kScreen).has_value());
  EXPECT_FALSE(fillPlan({15360, 11520}, fitBox(kScreen.twips, 0), kScreen).has_value());
  EXPECT_FALSE(fillPlan({900, 600}, fitBox(kScreen.twips, 0), kScreen).has_value());
}

// A picture whose every pixel says where it is in whatever size it is drawn.
class Positions final : public Picture {
 public:
  PictureTwips sizeTwips() const override { return {60000, 30000}; }
  PixelImage asLoaded() const override { return stretched(4000, 2000); }
  PixelImage stretched(std::int32_t w, std::int32_t h) const override {
    PixelImage img{w, h, {}};
    for (std::int32_t y = 0; y < h; ++y)
      for (std::int32_t x = 0; x < w; ++x) img.pixels.push_back(static_cast<std::uint32_t>(y << 12 | x));
    return img;
  }
};

TEST(FillScreen, TheFilledImageIsTheMiddleOfTheCoveringOne) {
  const auto image = filledImage(Positions{}, kScreen, 0);
  ASSERT_TRUE(image.has_value());
  EXPECT_EQ(image->width, 1024);
  EXPECT_EQ(image->height, 768);
  EXPECT_EQ(image->at(0, 0), 256u);
  EXPECT_EQ(image->at(1023, 767), (767u << 12) | 1279u);
}

PixelImage solid(std::int32_t w, std::int32_t h, std::uint32_t colour) {
  return {w, h, std::vector<std::uint32_t>(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), colour)};
}

TEST(MonitorWallpaper, OneMonitorGivesItsPictureAsItIs) {
  const std::vector<Monitor> one = {{0, 0, 1024, 768, true}};
  PixelImage picture = solid(1024, 768, 0x112233);
  picture.pixels[5] = 0x445566;
  EXPECT_EQ(composeMonitors(one, {{picture, false}}, 0x3A6EA5, SpanStyle::span).pixels, picture.pixels);
  // Smaller and not tiled: centred, the background round it.
  const PixelImage centred = composeMonitors(one, {{solid(24, 8, 0xFF0000), false}}, 0x3A6EA5, SpanStyle::span);
  EXPECT_EQ(centred.at(500, 380), 0xFF0000u);
  EXPECT_EQ(centred.at(499, 380), 0x3A6EA5u);
  EXPECT_EQ(centred.at(524, 383), 0x3A6EA5u);
}

// Left of the primary and lower, a landscape monitor; right of it a
// portrait one taller than the primary; each picture fitted to its own.
const std::vector<Monitor> kThree = {
    {0, 0, 1920, 1080, true}, {-1280, 100, 1280, 1024, false}, {1920, -200, 1080, 1920, false}};

TEST(MonitorWallpaper, EachMonitorShowsItsOwnPictureOverTheVirtualScreen) {
  const DesktopRect desk = virtualScreen(kThree);
  EXPECT_EQ(desk.left, -1280);
  EXPECT_EQ(desk.top, -200);
  EXPECT_EQ(desk.width, 4280);
  EXPECT_EQ(desk.height, 1920);
  EXPECT_EQ(monitorMetrics(kThree[2], kScreen).twips.width, 1080 * 15);
  EXPECT_EQ(monitorMetrics(kThree[2], kScreen).twips.height, 1920 * 15);
  PixelImage checks = solid(2, 2, 0x000000);
  checks.pixels[1] = checks.pixels[2] = 0xFFFFFF;
  const std::vector<MonitorPicture> pictures = {
      {solid(1920, 1080, 0xAA0000), false}, {solid(1000, 1024, 0x00AA00), false}, {checks, true}};
  const PixelImage span = composeMonitors(kThree, pictures, 0x3A6EA5, SpanStyle::span);
  ASSERT_EQ(span.width, 4280);
  ASSERT_EQ(span.height, 1920);
  // In bitmap pixels: the virtual screen's corner is 0, 0.
  EXPECT_EQ(span.at(1280, 200), 0xAA0000u);            // primary's corner
  EXPECT_EQ(span.at(1280 + 1919, 200 + 1079), 0xAA0000u);
  EXPECT_EQ(span.at(140, 300), 0x00AA00u);              // left monitor, its picture centred
  EXPECT_EQ(span.at(139, 300), 0x3A6EA5u);              // the bars beside it
  EXPECT_EQ(span.at(500, 299), 0x3A6EA5u);              // above the left monitor: no monitor
  EXPECT_EQ(span.at(3200, 0), 0x000000u);               // portrait: tiled from its own corner
  EXPECT_EQ(span.at(3201, 0), 0xFFFFFFu);
  EXPECT_EQ(span.at(3201, 1919), 0x000000u);
  EXPECT_EQ(span.at(1280, 1500), 0x3A6EA5u);            // below the primary: no monitor
  // Tiled from the primary's corner instead: every desktop pixel at x, y
  // lands at x, y modulo the bitmap's size.
  const PixelImage tiled = composeMonitors(kThree, pictures, 0x3A6EA5, SpanStyle::tiledFromOrigin);
  for (int y = -200; y < 1720; y += 97)
    for (int x = -1280; x < 3000; x += 101)
      ASSERT_EQ(tiled.at((x + 4280) % 4280, (y + 1920) % 1920), span.at(x + 1280, y + 200)) << x << "," << y;
  EXPECT_EQ(tiled.at(0, 0), 0xAA0000u);
}

}  // namespace
}  // namespace rivano
