// The logon run in this process with its random draws fixed: which source
// and which picture it takes, how it treats an archive's member, and that it
// makes the change for the next start without touching the desktop now.
#include <gtest/gtest.h>
#include <windows.h>

#include <deque>
#include <string>
#include <tuple>
#include <vector>

#include "app/silent_run.h"
#include "engine/pixel_image.h"
#include "platform/archiver_libraries.h"
#include "platform/file_system.h"
#include "platform/monitor_layout.h"
#include "platform/ole_picture.h"
#include "platform/screen.h"
#include "platform/win32_registry.h"
#include "tests/wine/program_settings.h"
#include "tests/wine/test_support.h"

namespace rivano {
namespace {

using testing::TempFolder;

using testing::kProgramKey;
using testing::kWallList;

// The change at logon takes effect at the next start; showing it now would
// flash a picture the user did not ask for.
class NoDesktop final : public Desktop {
 public:
  void setWallpaper(const std::wstring&) override { ++calls; }
  int calls = 0;
};

class SilentRunTest : public ::testing::Test, protected testing::ProgramSettings {
 protected:
  void SetUp() override {
    registry.deleteKey(kProgramKey);
    state.appFolder = folder.path();
    state.wallpaperBitmap = folder.path() + L"Rivano.bmp";
    state.unpackFolder = folder.path() + L"UnPakTmp";
    state.screen = win::measureScreen();
    big = folder.path() + L"big";
    small = folder.path() + L"small";
    CreateDirectoryW(big.c_str(), nullptr);
    CreateDirectoryW(small.c_str(), nullptr);
    // Three sizes of file, so that a sort by size puts them in a known order.
    write(big + L"\\a.bmp", 40, 30, 0xFF0000);  // 3654 bytes
    write(big + L"\\b.bmp", 50, 20, 0x00FF00);  // 3054
    write(big + L"\\c.bmp", 60, 10, 0x0000FF);  // 1854
    write(small + L"\\d.bmp", 7, 7, 0x123456);
  }
  void TearDown() override { registry.deleteKey(kProgramKey); }

  static void write(const std::wstring& path, std::int32_t w, std::int32_t h, std::uint32_t colour) {
    testing::writeFileBytes(path, encodeBmp24({w, h, std::vector<std::uint32_t>(static_cast<std::size_t>(w) * h,
                                                                                 colour)}));
  }

  // Runs with the given draws, in order: the source's, then the picture's.
  // The draws in order, then 0 once they run out.
  static RandomPick fixedDraws(std::deque<float> draws) {
    return RandomPick([draws = std::move(draws)]() mutable {
      const float r = draws.empty() ? 0.0f : draws.front();
      if (!draws.empty()) draws.pop_front();
      return r;
    });
  }
  void run(std::deque<float> draws) {
    RandomPick random = fixedDraws(std::move(draws));
    win::Win32Registry settings;
    win::ArchiverLibraries archivers;
    win::OlePictureLoader pictures(state.screen);
    win::BitmapFile bitmapFile;
    Services services{settings, settings, archivers, pictures, bitmapFile, desktop};
    runSilently(state, services, random);
  }

  // The colour of the bitmap written, or 1 when there is none.
  std::uint32_t appliedColour() {
    const auto written = decodeBmp(testing::readFileBytes(state.wallpaperBitmap));
    return written && !written->pixels.empty() ? written->pixels[0] : 1u;
  }

