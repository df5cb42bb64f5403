// The main window as a user meets it: the picture applied is always the
// selected one, the keyboard reaches every control, tool tips show, sources
// that went away show no icon, bad stored values are skipped, the folder
// list needs no horizontal bar, and a large folder lists at once.

#include "tests/wine/main_window_fixture.h"
// needs windows.h first
#include <commctrl.h>

namespace rivano {
namespace {

using testing::focusedControl;
using testing::pressKeys;

int rowOf(const RemoteListView& files, const std::wstring& name) {
  for (int i = 0; i < files.count(); ++i)
    if (files.text(i) == name) return i;
  return -1;
}

class MainWindowUse : public MainWindow {
 protected:
  // Opens the window on the picture folder with nothing selected, then
  // chooses the folder so that its pictures are listed.
  HWND openOnPictures(RunningProgram& program) {
    HWND window = openWindow(program);
    if (!window) return nullptr;
    RemoteListView folders(GetDlgItem(window, main_ids::lvwMain));
    RemoteListView files(GetDlgItem(window, main_ids::lvwFile));
    folders.click(0);
    EXPECT_TRUE(waitUntil([&] { return files.count() == 3; }, kPatience));
    return window;
  }
  void choosePicture(HWND window, const std::wstring& name) {
    RemoteListView files(GetDlgItem(window, main_ids::lvwFile));
    const int row = rowOf(files, name);
    ASSERT_GE(row, 0) << testing::narrow(name) << " is not listed";
    files.click(row);
    ASSERT_TRUE(waitUntil([&] { return files.selected() == row; }, kPatience));
  }
  int appliedWidth() const {
    const auto written = decodeBmp(testing::readFileBytes(wallBmp()));
    return written ? written->width : -1;
  }
};

TEST_F(MainWindowUse, AfterTheViewerIsSwitchedOffTheSelectedPictureIsTheOneApplied) {
  registerSources({{pictures, false}});
  put(kWallList, L"TileOpt1", L"0");
  RunningProgram program(exe, L"/N");
  HWND window = openOnPictures(program);
  ASSERT_NE(window, nullptr);
  choosePicture(window, L"a.bmp");  // previewed: the loaded picture is a.bmp
  testing::clickButton(GetDlgItem(window, main_ids::chkViewer));
  ASSERT_TRUE(waitUntil([&] { return !testing::isButtonChecked(GetDlgItem(window, main_ids::chkViewer)); },
                        kPatience));
  choosePicture(window, L"c.bmp");  // not previewed
  close(program, window);
  EXPECT_EQ(appliedWidth(), 60);
  EXPECT_EQ(get(kWallList, L"Rireki0"), pictures + L"\\c.bmp");
}

TEST_F(MainWindowUse, ChangeButtonWithTheViewerOffTakesAnArchivedPictureOutFirst) {
  // The archive and the member joined name no file: the picture is the
  // member taken out of the archive, as the preview takes it.
  const std::wstring zip = testing::pictureDir() + L"pics.zip";
  registerSources({{zip, false}});
  RunningProgram program(exe, L"/N");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  RemoteListView folders(GetDlgItem(window, main_ids::lvwMain));
  RemoteListView files(GetDlgItem(window, main_ids::lvwFile));
  folders.click(0);
  ASSERT_TRUE(waitUntil([&] { return files.count() == 1 && files.selected() == 0; }, kPatience));
  testing::clickButton(GetDlgItem(window, main_ids::chkViewer));
  PostMessageW(GetDlgItem(window, main_ids::cmdChange), BM_CLICK, 0, 0);
  ASSERT_TRUE(waitUntil([&] { return appliedWidth() == 30 || program.waitForMessageBox(0).has_value(); },
                        kPatience));
  EXPECT_FALSE(program.waitForMessageBox(0).has_value()) << "the change reported an error";
  EXPECT_EQ(appliedWidth(), 30);
  PostMessageW(window, WM_KEYDOWN, VK_SHIFT, 1);  // close without a second change
  ASSERT_TRUE(waitUntil([&] { return testing::controlText(GetDlgItem(window, main_ids::cmdFilDel)) == res(201); },
                        kPatience));
  close(program, window);
  EXPECT_EQ(get(kWallList, L"Rireki0"), zip + L"\\photos\\m.bmp");
}

TEST_F(MainWindowUse, AFailedPreviewNeverLeavesTheEarlierPictureToBeApplied) {
  testing::writeFileBytes(pictures + L"\\empty.bmp", {});
  registerSources({{pictures, false}});
  RunningProgram program(exe, L"/N");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  RemoteListView folders(GetDlgItem(window, main_ids::lvwMain));
  RemoteListView files(GetDlgItem(window, main_ids::lvwFile));
  folders.click(0);
  ASSERT_TRUE(waitUntil([&] { return files.count() == 4; }, kPatience));
  choosePicture(window, L"b.bmp");
  // Had the start-up pick been empty.bmp, its failure is told with this click.
  if (const auto told = program.waitForMessageBox(1000)) {
    ASSERT_TRUE(testing::answerOk(program, told->hwnd));
  }
  choosePicture(window, L"empty.bmp");  // the preview fails; its message follows the click
  const auto box = program.waitForMessageBox(kPatience);
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(box->title, res(IDS_TITLE_ITEM_CLICK));
  ASSERT_TRUE(testing::answerOk(program, box->hwnd));
  // The change button reports the broken picture instead of applying b.bmp.
  PostMessageW(GetDlgItem(window, main_ids::cmdChange), BM_CLICK, 0, 0);
  const auto change = program.waitForMessageBox(kPatience);
  ASSERT_TRUE(change.has_value());
  EXPECT_EQ(change->title, L"Rivano frmMain cmdChange");
  ASSERT_TRUE(testing::answerOk(program, change->hwnd));
  close(program, window);
  EXPECT_FALSE(win::fileExists(wallBmp()));  // and neither does the exit
  EXPECT_EQ(get(kWallList, L"Rireki0"), L"<missing>");
}

TEST_F(MainWindowUse, TabShiftTabAccessKeysAndEnterWorkAsInADialog) {
  registerSources({{pictures, false}});
  RunningProgram program(exe, L"/N");
  HWND window = openOnPictures(program);
  ASSERT_NE(window, nullptr);
  HWND folderList = GetDlgItem(window, main_ids::lvwMain);
  HWND folderButton = GetDlgItem(window, main_ids::cmdFolder);
  HWND archiveButton = GetDlgItem(window, main_ids::cmdArchiver);
  // The folder list was clicked last; Tab moves on, Shift+Tab comes back.
  ASSERT_TRUE(waitUntil([&] { return focusedControl(window) == folderList; }, kPatience));
  pressKeys(window, {}, VK_TAB);
  EXPECT_TRUE(waitUntil([&] { return focusedControl(window) == folderButton; }, kPatience));
  pressKeys(window, {}, VK_TAB);
  EXPECT_TRUE(waitUntil([&] { return focusedControl(window) == archiveButton; }, kPatience));
  pressKeys(window, {VK_SHIFT}, VK_TAB);
  EXPECT_TRUE(waitUntil([&] { return focusedControl(window) == folderButton; }, kPatience));
  // Alt+T: the label "タテ(&T)" hands the focus to its box.
  pressKeys(window, {VK_MENU}, 'T');
  EXPECT_TRUE(waitUntil([&] { return focusedControl(window) == GetDlgItem(window, main_ids::txtDown); }, kPatience));
  // Alt+N picks the option "タイル貼りしない(&N)", which greys the counts.
  pressKeys(window, {VK_MENU}, 'N');
  EXPECT_TRUE(waitUntil([&] { return testing::isButtonChecked(GetDlgItem(window, main_ids::optTile0)); }, kPatience));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(window, main_ids::txtDown)));
  // Alt+V switches the viewer off and on again.
  HWND viewer = GetDlgItem(window, main_ids::chkViewer);
  pressKeys(window, {VK_MENU}, 'V');
  EXPECT_TRUE(waitUntil([&] { return !testing::isButtonChecked(viewer); }, kPatience));
  pressKeys(window, {VK_MENU}, 'V');
  EXPECT_TRUE(waitUntil([&] { return testing::isButtonChecked(viewer); }, kPatience));
  // Alt+C makes the selected picture the wallpaper.
  choosePicture(window, L"b.bmp");
  pressKeys(window, {VK_MENU}, 'C');
  EXPECT_TRUE(waitUntil([&] { return appliedWidth() == 50; }, kPatience)) << "Alt+C did not change";
  // Enter presses the focused button.
  choosePicture(window, L"c.bmp");
  SendMessageW(window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(window, main_ids::cmdChange)), TRUE);
  ASSERT_TRUE(waitUntil([&] { return focusedControl(window) == GetDlgItem(window, main_ids::cmdChange); },
                        kPatience));
  pressKeys(window, {}, VK_RETURN);
  EXPECT_TRUE(waitUntil([&] { return appliedWidth() == 60; }, kPatience)) << "Enter did not press the button";
  // The Shift mode still follows the key.
  HWND del = GetDlgItem(window, main_ids::cmdFilDel);
  INPUT shift{};
  shift.type = INPUT_KEYBOARD;
  shift.ki.wVk = VK_SHIFT;
  SendInput(1, &shift, sizeof shift);
  EXPECT_TRUE(waitUntil([&] { return testing::controlText(del) == res(201); }, kPatience));
  shift.ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(1, &shift, sizeof shift);
  EXPECT_TRUE(waitUntil([&] { return testing::controlText(del) == res(205); }, kPatience));
  // Esc closes the window; its change at exit finds c.bmp already newest.
  pressKeys(window, {}, VK_ESCAPE);
  EXPECT_TRUE(program.waitForExit(kPatience)) << "Esc did not close the window";
  EXPECT_EQ(get(kWallList, L"Rireki0"), pictures + L"\\b.bmp");
  EXPECT_EQ(get(kWallList, L"Rireki1"), pictures + L"\\c.bmp");
  EXPECT_EQ(get(kWallList, L"Rireki2"), L"<missing>");
}

