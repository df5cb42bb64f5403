// The wallpaper options of the extended tab through the real program: the
// even draw and the draw without repeats at logon and in the window, and a
// large picture filling the screen.
#include <windows.h>
// needs windows.h first
#include <commctrl.h>

#include <map>
#include <set>

#include "resources/resource_ids.h"
#include "tests/wine/main_window_fixture.h"
#include "ui/options/options_ids.h"

namespace rivano {
namespace {

const std::wstring kOption = kProgramKey + L"\\Option";

class WallpaperOptions : public MainWindow {
 protected:
  // The colour of the wallpaper written by one logon run.
  std::uint32_t logonColour() {
    RunningProgram program(exe, L"/S");
    EXPECT_TRUE(program.waitForExit(kPatience));
    const auto written = decodeBmp(testing::readFileBytes(wallBmp()));
    return written && !written->pixels.empty() ? written->pixels[0] : 1u;
  }
  // A folder of `count` one-colour pictures, colours base + 1, base + 2 ...
  std::wstring folderOf(const std::wstring& name, int count, std::uint32_t base) {
    const std::wstring path = folder.path() + name;
    CreateDirectoryW(path.c_str(), nullptr);
    for (int i = 1; i <= count; ++i)
      writePicture(L"p" + std::to_wstring(i) + L".bmp", solid(8, 8, base + static_cast<std::uint32_t>(i)), path);
    return path;
  }
};

// One picture in a small source and nine in a large one: drawn source
// first, the small one's picture comes up half the time; evenly, a tenth.
// Fifty logons tell the two apart with room to spare (more than 14 of 50
// at a tenth is rarer than one in ten thousand).
TEST_F(WallpaperOptions, DrawnEvenlyTheOnePictureOfASmallSourceComesUpAsOftenAsAnyOther) {
  const std::wstring smallSource = folderOf(L"small", 1, 0x100000), largeSource = folderOf(L"large", 9, 0x200000);
  registerSources({{smallSource, true}, {largeSource, true}});
  put(kOption, L"DrawEvenly", L"1");
  int small = 0;
  std::set<std::uint32_t> seen;
  for (int run = 0; run < 50; ++run) {
    const std::uint32_t colour = logonColour();
    seen.insert(colour);
    small += colour == 0x100001;
  }
  EXPECT_LE(small, 14);
  EXPECT_GE(seen.size(), 7u) << "most of the ten pictures come up in fifty draws";
  EXPECT_EQ(seen.count(1u), 0u) << "every run wrote a wallpaper";
  // Each source's count is kept for the next run, and counted again once
  // the source changes.
  const std::wstring records = kProgramKey + L"\\PoolCounts";
  const auto countIn = [&](const std::wstring& source) {
    const std::wstring record = get(records, source);
    return record.substr(record.rfind(L' ') + 1);
  };
  EXPECT_EQ(countIn(smallSource), L"1");
  EXPECT_EQ(countIn(largeSource), L"9");
  writePicture(L"p10.bmp", solid(8, 8, 0x20000A), largeSource);
  logonColour();
  EXPECT_EQ(countIn(largeSource), L"10");
}

TEST_F(WallpaperOptions, WithoutRepeatsEveryPictureComesOnceBeforeTheOldestComesBack) {
  registerSources({{folderOf(L"five", 5, 0x300000), true}});
  put(kOption, L"NoRepeat", L"1");
  std::vector<std::uint32_t> colours;
  for (int run = 0; run < 5; ++run) colours.push_back(logonColour());
  EXPECT_EQ(std::set<std::uint32_t>(colours.begin(), colours.end()).size(), 5u);
  // All five in the history: the one shown longest ago comes back first.
  EXPECT_EQ(logonColour(), colours[0]);
  EXPECT_EQ(logonColour(), colours[1]);
}

TEST_F(WallpaperOptions, TheWindowSelectsAPictureTheHistoryDoesNotHold) {
  const std::wstring five = folderOf(L"five", 5, 0x300000);
  registerSources({{five, true}});
  put(kOption, L"NoRepeat", L"1");
  for (int i = 0; i < 4; ++i)
    put(kWallList, L"Rireki" + std::to_wstring(i), five + L"\\p" + std::to_wstring(i + 1) + L".bmp");
  RunningProgram program(exe, L"");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  RemoteListView files(GetDlgItem(window, main_ids::lvwFile));
  ASSERT_TRUE(waitUntil([&] { return files.count() == 5 && files.selected() >= 0; }, kPatience));
  EXPECT_EQ(files.text(files.selected()), L"p5.bmp");
  close(program, window);
  EXPECT_EQ(get(kWallList, L"Rireki4"), five + L"\\p5.bmp");
}

// Larger than the screen both ways and wider in shape: shrunk until the
// height just fills the screen, the middle of its width kept, never tiled.
TEST_F(WallpaperOptions, ALargePictureFillsTheScreenExactlyKeepingItsMiddle) {
  const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  // Bands across: the outer two fifths red and blue, the middle fifth green.
  const int w = sw * 5 / 2, h = sh + sh / 24;
  PixelImage bands = solid(w, h, 0x00FF00);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (x < w * 2 / 5) bands.pixels[static_cast<std::size_t>(y) * w + x] = 0xFF0000;
      else if (x >= w * 3 / 5) bands.pixels[static_cast<std::size_t>(y) * w + x] = 0x0000FF;
  const std::wstring only = folder.path() + L"wide";
  CreateDirectoryW(only.c_str(), nullptr);
  writePicture(L"wide.bmp", bands, only);
  registerSources({{only, true}});
  put(kWallList, L"TileOpt1", L"1");  // always tile: a filled picture is not tiled all the same
  put(kOption, L"PicReSize", L"1");
  put(kOption, L"FillScreen", L"1");
  RunningProgram program(exe, L"/S");
  ASSERT_TRUE(program.waitForExit(kPatience));
  const auto written = decodeBmp(testing::readFileBytes(wallBmp()));
  ASSERT_TRUE(written.has_value());
  EXPECT_EQ(written->width, sw);
  EXPECT_EQ(written->height, sh);
  // The cut is even: the same width of red at the left as of blue at the right.
  int red = 0, blue = 0;
  for (int x = 0; x < sw; ++x) {
    red += written->at(x, sh / 2) == 0xFF0000;
    blue += written->at(x, sh / 2) == 0x0000FF;
  }
  EXPECT_GT(red, 0);
  EXPECT_NEAR(red, blue, 2);
  EXPECT_EQ(written->at(sw / 2, sh / 2), 0x00FF00u);
  EXPECT_EQ(get(L"Control Panel\\desktop", L"TileWallpaper"), L"0");

  // Filling off: the same picture fits inside the screen as ever.
  put(kOption, L"FillScreen", L"0");
  RunningProgram fitted(exe, L"/S");
  ASSERT_TRUE(fitted.waitForExit(kPatience));
  const auto fit = decodeBmp(testing::readFileBytes(wallBmp()));
  ASSERT_TRUE(fit.has_value());
  EXPECT_NEAR(fit->width, sw, 1);
  EXPECT_LT(fit->height, sh / 2);
  EXPECT_EQ(get(L"Control Panel\\desktop", L"TileWallpaper"), L"1");
}

BOOL CALLBACK findControl(HWND w, LPARAM p) {
  auto& search = *reinterpret_cast<std::pair<int, HWND>*>(p);
  if (GetDlgCtrlID(w) != search.first) return TRUE;
  search.second = w;
  return FALSE;
}

BOOL CALLBACK countAccessKeys(HWND w, LPARAM p) {
  const std::wstring text = testing::controlText(w);
  for (std::size_t i = 0; i + 1 < text.size(); ++i)
    if (text[i] == L'&' && text[i + 1] != L'&') ++(*reinterpret_cast<std::map<wchar_t, int>*>(p))[text[i + 1]];
  return TRUE;
}

// The sixth tab of the options dialog: its four switches shown as stored,
// set from the keyboard by their access keys, stored by OK after the other
// options and not at all by Cancel.
class ExtrasTab : public WallpaperOptions {
 protected:
  HWND openOptions(RunningProgram& program, HWND window) {
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(main_ids::mnuOpOption, 0), 0);
    return program.waitForWindow(L"RivanoOptions", kPatience);
  }
  static HWND control(HWND dialog, int id) {
    std::pair<int, HWND> search{id, nullptr};
    EnumChildWindows(dialog, findControl, reinterpret_cast<LPARAM>(&search));
    return search.second;
  }
  static int tab(HWND dialog) {
    return static_cast<int>(SendMessageW(control(dialog, options_ids::tbsOptions), TCM_GETCURSEL, 0, 0));
  }
  // Ctrl+Tab to the last tab, each step waited for.
  static void toLastTab(HWND dialog) {
    for (int step = 1; step < options_ids::kTabCount; ++step) {
      testing::pressKeys(dialog, {VK_CONTROL}, VK_TAB);
      ASSERT_TRUE(waitUntil([&] { return tab(dialog) == step; }, kPatience)) << "step " << step;
    }
  }
  static constexpr int kSwitches[4] = {options_ids::chkDrawEvenly, options_ids::chkNoRepeat,
                                       options_ids::chkPerMonitor, options_ids::chkFillScreen};
  static constexpr const wchar_t* kNames[4] = {L"DrawEvenly", L"NoRepeat", L"PerMonitor", L"FillScreen"};
};

TEST_F(ExtrasTab, ItsSwitchesShowWhatIsStoredTakeTheirAccessKeysAndOnlyOkStoresThem) {
  put(kOption, L"NoRepeat", L"1");
  RunningProgram program(exe, L"/N");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  HWND dialog = openOptions(program, window);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(SendMessageW(control(dialog, options_ids::tbsOptions), TCM_GETITEMCOUNT, 0, 0), 6);
  EXPECT_EQ(res(IDS_EXTRAS_TAB), L"拡張設定");
  toLastTab(dialog);
  for (int i = 0; i < 4; ++i) {
    EXPECT_TRUE(IsWindowVisible(control(dialog, kSwitches[i])));
    EXPECT_EQ(testing::isButtonChecked(control(dialog, kSwitches[i])), i == 1) << testing::narrow(kNames[i]);
  }
  // Alt and the underlined letter flip each switch: all four on.
  for (WORD key : {'E', 'P', 'U', 'F'}) testing::pressKeys(dialog, {VK_MENU}, key);
  ASSERT_TRUE(waitUntil([&] { return testing::isButtonChecked(control(dialog, options_ids::chkFillScreen)); },
                        kPatience));
  EXPECT_FALSE(testing::isButtonChecked(control(dialog, options_ids::chkNoRepeat)));
  // Cancel stores nothing.
  testing::pressKeys(dialog, {}, VK_ESCAPE);
  ASSERT_TRUE(waitUntil([&] { return !IsWindow(dialog); }, kPatience));
  for (const wchar_t* name : {L"DrawEvenly", L"PerMonitor", L"FillScreen"}) EXPECT_EQ(get(kOption, name), L"<missing>");
  EXPECT_EQ(get(kOption, L"NoRepeat"), L"1");
  // OK stores all four, after the twelve of the other tabs.
  dialog = openOptions(program, window);
  ASSERT_NE(dialog, nullptr);
  toLastTab(dialog);
  testing::pressKeys(dialog, {VK_MENU}, 'E');
  ASSERT_TRUE(waitUntil([&] { return testing::isButtonChecked(control(dialog, options_ids::chkDrawEvenly)); },
                        kPatience));
  testing::pressKeys(dialog, {}, VK_RETURN);
  ASSERT_TRUE(waitUntil([&] { return !IsWindow(dialog); }, kPatience));
  const wchar_t* stored[4] = {L"1", L"1", L"0", L"0"};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(get(kOption, kNames[i]), stored[i]) << testing::narrow(kNames[i]);
  EXPECT_EQ(get(kOption, L"DragYoko"), L"2");
  close(program, window);
}

// The history's change fills the screen as the other changes do.
TEST_F(ExtrasTab, TheHistorysChangeFillsTheScreenToo) {
  const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  writePicture(L"wide.bmp", solid(sw * 2, sh * 3 / 2, 0x00FF00));
  put(kWallList, L"Rireki0", pictures + L"\\wide.bmp");
  put(kOption, L"PicReSize", L"1");
  put(kOption, L"FillScreen", L"1");
  registerSources({{pictures, false}});
  RunningProgram program(exe, L"/N");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  HWND dialog = openOptions(program, window);
  ASSERT_NE(dialog, nullptr);
  SendMessageW(control(dialog, options_ids::historyList), LB_SETCURSEL, 0, 0);
  SendMessageW(control(dialog, options_ids::cmdChange), BM_CLICK, 0, 0);
  const auto written = decodeBmp(testing::readFileBytes(wallBmp()));
  ASSERT_TRUE(written.has_value());
  EXPECT_EQ(written->width, sw);
  EXPECT_EQ(written->height, sh);
  testing::pressKeys(dialog, {}, VK_ESCAPE);
  ASSERT_TRUE(waitUntil([&] { return !IsWindow(dialog); }, kPatience));
  close(program, window);
}

TEST_F(ExtrasTab, NoTwoControlsOfTheDialogShareTheNewAccessKeysAndEachHasItsTip) {
  RunningProgram program(exe, L"/N");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  HWND dialog = openOptions(program, window);
  ASSERT_NE(dialog, nullptr);
  // Every underlined letter in the dialog, with the controls that carry it.
  std::map<wchar_t, int> letters;
  EnumChildWindows(dialog, countAccessKeys, reinterpret_cast<LPARAM>(&letters));
  for (wchar_t key : {L'E', L'P', L'U', L'F', L'W'}) EXPECT_EQ(letters[key], 1) << static_cast<char>(key);
  // The tab's own tool tip, from the string table.
  EXPECT_EQ(res(IDS_EXTRAS_TAB_TIP), L"壁紙の選び方と貼り方をもう少し細かく決めます（＾＾）");
  testing::pressKeys(dialog, {}, VK_ESCAPE);
  ASSERT_TRUE(waitUntil([&] { return !IsWindow(dialog); }, kPatience));
  close(program, window);
}

}  // namespace
}  // namespace rivano