  TempFolder folder{L"silentrun"};
  ProgramState state;
  NoDesktop desktop;
  std::wstring big, small;
};

TEST_F(SilentRunTest, DrawsAmongCheckedSourcesThatExistAndPicksByTheListsSortOrder) {
  // Unchecked, missing and checked sources: only the checked ones that
  // exist are drawn from, in their order.
  registerSources({{small, false}, {folder.path() + L"gone", true}, {big, true}, {small, true}});
  put(kProgramKey + L"\\WinPos", L"SortKey", L"1");  // by size
  put(kProgramKey + L"\\WinPos", L"SortOrder", L"1");  // largest first
  run({0.0f, 0.0f});
  EXPECT_EQ(appliedColour(), 0xFF0000u);
  EXPECT_EQ(get(kWallList, L"Rireki0"), big + L"\\a.bmp");

  put(kProgramKey + L"\\WinPos", L"SortOrder", L"0");  // smallest first
  run({0.0f, 0.0f});
  EXPECT_EQ(appliedColour(), 0x0000FFu);
  EXPECT_EQ(get(kWallList, L"Rireki1"), big + L"\\c.bmp");

  run({0.99f, 0.0f});  // the last of the two checked sources
  EXPECT_EQ(appliedColour(), 0x123456u);
  EXPECT_EQ(get(kWallList, L"Rireki2"), small + L"\\d.bmp");
  EXPECT_EQ(get(L"Control Panel\\desktop", L"Wallpaper"), state.wallpaperBitmap);
  EXPECT_EQ(desktop.calls, 0);
}

// A desktop of several monitors, as the system would report it.
class FakeMonitors final : public MonitorLayout {
 public:
  FakeMonitors(std::vector<Monitor> list, bool spans) : list_(std::move(list)), spans_(spans) {}
  std::vector<Monitor> monitors() const override { return list_; }
  bool spansOneBitmap() const override { return spans_; }
  std::uint32_t background() const override { return kBackground; }
  static constexpr std::uint32_t kBackground = 0x3A6EA5;

