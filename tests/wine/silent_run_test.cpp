// The logon run in this process with its random draws fixed: which source
// and which picture it takes, how it treats an archive's member, and that it
// makes the change for the next start without touching the desktop now.
#include <gtest/gtest.h>
#include <windows.h>

#include <deque>
#include <string>
#include <vector>

#include "app/silent_run.h"
#include "engine/pixel_image.h"
#include "platform/archiver_libraries.h"
#include "platform/file_system.h"
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
    registry.myRegDeleteKey(kProgramKey);
    state.gAppPath = folder.path();
    state.gWallBmp = folder.path() + L"Rivano.bmp";
    state.gUnPakTmp = folder.path() + L"UnPakTmp";
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
  void TearDown() override { registry.myRegDeleteKey(kProgramKey); }

  static void write(const std::wstring& path, std::int32_t w, std::int32_t h, std::uint32_t colour) {
    testing::writeFileBytes(path, encodeBmp24({w, h, std::vector<std::uint32_t>(static_cast<std::size_t>(w) * h,
                                                                                 colour)}));
  }

  // Runs with the given draws, in order: the source's, then the picture's.
  void run(std::deque<float> draws) {
    RandomPick random([&draws] {
      const float r = draws.empty() ? 0.0f : draws.front();
      if (!draws.empty()) draws.pop_front();
      return r;
    });
    win::Win32Registry settings;
    win::ArchiverLibraries archivers;
    win::OlePictureLoader pictures(state.screen);
    win::BitmapFile bitmapFile;
    Services services{settings, archivers, pictures, bitmapFile, desktop};
    runSilently(state, services, random);
  }

  // The colour of the bitmap written, or 1 when there is none.
  std::uint32_t appliedColour() {
    const auto written = decodeBmp(testing::readFileBytes(state.gWallBmp));
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
  EXPECT_EQ(get(L"Control Panel\\desktop", L"Wallpaper"), state.gWallBmp);
  EXPECT_EQ(desktop.calls, 0);
}

TEST_F(SilentRunTest, NoWallpaperOptionAndEmptySourcesChangeNothingButStillSave) {
  registerSources({{big, true}});
  put(kProgramKey + L"\\Option", L"NoWallpaper", L"1");
  run({0.0f, 0.0f});
  EXPECT_FALSE(win::fileExists(state.gWallBmp));
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
    EXPECT_FALSE(win::fileExists(state.gWallBmp)) << testing::narrow(source);
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
    DeleteFileW(state.gWallBmp.c_str());
    run({0.0f, second, 0.0f});
    EXPECT_EQ(appliedColour(), 0x445566u) << second;
  }
  EXPECT_EQ(get(kWallList, L"Rireki0"), mixed + L"\\real.bmp");

  CreateDirectoryW(hidden.c_str(), nullptr);
  write(hidden + L"\\secret.bmp", 3, 3, 0x778899);
  SetFileAttributesW((hidden + L"\\secret.bmp").c_str(), FILE_ATTRIBUTE_HIDDEN);
  registerSources({{hidden, true}});
  DeleteFileW(state.gWallBmp.c_str());
  run({0.0f, 0.0f, 0.0f});
  EXPECT_FALSE(win::fileExists(state.gWallBmp));

  // With a plain file beside it, though no picture, the window lists the
  // hidden picture, and so it is applied.
  testing::writeFileBytes(hidden + L"\\readme.txt", {'h', 'i'});
  run({0.0f, 0.0f, 0.0f});
  EXPECT_EQ(appliedColour(), 0x778899u);
}

TEST_F(SilentRunTest, ArchiveMemberIsTakenOutAnewAndTheTemporaryFolderGoes) {
  // A file of the member's name left in the temporary folder by an earlier
  // run is another picture: the archive's own is taken out over it.
  CreateDirectoryW(state.gUnPakTmp.c_str(), nullptr);
  write(state.gUnPakTmp + L"\\a.bmp", 5, 5, 0x00FF00);
  const std::wstring archive = testing::pictureDir() + L"same_a.zip";  // a.bmp, 10 x 10 cyan
  registerSources({{archive, true}});
  run({0.0f, 0.0f});
  EXPECT_EQ(appliedColour(), 0x00FFFFu);
  EXPECT_EQ(get(kWallList, L"Rireki0"), archive + L"\\a.bmp");
  EXPECT_FALSE(win::directoryExists(state.gUnPakTmp));
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
  const auto written = decodeBmp(testing::readFileBytes(state.gWallBmp));
  ASSERT_TRUE(written.has_value());
  EXPECT_EQ(written->width, 1920);
  EXPECT_EQ(written->height, 1080);
}

}  // namespace
}  // namespace rivano
