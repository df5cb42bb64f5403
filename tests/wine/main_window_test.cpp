// The main window driven from outside as a user would: its lists read back
// and clicked, its buttons pressed, the window closed; then the registry
// and the wallpaper bitmap checked.
#include <array>
#include <set>
#include <vector>

#include "tests/wine/main_window_fixture.h"

namespace rivano {
namespace {

TEST_F(MainWindow, FirstRunRegistersTheWindowsFolderCentredWithItsCaptions) {
  RunningProgram program(exe, L"");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  RemoteListView folders(GetDlgItem(window, main_ids::lvwMain));
  wchar_t windows[MAX_PATH] = {};
  GetWindowsDirectoryW(windows, MAX_PATH);
  ASSERT_EQ(folders.count(), 1);
  EXPECT_EQ(folders.text(0), windows);
  EXPECT_EQ(folders.text(0, 1), L"DIR");
  EXPECT_TRUE(folders.checked(0));
  RECT r{};
  GetWindowRect(window, &r);
  EXPECT_EQ(r.right - r.left, 480);  // 7200 twips
  EXPECT_EQ(r.bottom - r.top, 405);  // 6075 twips
  EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - 480) / 2);
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  EXPECT_STREQ(text, L"Rivano for WINDOWS");
  GetWindowTextW(GetDlgItem(window, main_ids::cmdChange), text, 256);
  EXPECT_STREQ(text, L"壁紙切替(&C)");
  GetWindowTextW(GetDlgItem(window, main_ids::fraOption), text, 256);
  EXPECT_STREQ(text, L"フォルダ毎のタイル設定(&D)");
  close(program, window);
  EXPECT_EQ(get(kWallList, L"Count"), L"1");
  EXPECT_EQ(get(kWallList, L"List1"), windows);
  EXPECT_EQ(get(kWallList, L"TileOpt1"), L"2");
  EXPECT_EQ(get(kProgramKey + L"\\WinPos", L"Left"), std::to_wstring(r.left * 15));
  EXPECT_EQ(get(kProgramKey + L"\\Option", L"Viwer"), L"1");
}

TEST_F(MainWindow, StoredListEndsAtItsFirstGapAndUncheckedEntriesAreNotChosen) {
  put(kWallList, L"Count", L"3");
  put(kWallList, L"List1", pictures);
  put(kWallList, L"LSelect1", L"0");
  put(kWallList, L"TileX1", L"");
  put(kWallList, L"List3", L"C:\\after the gap");
  RunningProgram program(exe, L"");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  RemoteListView folders(GetDlgItem(window, main_ids::lvwMain));
  RemoteListView files(GetDlgItem(window, main_ids::lvwFile));
  EXPECT_EQ(folders.count(), 1);
  EXPECT_FALSE(folders.checked(0));
  EXPECT_EQ(files.count(), 0);
  close(program, window);
  EXPECT_FALSE(win::fileExists(wallBmp()));
  EXPECT_EQ(get(kWallList, L"Count"), L"1");
  EXPECT_EQ(get(kWallList, L"List3"), L"<missing>");
  EXPECT_EQ(get(kWallList, L"TileX1"), L"1");  // present but empty reads as 1
  EXPECT_EQ(get(kWallList, L"LSelect1"), L"False");
}

TEST_F(MainWindow, SilentRunAppliesARandomPictureOfTheCheckedSource) {
  registerSources({{pictures, true}});
  RunningProgram program(exe, L"/S");
  ASSERT_TRUE(program.waitForExit(kPatience));
  const auto written = decodeBmp(testing::readFileBytes(wallBmp()));
  ASSERT_TRUE(written.has_value());
  const std::set<std::pair<int, int>> sizes = {{40, 30}, {50, 20}, {60, 10}};
  EXPECT_TRUE(sizes.contains({written->width, written->height}));
  const std::wstring applied = get(kWallList, L"Rireki0");
  const std::wstring name = applied.substr(applied.find_last_of(L'\\') + 1);
  EXPECT_EQ(applied, pictures + L"\\" + name);
  EXPECT_EQ(written->width, name == L"a.bmp" ? 40 : name == L"b.bmp" ? 50 : 60);
  EXPECT_EQ(get(L"Control Panel\\desktop", L"Wallpaper"), wallBmp());
  EXPECT_EQ(get(L"Control Panel\\desktop", L"TileWallpaper"), L"1");  // small: automatic tiling
  EXPECT_FALSE(win::directoryExists(folder.path() + L"UnPakTmp"));
}