 private:
  std::vector<Monitor> list_;
  bool spans_;
};

class PerMonitorTest : public SilentRunTest {
 protected:
  void SetUp() override {
    SilentRunTest::SetUp();
    for (const auto& [name, w, h, colour] : {std::tuple{L"red", 40, 30, 0xFF0000u}, std::tuple{L"green", 50, 20, 0x00FF00u},
                                             std::tuple{L"blue", 60, 10, 0x0000FFu}}) {
      const std::wstring source = folder.path() + name;
      CreateDirectoryW(source.c_str(), nullptr);
      write(source + L"\\" + name + L".bmp", w, h, colour);
      sources.push_back(source);
    }
    registerSources({{sources[0], true}, {sources[1], true}, {sources[2], true}});
    // Red and blue centred, green repeated over its monitor.
    for (const auto& [n, tile] : {std::pair{1, L"0"}, std::pair{2, L"1"}, std::pair{3, L"0"}})
      put(kWallList, L"TileOpt" + std::to_wstring(n), tile);
    put(kProgramKey + L"\\Option", L"PerMonitor", L"1");
  }
  // Draws: red for the primary, then green and blue for the others, in
  // the order the layout lists them.
  PixelImage runOn(const FakeMonitors& layout) {
    RandomPick random = fixedDraws({0.0f, 0.0f, 0.5f, 0.0f, 0.9f, 0.0f});
    win::Win32Registry settings;
    win::ArchiverLibraries archivers;
    win::OlePictureLoader loader(state.screen);
    win::BitmapFile bitmapFile;
    SilentRun run(state, settings, settings, archivers, random);
    run.useMonitors(layout);
    run.draw();
    run.finish(loader, bitmapFile, desktop);
    return decodeBmp(testing::readFileBytes(state.wallpaperBitmap)).value_or(PixelImage{});
  }
  std::vector<std::wstring> sources;
};

TEST_F(PerMonitorTest, TwoMonitorsSpannedEachShowItsOwnPicture) {
  // The second monitor left of the primary and lower.
  const PixelImage bitmap = runOn(FakeMonitors({{0, 0, 200, 100, true}, {-120, 20, 120, 90, false}}, true));
  ASSERT_EQ(bitmap.width, 320);
  ASSERT_EQ(bitmap.height, 110);
  EXPECT_EQ(bitmap.at(120 + 100, 50), 0xFF0000u);                      // red, centred on the primary
  EXPECT_EQ(bitmap.at(120 + 79, 50), FakeMonitors::kBackground);        // beside it
  for (const auto& [x, y] : {std::pair{0, 20}, std::pair{119, 109}, std::pair{60, 64}})
    EXPECT_EQ(bitmap.at(x, y), 0x00FF00u) << x << "," << y;             // green over all of its monitor
  EXPECT_EQ(bitmap.at(60, 10), FakeMonitors::kBackground);              // above it: no monitor
  EXPECT_EQ(get(L"Control Panel\\desktop", L"WallpaperStyle"), L"22");
  EXPECT_EQ(get(L"Control Panel\\desktop", L"TileWallpaper"), L"0");
  EXPECT_EQ(get(L"Control Panel\\desktop", L"Wallpaper"), state.wallpaperBitmap);
  // Each monitor's picture in the history, the primary's last.
  EXPECT_EQ(get(kWallList, L"Rireki0"), sources[1] + L"\\green.bmp");
  EXPECT_EQ(get(kWallList, L"Rireki1"), sources[0] + L"\\red.bmp");
}

TEST_F(PerMonitorTest, ThreeMonitorsTiledTheOlderWayWrapFromThePrimarysCorner) {
  // A portrait monitor right of the primary and higher.
  const PixelImage bitmap = runOn(FakeMonitors(
      {{0, 0, 200, 100, true}, {-120, 20, 120, 90, false}, {200, -50, 60, 150, false}}, false));
  ASSERT_EQ(bitmap.width, 380);
  ASSERT_EQ(bitmap.height, 160);
  // Desktop x, y lands at x, y modulo the bitmap's size.
  auto at = [&](int x, int y) { return bitmap.at((x + 380) % 380, (y + 160) % 160); };
  EXPECT_EQ(at(100, 50), 0xFF0000u);
  EXPECT_EQ(at(-60, 60), 0x00FF00u);
  EXPECT_EQ(at(-120, 109), 0x00FF00u);
  EXPECT_EQ(at(230, 25), 0x0000FFu);  // centred on the portrait monitor
  EXPECT_EQ(at(230, -40), FakeMonitors::kBackground);
  EXPECT_EQ(get(L"Control Panel\\desktop", L"TileWallpaper"), L"1");
  EXPECT_EQ(get(L"Control Panel\\desktop", L"WallpaperStyle"), L"0");
  EXPECT_EQ(get(kWallList, L"Rireki0"), sources[1] + L"\\green.bmp");
  EXPECT_EQ(get(kWallList, L"Rireki1"), sources[2] + L"\\blue.bmp");
  EXPECT_EQ(get(kWallList, L"Rireki2"), sources[0] + L"\\red.bmp");
}

TEST_F(PerMonitorTest, OneMonitorGivesTheSameBitmapAsWithoutTheOption) {
  const PixelImage with = runOn(FakeMonitors({{0, 0, 200, 100, true}}, true));
  put(kProgramKey + L"\\Option", L"PerMonitor", L"0");
  const PixelImage without = runOn(FakeMonitors({{0, 0, 200, 100, true}}, true));
  EXPECT_EQ(with.width, 40);
  EXPECT_EQ(with.pixels, without.pixels);
  // Wine on one virtual display shows the program one monitor, as here.
  EXPECT_EQ(win::SystemMonitors().monitors().size(), 1u);
}

TEST_F(SilentRunTest, NoWallpaperOptionAndEmptySourcesChangeNothingButStillSave) {
  registerSources({{big, true}});
  put(kProgramKey + L"\\Option", L"NoWallpaper", L"1");
  run({0.0f, 0.0f});
  EXPECT_FALSE(win::fileExists(state.wallpaperBitmap));
  EXPECT_EQ(get(kWallList, L"Rireki0"), L"<missing>");
  EXPECT_EQ(get(kWallList, L"List1"), big);

  // A folder of no pictures, and one whose only picture is no picture.
  put(kProgramKey + L"\\Option", L"NoWallpaper", L"0");
  const std::wstring empty = folder.path() + L"empty", broken = folder.path() + L"broken";
  CreateDirectoryW(empty.c_str(), nullptr);
  CreateDirectoryW(broken.c_str(), nullptr);
  testing::writeFileBytes(broken + L"\\x.jpg", {0xFF, 0xD8, 0xFF, 0xE0, 1, 2, 3});
  for (const std::wstring& source : {empty, broken}) {
    registerSources({{source, true}});
    run({0.0f, 0.0f});
    EXPECT_FALSE(win::fileExists(state.wallpaperBitmap)) << testing::narrow(source);
    EXPECT_EQ(get(kWallList, L"Rireki0"), L"<missing>");
    EXPECT_EQ(get(kWallList, L"List1"), source);
  }
}

// A folder named like a picture is no picture, and a folder whose only
// files are hidden lists nothing in the window, so neither is applied,
// whichever name the draw lands on; a hidden picture the window would list
// is applied.
TEST_F(SilentRunTest, OnlyWhatTheWindowWouldListIsEverApplied) {
  const std::wstring mixed = folder.path() + L"mixed", hidden = folder.path() + L"hidden";
  CreateDirectoryW(mixed.c_str(), nullptr);
  CreateDirectoryW((mixed + L"\\folder.jpg").c_str(), nullptr);
  write(mixed + L"\\real.bmp", 3, 3, 0x445566);
  registerSources({{mixed, true}});
  for (float second : {0.0f, 0.99f}) {
    DeleteFileW(state.wallpaperBitmap.c_str());
    run({0.0f, second, 0.0f});
    EXPECT_EQ(appliedColour(), 0x445566u) << second;
  }
  EXPECT_EQ(get(kWallList, L"Rireki0"), mixed + L"\\real.bmp");

  CreateDirectoryW(hidden.c_str(), nullptr);
  write(hidden + L"\\secret.bmp", 3, 3, 0x778899);
  SetFileAttributesW((hidden + L"\\secret.bmp").c_str(), FILE_ATTRIBUTE_HIDDEN);
  registerSources({{hidden, true}});
  DeleteFileW(state.wallpaperBitmap.c_str());
  run({0.0f, 0.0f, 0.0f});
  EXPECT_FALSE(win::fileExists(state.wallpaperBitmap));

  // With a plain file beside it, though no picture, the window lists the
  // hidden picture, and so it is applied.
  testing::writeFileBytes(hidden + L"\\readme.txt", {'h', 'i'});
  run({0.0f, 0.0f, 0.0f});
  EXPECT_EQ(appliedColour(), 0x778899u);
}

TEST_F(SilentRunTest, ArchiveMemberIsTakenOutAnewAndTheTemporaryFolderGoes) {
  // A file of the member's name left in the temporary folder by an earlier
  // run is another picture: the archive's own is taken out over it.
  CreateDirectoryW(state.unpackFolder.c_str(), nullptr);
  write(state.unpackFolder + L"\\a.bmp", 5, 5, 0x00FF00);
  const std::wstring archive = testing::pictureDir() + L"same_a.zip";  // a.bmp, 10 x 10 cyan
  registerSources({{archive, true}});
  run({0.0f, 0.0f});
  EXPECT_EQ(appliedColour(), 0x00FFFFu);
  EXPECT_EQ(get(kWallList, L"Rireki0"), archive + L"\\a.bmp");
  EXPECT_FALSE(win::directoryExists(state.unpackFolder));
}

// A 16:9 photograph shrunk for a 16:9 screen fills it: the fitting lands a
// fraction of a twip short on both sides, which must not cost a pixel.
TEST_F(SilentRunTest, AShrunkPictureFillsTheScreenToTheLastPixel) {
  state.screen = ScreenMetrics{{1920 * 15, 1080 * 15}, 15, 15};
  const std::wstring photos = folder.path() + L"photos";
  CreateDirectoryW(photos.c_str(), nullptr);
  write(photos + L"\\wide.bmp", 2560, 1440, 0x336699);
  registerSources({{photos, true}});
  put(kProgramKey + L"\\Option", L"PicReSize", L"1");
  put(kProgramKey + L"\\Option", L"PicReMag", L"0");
  run({0.0f, 0.0f});
  const auto written = decodeBmp(testing::readFileBytes(state.wallpaperBitmap));
  ASSERT_TRUE(written.has_value());
  EXPECT_EQ(written->width, 1920);
  EXPECT_EQ(written->height, 1080);
}

}  // namespace
}  // namespace rivano