TEST_F(MainWindowUse, ToolTipsShowOverTheControls) {
  registerSources({{pictures, false}});
  RunningProgram program(exe, L"/N");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  SetForegroundWindow(window);
  testing::hoverOver(GetDlgItem(window, main_ids::cmdChange));
  EXPECT_NE(program.waitForWindow(TOOLTIPS_CLASSW, 10000), nullptr) << "no tool tip over the change button";
  close(program, window);
}

TEST_F(MainWindowUse, ASourceThatWentAwayShowsNoIconAlsoAfterMoving) {
  registerSources({{pictures, false}, {folder.path() + L"gone", false}});
  RunningProgram program(exe, L"/N");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  RemoteListView folders(GetDlgItem(window, main_ids::lvwMain));
  ASSERT_EQ(folders.count(), 2);
  EXPECT_EQ(folders.image(0), 0);  // the folder icon
  EXPECT_LT(folders.image(1), 0);
  folders.click(1);
  ASSERT_TRUE(waitUntil([&] { return folders.selected() == 1; }, kPatience));
  testing::clickButton(GetDlgItem(window, main_ids::cmdUp));
  ASSERT_TRUE(waitUntil([&] { return folders.text(0) == folder.path() + L"gone"; }, kPatience));
  EXPECT_LT(folders.image(0), 0);
  EXPECT_EQ(folders.image(1), 0);
  testing::clickButton(GetDlgItem(window, main_ids::cmdDown));
  ASSERT_TRUE(waitUntil([&] { return folders.text(1) == folder.path() + L"gone"; }, kPatience));
  EXPECT_LT(folders.image(1), 0);
  close(program, window);
}