TEST_F(MainWindow, SilentRunWithEverySourceUncheckedOnlySavesTheSettings) {
  registerSources({{pictures, false}});
  RunningProgram program(exe, L"/S");
  ASSERT_TRUE(program.waitForExit(kPatience));
  EXPECT_FALSE(win::fileExists(wallBmp()));
  EXPECT_EQ(get(L"Control Panel\\desktop", L"TileWallpaper"), L"untouched");
  EXPECT_EQ(get(kProgramKey + L"\\WinPos", L"ListView"), L"0");
  EXPECT_EQ(get(kWallList, L"List1"), pictures);
}

// The logon run makes no window, yet it stores what the window stores when
// it is opened and closed with nothing changed: positions through whole
// pixels, the sort only for a column past the name's, the rest as read.
TEST_F(MainWindow, SilentRunStoresWhatTheWindowStoresWhenClosedUnchanged) {
  const std::vector<std::vector<std::array<std::wstring, 3>>> stored = {
      {},  // as on a first run: no WinPos section at all
      {{L"WinPos", L"Left", L"1000"}, {L"WinPos", L"Top", L"no number"}, {L"WinPos", L"SortKey", L"3"},
       {L"WinPos", L"SortOrder", L"7"}, {L"WinPos", L"ListView", L"1"}, {L"WinPos", L"ListWidth", L"True"},
       {L"Option", L"Viwer", L"0"}},
      {{L"WinPos", L"SortKey", L"0"}, {L"WinPos", L"SortOrder", L"1"}, {L"WinPos", L"Left", L"-31"},
       {L"Option", L"Viwer", L"5"}, {L"WallList", L"TileX1", L"-4"}},
      // Started minimised: the window is closed minimised and stores no
      // place, so neither a missing one nor one that is no number changes.
      {{L"Option", L"FreeIcon", L"1"}},
      {{L"Option", L"FreeIcon", L"1"}, {L"WinPos", L"Left", L"x"}, {L"WinPos", L"Top", L"250"}},
  };
  const std::vector<std::array<std::wstring, 2>> compared = {
      {L"WinPos", L"SortKey"}, {L"WinPos", L"SortOrder"}, {L"WinPos", L"ListView"}, {L"WinPos", L"ListWidth"},
      {L"WinPos", L"Left"},    {L"WinPos", L"Top"},       {L"Option", L"Viwer"},    {L"WallList", L"Count"},
      {L"WallList", L"List1"}, {L"WallList", L"LSelect1"}, {L"WallList", L"TileOpt1"}, {L"WallList", L"TileX1"},
      {L"WallList", L"TileY1"}};
  for (const auto& values : stored) {
    std::vector<std::wstring> after[2];
    for (int windowed = 0; windowed < 2; ++windowed) {
      registry.deleteKey(kProgramKey);
      registerSources({{pictures, true}});
      for (const auto& [section, name, value] : values) put(kProgramKey + L"\\" + section, name, value);
      RunningProgram program(exe, windowed ? L"" : L"/S");
      if (windowed) {
        HWND window = openWindow(program);
        ASSERT_NE(window, nullptr);
        close(program, window);
      } else {
        ASSERT_TRUE(program.waitForExit(kPatience));
      }
      for (const auto& [section, name] : compared) after[windowed].push_back(get(kProgramKey + L"\\" + section, name));
    }
    for (std::size_t i = 0; i < compared.size(); ++i)
      EXPECT_EQ(after[0][i], after[1][i]) << testing::narrow(compared[i][1]) << " after the case of "
                                          << values.size() << " stored values";
  }
}

TEST_F(MainWindow, NoRandomSwitchOpensWithNothingSelectedOnce) {
  registerSources({{pictures, true}});
  {
    RunningProgram program(exe, L"/N");
    HWND window = openWindow(program);
    ASSERT_NE(window, nullptr);
    RemoteListView folders(GetDlgItem(window, main_ids::lvwMain));
    EXPECT_EQ(folders.count(), 1);
    EXPECT_EQ(folders.selected(), -1);
    EXPECT_EQ(RemoteListView(GetDlgItem(window, main_ids::lvwFile)).count(), 0);
    close(program, window);
    EXPECT_FALSE(win::fileExists(wallBmp()));
  }
  RunningProgram next(exe, L"/S");
  ASSERT_TRUE(next.waitForExit(kPatience));
  EXPECT_TRUE(win::fileExists(wallBmp()));
}

TEST_F(MainWindow, PictureChosenByClickIsTheOneAppliedAtClose) {
  registerSources({{pictures, true}});
  put(kWallList, L"TileOpt1", L"0");
  RunningProgram program(exe, L"");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  RemoteListView files(GetDlgItem(window, main_ids::lvwFile));
  ASSERT_TRUE(waitUntil([&] { return files.count() == 3; }, kPatience));
  int row = -1;
  for (int i = 0; i < files.count(); ++i)
    if (files.text(i) == L"c.bmp") row = i;
  ASSERT_GE(row, 0);
  EXPECT_EQ(files.text(row, 1), L"        1854");  // 54 + 60 × 10 × 3, twelve wide
  EXPECT_EQ(files.text(row, 3).size(), 10u);       // yyyy/mm/dd
  files.click(row);
  ASSERT_TRUE(waitUntil([&] { return files.selected() == row; }, kPatience));
  close(program, window);
  const auto written = decodeBmp(testing::readFileBytes(wallBmp()));
  ASSERT_TRUE(written.has_value());
  EXPECT_EQ(written->width, 60);
  EXPECT_EQ(written->at(0, 0), 0x0000FFu);
  EXPECT_EQ(get(L"Control Panel\\desktop", L"TileWallpaper"), L"0");  // never tile
  EXPECT_EQ(get(kWallList, L"Rireki0"), pictures + L"\\c.bmp");
}

TEST_F(MainWindow, ClosingWithShiftHeldChangesNothingButSaves) {
  registerSources({{pictures, true}});
  RunningProgram program(exe, L"");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  RemoteListView files(GetDlgItem(window, main_ids::lvwFile));
  ASSERT_TRUE(waitUntil([&] { return files.count() == 3; }, kPatience));
  HWND del = GetDlgItem(window, main_ids::cmdFilDel);
  PostMessageW(window, WM_KEYDOWN, VK_SHIFT, 1);
  wchar_t caption[128] = {};
  ASSERT_TRUE(waitUntil([&] {
    GetWindowTextW(del, caption, 128);
    return res(201) == caption;
  }, kPatience)) << "the Shift mode did not start";
  close(program, window);
  EXPECT_FALSE(win::fileExists(wallBmp()));
  EXPECT_EQ(get(kWallList, L"Rireki0"), L"<missing>");
  EXPECT_EQ(get(kWallList, L"List1"), pictures);
}

TEST_F(MainWindow, HistoryKeepsTheNewest20AndNoRepeatOfTheNewest) {
  const std::wstring single = folder.path() + L"one";
  CreateDirectoryW(single.c_str(), nullptr);
  writePicture(L"only.bmp", solid(8, 8, 0x808080), single);
  registerSources({{single, true}});
  for (int k = 0; k < 20; ++k) put(kWallList, L"Rireki" + std::to_wstring(k), L"C:\\old\\" + std::to_wstring(k) + L".jpg");
  for (int run = 0; run < 2; ++run) {
    RunningProgram program(exe, L"/S");
    ASSERT_TRUE(program.waitForExit(kPatience));
  }
  EXPECT_EQ(get(kWallList, L"Rireki0"), L"C:\\old\\1.jpg");
  EXPECT_EQ(get(kWallList, L"Rireki18"), L"C:\\old\\19.jpg");
  EXPECT_EQ(get(kWallList, L"Rireki19"), single + L"\\only.bmp");
  EXPECT_EQ(get(kWallList, L"Rireki20"), L"<missing>");
}

TEST_F(MainWindow, ArchiveSourceIsListedAndItsPictureApplied) {
  const std::wstring zip = testing::pictureDir() + L"pics.zip";
  registerSources({{zip, true}});
  {
    RunningProgram program(exe, L"");
    HWND window = openWindow(program);
    ASSERT_NE(window, nullptr);
    RemoteListView folders(GetDlgItem(window, main_ids::lvwMain));
    EXPECT_EQ(folders.text(0, 1), L"ZIP");
    RemoteListView files(GetDlgItem(window, main_ids::lvwFile));
    ASSERT_TRUE(waitUntil([&] { return files.count() == 1; }, kPatience));
    EXPECT_EQ(files.text(0), L"photos\\m.bmp");  // the text member is no picture
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(window, main_ids::cmdFilDel)));
    EXPECT_TRUE(win::fileExists(folder.path() + L"UnPakTmp\\photos\\m.bmp"));  // extracted for the preview
    close(program, window);
  }
  const auto written = decodeBmp(testing::readFileBytes(wallBmp()));
  ASSERT_TRUE(written.has_value());
  EXPECT_EQ(written->width, 30);
  EXPECT_EQ(written->at(5, 5), 0xFF00FFu);
  EXPECT_EQ(get(kWallList, L"Rireki0"), zip + L"\\photos\\m.bmp");
  EXPECT_FALSE(win::directoryExists(folder.path() + L"UnPakTmp"));
}