TEST_F(MainWindowUse, ManyEntriesNeedNoHorizontalScrollBar) {
  std::vector<std::pair<std::wstring, bool>> sources;
  for (int i = 0; i < 9; ++i) sources.emplace_back(pictures, false);
  registerSources(sources);
  RunningProgram program(exe, L"/N");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  HWND list = GetDlgItem(window, main_ids::lvwMain);
  ASSERT_EQ(RemoteListView(list).count(), 9);
  EXPECT_TRUE(GetWindowLongW(list, GWL_STYLE) & WS_VSCROLL);
  EXPECT_FALSE(GetWindowLongW(list, GWL_STYLE) & WS_HSCROLL) << "a horizontal bar hides a row";
  close(program, window);
}

TEST_F(MainWindowUse, StoredValuesThatDoNotConvertAreSkipped) {
  // A position that is no number keeps the window centred, and a countdown
  // whose count is no number does not run at all (not 15 seconds).
  put(kProgramKey + L"\\WinPos", L"Left", L"left");
  put(kProgramKey + L"\\Option", L"FreeEnd", L"1");
  put(kProgramKey + L"\\Option", L"TmrCount", L"soon");
  registerSources({{pictures, false}});
  RunningProgram program(exe, L"/N");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  RECT r{};
  GetWindowRect(window, &r);
  EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2);
  EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2);
  EXPECT_FALSE(program.waitForExit(18000)) << "the countdown ran with a count that is no number";
  close(program, window);
}