TEST_F(MainWindow, MissingFolderLoadsWithoutIconAndListsNothing) {
  registerSources({{folder.path() + L"gone", true}, {pictures, false}});
  RunningProgram program(exe, L"");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  RemoteListView folders(GetDlgItem(window, main_ids::lvwMain));
  ASSERT_EQ(folders.count(), 2);
  EXPECT_EQ(folders.text(0, 1), L"");
  EXPECT_FALSE(folders.checked(0));  // a source that is gone cannot be chosen
  RemoteListView files(GetDlgItem(window, main_ids::lvwFile));
  folders.click(1);
  ASSERT_TRUE(waitUntil([&] { return files.count() == 3; }, kPatience));
  folders.click(0);
  ASSERT_TRUE(waitUntil([&] { return files.count() == 0; }, kPatience));
  EXPECT_FALSE(program.waitForMessageBox(500).has_value());
  close(program, window);
  EXPECT_EQ(get(kWallList, L"LSelect1"), L"True");  // its stored check is kept
}

TEST_F(MainWindow, MissingParentFolderIsReportedByTheClassification) {
  registerSources({{folder.path() + L"gone\\deeper", true}});
  RunningProgram program(exe, L"");
  const auto box = program.waitForMessageBox(kPatience);
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(box->title, L"Rivano modSub myDataType");
  EXPECT_NE(box->text.find(res(IDS_ADVICE_CANNOT_READ)), std::wstring::npos);
  testing::pressOk(box->hwnd);
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  close(program, window);
}

TEST_F(MainWindow, CorruptPictureInThePreviewIsReportedOnceAfterTheClick) {
  const std::wstring bad = folder.path() + L"bad";
  CreateDirectoryW(bad.c_str(), nullptr);
  testing::writeFileBytes(bad + L"\\broken.bmp", {'B', 'M', 0, 1, 2, 3, 4, 5});
  registerSources({{bad, true}});
  RunningProgram program(exe, L"");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  RemoteListView files(GetDlgItem(window, main_ids::lvwFile));
  ASSERT_TRUE(waitUntil([&] { return files.count() == 1; }, kPatience));
  // The start-up preview failed: its message waits for the list's click.
  EXPECT_FALSE(program.waitForMessageBox(1000).has_value());
  files.click(0);
  const auto box = program.waitForMessageBox(kPatience);
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(box->title, L"Rivano frmMain lvwFile_ItemClick");
  EXPECT_NE(box->text.find(res(IDS_ADVICE_BAD_PICTURE)), std::wstring::npos);
  testing::pressOk(box->hwnd);
  ASSERT_TRUE(waitUntil([&] { return !program.waitForMessageBox(0).has_value(); }, kPatience));
  files.click(0);
  EXPECT_FALSE(program.waitForMessageBox(1500).has_value());
  close(program, window);
  // The exit change met the same broken picture: nothing written, settings saved.
  EXPECT_FALSE(win::fileExists(wallBmp()));
  EXPECT_EQ(get(kWallList, L"List1"), bad);
}

}  // namespace
}  // namespace rivano

namespace rivano {
namespace {

TEST_F(MainWindow, MovingRemovingAndCheckingKeepEachEntryWithItsOwnSettings) {
  const std::wstring a = folder.path() + L"A", b = folder.path() + L"B", c = folder.path() + L"C";
  for (const std::wstring& p : {a, b, c}) CreateDirectoryW(p.c_str(), nullptr);
  registerSources({{a, false}, {b, false}, {c, false}});
  for (int n = 1; n <= 3; ++n) {
    put(kWallList, L"TileOpt" + std::to_wstring(n), std::to_wstring(n - 1));
    put(kWallList, L"TileX" + std::to_wstring(n), std::to_wstring(10 * n));
  }
  RunningProgram program(exe, L"");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  RemoteListView folders(GetDlgItem(window, main_ids::lvwMain));
  ASSERT_EQ(folders.count(), 3);
  folders.click(2);
  ASSERT_TRUE(waitUntil([&] { return folders.selected() == 2; }, kPatience));
  testing::clickButton(GetDlgItem(window, main_ids::cmdUp));  // A C B
  ASSERT_TRUE(waitUntil([&] { return folders.text(1) == c; }, kPatience));
  EXPECT_EQ(folders.selected(), 1);
  testing::clickButton(GetDlgItem(window, main_ids::cmdUp));  // C A B
  testing::clickButton(GetDlgItem(window, main_ids::cmdUp));  // the first stays first
  ASSERT_TRUE(waitUntil([&] { return folders.text(0) == c; }, kPatience));
  folders.clickCheckBox(2);  // B checked
  ASSERT_TRUE(waitUntil([&] { return folders.checked(2); }, kPatience));
  folders.click(1);
  ASSERT_TRUE(waitUntil([&] { return folders.selected() == 1; }, kPatience));
  testing::clickButton(GetDlgItem(window, main_ids::cmdDel));  // C B
  ASSERT_TRUE(waitUntil([&] { return folders.count() == 2; }, kPatience));
  EXPECT_EQ(folders.text(1), b);
  close(program, window);
  EXPECT_EQ(get(kWallList, L"Count"), L"2");
  EXPECT_EQ(get(kWallList, L"List1"), c);
  EXPECT_EQ(get(kWallList, L"TileOpt1"), L"2");
  EXPECT_EQ(get(kWallList, L"TileX1"), L"30");
  EXPECT_EQ(get(kWallList, L"LSelect1"), L"False");
  EXPECT_EQ(get(kWallList, L"List2"), b);
  EXPECT_EQ(get(kWallList, L"TileOpt2"), L"1");
  EXPECT_EQ(get(kWallList, L"TileX2"), L"20");
  EXPECT_EQ(get(kWallList, L"LSelect2"), L"True");
}

TEST_F(MainWindow, TypedTileCountsAreKeptAndAnEmptyBoxKeepsTheOldValue) {
  registerSources({{pictures, true}});
  put(kWallList, L"TileX1", L"3");
  put(kWallList, L"TileY1", L"4");
  RunningProgram program(exe, L"/N");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  RemoteListView folders(GetDlgItem(window, main_ids::lvwMain));
  folders.click(0);
  HWND across = GetDlgItem(window, main_ids::txtAcross);
  HWND down = GetDlgItem(window, main_ids::txtDown);
  ASSERT_TRUE(waitUntil([&] { return testing::controlText(across) == L"3"; }, kPatience));
  EXPECT_EQ(testing::controlText(down), L"4");
  SendMessageW(across, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"5"));
  SendMessageW(down, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
  close(program, window);
  EXPECT_EQ(get(kWallList, L"TileX1"), L"5");
  EXPECT_EQ(get(kWallList, L"TileY1"), L"4");
}

TEST_F(MainWindow, AutoExitCountsDownAndClosesWithTheChange) {
  registerSources({{pictures, true}});
  put(kProgramKey + L"\\Option", L"FreeEnd", L"1");
  put(kProgramKey + L"\\Option", L"TmrCount", L"1");
  RunningProgram program(exe, L"");
  ASSERT_NE(openWindow(program), nullptr);
  // Closes on the second tick.
  EXPECT_TRUE(program.waitForExit(15000)) << "the countdown did not close the window";
  EXPECT_TRUE(win::fileExists(wallBmp()));
}

TEST_F(MainWindow, AutoExitWaitsWhileTheWindowIsShownNormallyWithActStop) {
  registerSources({{pictures, true}});
  put(kProgramKey + L"\\Option", L"FreeEnd", L"1");
  put(kProgramKey + L"\\Option", L"TmrCount", L"1");
  put(kProgramKey + L"\\Option", L"ActStop", L"1");
  RunningProgram program(exe, L"");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(program.waitForExit(4000)) << "closed while shown normally";
  ShowWindowAsync(window, SW_MINIMIZE);
  EXPECT_TRUE(program.waitForExit(15000)) << "minimised, the countdown did not resume";
}

TEST_F(MainWindow, StartsMinimisedWhenAskedTo) {
  put(kProgramKey + L"\\Option", L"FreeIcon", L"1");
  registerSources({{pictures, false}});
  RunningProgram program(exe, L"");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(waitUntil([&] { return IsIconic(window) != FALSE; }, 5000));
  close(program, window);
  // Closed while minimised: no position is written.
  EXPECT_EQ(get(kProgramKey + L"\\WinPos", L"Left"), L"<missing>");
}

TEST_F(MainWindow, SortMenuSortsBySizeAndTheOrderMenuReverses) {
  registerSources({{pictures, false}});
  RunningProgram program(exe, L"");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  RemoteListView folders(GetDlgItem(window, main_ids::lvwMain));
  RemoteListView files(GetDlgItem(window, main_ids::lvwFile));
  folders.click(0);
  ASSERT_TRUE(waitUntil([&] { return files.count() == 3; }, kPatience));
  testing::chooseMenu(window, main_ids::mnuSort0 + 2);  // size: a 3654, b 3094, c 1854 bytes
  ASSERT_TRUE(waitUntil([&] { return files.text(0) == L"c.bmp"; }, kPatience));
  EXPECT_EQ(files.text(2), L"a.bmp");
  testing::chooseMenu(window, main_ids::mnuSortOrder1);
  ASSERT_TRUE(waitUntil([&] { return files.text(0) == L"a.bmp"; }, kPatience));
  // The name item switches sorting off: the order stays as it is.
  testing::chooseMenu(window, main_ids::mnuSort0 + 1);
  testing::chooseMenu(window, main_ids::mnuSortOrder0);
  EXPECT_EQ(files.text(0), L"a.bmp");
  close(program, window);
  EXPECT_EQ(get(kProgramKey + L"\\WinPos", L"SortKey"), L"1");
  EXPECT_EQ(get(kProgramKey + L"\\WinPos", L"SortOrder"), L"0");
}

TEST_F(MainWindow, ChangeButtonAppliesTheSelectedPictureAtOnce) {
  registerSources({{pictures, false}});
  put(kWallList, L"TileOpt1", L"1");
  RunningProgram program(exe, L"");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  HWND change = GetDlgItem(window, main_ids::cmdChange);
  // Nothing listed yet: the change asks for a picture and does nothing.
  PostMessageW(change, BM_CLICK, 0, 0);
  const auto ask = program.waitForMessageBox(kPatience);
  ASSERT_TRUE(ask.has_value());
  EXPECT_EQ(ask->text, res(IDS_SELECT_PICTURE));
  testing::pressOk(ask->hwnd);
  EXPECT_FALSE(win::fileExists(wallBmp()));

  RemoteListView folders(GetDlgItem(window, main_ids::lvwMain));
  RemoteListView files(GetDlgItem(window, main_ids::lvwFile));
  folders.click(0);
  ASSERT_TRUE(waitUntil([&] { return files.count() == 3; }, kPatience));
  int row = 0;
  while (files.text(row) != L"b.bmp") ++row;
  files.click(row);
  ASSERT_TRUE(waitUntil([&] { return files.selected() == row; }, kPatience));
  testing::clickButton(change);
  ASSERT_TRUE(waitUntil([&] { return win::fileExists(wallBmp()); }, kPatience));
  EXPECT_EQ(decodeBmp(testing::readFileBytes(wallBmp()))->width, 50);
  EXPECT_EQ(get(L"Control Panel\\desktop", L"TileWallpaper"), L"1");
  EXPECT_EQ(get(L"Control Panel\\desktop", L"Wallpaper"), wallBmp());
  // Shift held: the close keeps this wallpaper, and the history has the change.
  PostMessageW(window, WM_KEYDOWN, VK_SHIFT, 1);
  ASSERT_TRUE(waitUntil([&] { return testing::controlText(GetDlgItem(window, main_ids::cmdFilDel)) == res(201); },
                        kPatience));
  close(program, window);
  EXPECT_EQ(get(kWallList, L"Rireki0"), pictures + L"\\b.bmp");
  EXPECT_EQ(get(kWallList, L"Rireki1"), L"<missing>");
}

}  // namespace
}  // namespace rivano

namespace rivano {
namespace {

// The system draws the title bars' minimise, maximise and close buttons as
// glyphs of its symbol font; without that font they read "0 1 r".
TEST(TitleBar, ItsButtonGlyphsHaveTheirSymbolFont) {
  HDC screen = GetDC(nullptr);
  ASSERT_NE(screen, nullptr);
  HFONT symbols = CreateFontW(-16, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SYMBOL_CHARSET, OUT_DEFAULT_PRECIS,
                              CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Marlett");
  ASSERT_NE(symbols, nullptr);
  HGDIOBJ old = SelectObject(screen, symbols);
  wchar_t face[LF_FACESIZE] = {};
  GetTextFaceW(screen, LF_FACESIZE, face);
  SelectObject(screen, old);
  DeleteObject(symbols);
  ReleaseDC(nullptr, screen);
  EXPECT_STREQ(face, L"Marlett");
}

}  // namespace
}  // namespace rivano