TEST_F(MainWindowUse, TenThousandPicturesListAtOnceAndSortKeepingTheSelection) {
  // Made at build time: p0000.bmp to p9999.bmp, p4321.bmp the one larger.
  const std::wstring many = testing::linuxPath(RIVANO_MANY_PICTURES);
  registerSources({{many, true}});
  RunningProgram program(exe, L"");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  RemoteListView files(GetDlgItem(window, main_ids::lvwFile));
  ASSERT_TRUE(waitUntil([&] { return files.count() == 10000; }, kPatience));
  // It took several seconds when every row went through the control: the
  // list asks for a row's texts only when it shows the row.
  EXPECT_TRUE(GetWindowLongW(GetDlgItem(window, main_ids::lvwFile), GWL_STYLE) & LVS_OWNERDATA);
  const int chosen = files.selected();
  ASSERT_GE(chosen, 0);
  const std::wstring name = files.text(chosen);
  // Sorting by size puts the one larger file last and the selection
  // follows its own row.
  testing::chooseMenu(window, main_ids::mnuSort0 + 2);
  EXPECT_EQ(files.text(9999), L"p4321.bmp");
  EXPECT_EQ(files.text(files.selected()), name);
  testing::chooseMenu(window, main_ids::mnuSortOrder1);
  EXPECT_EQ(files.text(0), L"p4321.bmp");
  EXPECT_EQ(files.text(files.selected()), name);
  close(program, window);
  EXPECT_EQ(get(kWallList, L"Rireki0"), many + L"\\" + name);
}


TEST_F(MainWindowUse, NamesOutsideTheCodePageAreKeptWhole) {
  // Hangul is outside code page 932: through the ANSI functions these
  // names would be stored as question marks.
  const std::wstring korean = folder.path() + L"\uc0ac\uc9c4";  // 사진
  CreateDirectoryW(korean.c_str(), nullptr);
  writePicture(L"\ubc14\ub2e4.bmp", solid(20, 20, 0x123456), korean);  // 바다.bmp
  registerSources({{korean, true}});
  {
    RunningProgram silent(exe, L"/S");
    ASSERT_TRUE(silent.waitForExit(kPatience));
  }
  EXPECT_EQ(appliedWidth(), 20);
  EXPECT_EQ(get(kWallList, L"Rireki0"), korean + L"\\\ubc14\ub2e4.bmp");
  EXPECT_EQ(get(kWallList, L"List1"), korean);

  // An archive chosen in the open dialog is registered under its own name;
  // the archivers' ANSI interface cannot take it, which is said clearly.
  const std::wstring zip = folder.path() + L"\uc555\ucd95.zip";  // 압축.zip
  ASSERT_TRUE(CopyFileW((testing::pictureDir() + L"pics.zip").c_str(), zip.c_str(), FALSE));
  RunningProgram program(exe, L"/N");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  PostMessageW(GetDlgItem(window, main_ids::cmdArchiver), BM_CLICK, 0, 0);
  const auto dialog = program.waitForMessageBox(kPatience);
  ASSERT_TRUE(dialog.has_value()) << "no open dialog";
  HWND name = GetDlgItem(dialog->hwnd, 0x47c);  // the file name box
  if (HWND edit = FindWindowExW(name, nullptr, L"Edit", nullptr)) name = edit;
  if (!name) name = GetDlgItem(dialog->hwnd, 0x480);
  ASSERT_NE(name, nullptr);
  SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(zip.c_str()));
  PostMessageW(GetDlgItem(dialog->hwnd, IDOK), BM_CLICK, 0, 0);
  RemoteListView folders(GetDlgItem(window, main_ids::lvwMain));
  ASSERT_TRUE(waitUntil([&] { return folders.count() == 2; }, kPatience));
  EXPECT_EQ(folders.text(1), zip);
  const auto refused = program.waitForMessageBox(kPatience);
  ASSERT_TRUE(refused.has_value()) << "the archive was neither read nor refused";
  EXPECT_EQ(refused->title, L"Rivano frmMain myAccessFile");
  EXPECT_NE(refused->text.find(L"53"), std::wstring::npos);
  ASSERT_TRUE(testing::answerOk(program, refused->hwnd));
  close(program, window);
  EXPECT_EQ(get(kWallList, L"List2"), zip);
}

}  // namespace
}  // namespace rivano
