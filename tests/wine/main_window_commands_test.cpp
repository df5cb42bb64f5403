// The main window's remaining commands as a user gives them, through the
// real program: the tile panel's thresholds and modes, deleting pictures
// (answering the shell's own question), the Shift mode, widening the list,
// the viewer switch and its menu twin, the preview's double-click and the
// menu items that run the buttons.
#include "tests/wine/main_window_fixture.h"
// needs windows.h first
#include <commctrl.h>
#include <shellapi.h>

#include <cstring>
#include <functional>

#include "tests/wine/window_drawing.h"

namespace rivano {
namespace {

using testing::controlText;
using testing::isButtonChecked;
using testing::pressKeys;

constexpr int kTwipsPerPixel = 15;

// One key pressed and let go, to whatever has the keyboard now (an open
// menu, a box), without making any window the foreground first.
void typeKey(WORD key) {
  INPUT in[2] = {};
  for (int i = 0; i < 2; ++i) {
    in[i].type = INPUT_KEYBOARD;
    in[i].ki.wVk = key;
    in[i].ki.wScan = static_cast<WORD>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
    in[i].ki.dwFlags = i == 1 ? KEYEVENTF_KEYUP : 0;
  }
  SendInput(2, in, sizeof(INPUT));
}

void holdShift(bool down) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = VK_SHIFT;
  in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(VK_SHIFT, MAPVK_VK_TO_VSC));
  in.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
  SendInput(1, &in, sizeof in);
}

bool menuOpen() {
  HWND popup = FindWindowW(L"#32768", nullptr);
  return popup && IsWindowVisible(popup);
}

// Alt and the menu's letter open it; the item's letter chooses the item.
// Right after a modal dialog the window may still be taking the keyboard
// back; like a user, press again when the first press found it busy.
void useMenu(HWND window, WORD menuKey, WORD itemKey) {
  waitUntil([&] { return IsWindowEnabled(window) != FALSE; }, 5000);
  bool open = false;
  for (int attempt = 0; attempt < 3 && !open; ++attempt) {
    pressKeys(window, {VK_MENU}, menuKey);
    open = waitUntil(menuOpen, 3000);
  }
  ASSERT_TRUE(open) << "the menu did not open";
  typeKey(itemKey);
  waitUntil([] { return !menuOpen(); }, 5000);
}

// Wine keeps a window's menu inside its own process, so another process
// cannot read its check marks; the tests see them through what the items
// do and what the program stores from them.

// The program's windows are read from the screen, and only while nothing
// covers the spot: CLR_INVALID, no colour, while something does.
COLORREF centreOf(HWND control) { return testing::uncoveredCentre(control).value_or(CLR_INVALID); }

bool centreShowsOtherThan(HWND control, COLORREF colour) {
  const COLORREF shown = centreOf(control);
  return shown != CLR_INVALID && shown != colour;
}

// Where a control sits inside the picture frame, in twips.
RECT twipsInFrame(HWND window, int id) {
  RECT frame{}, r{};
  GetWindowRect(GetDlgItem(window, main_ids::fraPic), &frame);
  GetWindowRect(GetDlgItem(window, id), &r);
  return {(r.left - frame.left) * kTwipsPerPixel, (r.top - frame.top) * kTwipsPerPixel,
          (r.right - frame.left) * kTwipsPerPixel, (r.bottom - frame.top) * kTwipsPerPixel};
}

int widthInTwips(HWND control) {
  RECT r{};
  GetWindowRect(control, &r);
  return (r.right - r.left) * kTwipsPerPixel;
}

// Where the dark pixels of a picture lie, left of its middle (negative) or
// right of it: the two arrows of the widen button point opposite ways.
double darkBalance(HDC dc, int width, int height) {
  double sum = 0;
  int count = 0;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const COLORREF c = GetPixel(dc, x, y);
      if (GetRValue(c) + GetGValue(c) + GetBValue(c) < 200) {
        sum += x - (width - 1) / 2.0;
        ++count;
      }
    }
  return count ? sum / count : 0;
}

double bitmapBalance(const std::wstring& exe, int id) {
  HMODULE module = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  HBITMAP bitmap = static_cast<HBITMAP>(LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, 0));
  BITMAP info{};
  GetObjectW(bitmap, sizeof info, &info);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bitmap);
  const double balance = darkBalance(dc, info.bmWidth, info.bmHeight);
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(bitmap);
  FreeLibrary(module);
  return balance;
}

// No balance (0) while something, a tool tip above all, covers the button.
double buttonBalance(HWND button) {
  RECT r{};
  GetWindowRect(button, &r);
  if (!testing::uncovered(button, r)) return 0;
  const int w = r.right - r.left, h = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP shot = CreateCompatibleBitmap(screen, w, h);
  HGDIOBJ old = SelectObject(dc, shot);
  BitBlt(dc, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  // The button's own 3D edge is dark too; only its face counts.
  const double balance = [&] {
    HDC face = CreateCompatibleDC(screen);
    HBITMAP inner = CreateCompatibleBitmap(screen, w - 4, h - 4);
    HGDIOBJ previous = SelectObject(face, inner);
    BitBlt(face, 0, 0, w - 4, h - 4, dc, 2, 2, SRCCOPY);
    const double b = darkBalance(face, w - 4, h - 4);
    SelectObject(face, previous);
    DeleteObject(inner);
    DeleteDC(face);
    return b;
  }();
  SelectObject(dc, old);
  DeleteObject(shot);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return balance;
}

std::wstring shownToolTip(const RunningProgram& program, HWND control) {
  std::wstring shown;
  // Away until the last tip is gone, so that the one read is the control's.
  SetCursorPos(0, 0);
  waitUntil([&] { return program.waitForWindow(TOOLTIPS_CLASSW, 0) == nullptr; }, 10000);
  testing::hoverOver(control);
  waitUntil([&] {
    HWND tip = program.waitForWindow(TOOLTIPS_CLASSW, 0);
    shown = tip ? controlText(tip) : L"";
    return !shown.empty();
  }, 10000);
  SetCursorPos(0, 0);
  return shown;
}

class MainWindowCommands : public MainWindow {
 protected:
  HWND control(int id) const { return GetDlgItem(window, id); }
  std::wstring text(int id) const { return controlText(control(id)); }

  // Opens the window with nothing chosen, then chooses the first source.
  void openOn(RunningProgram& program, int expectedRows) {
    window = openWindow(program);
    ASSERT_NE(window, nullptr);
    RemoteListView folders(control(main_ids::lvwMain));
    RemoteListView files(control(main_ids::lvwFile));
    folders.click(0);
    ASSERT_TRUE(waitUntil([&] { return files.count() == expectedRows; }, kPatience));
  }
  void choose(const std::wstring& name) {
    RemoteListView files(control(main_ids::lvwFile));
    for (int i = 0; i < files.count(); ++i)
      if (files.text(i) == name) {
        files.click(i);
        ASSERT_TRUE(waitUntil([&] { return files.selected() == i; }, kPatience));
        return;
      }
    FAIL() << testing::narrow(name) << " is not listed";
  }
  std::wstring selectedName() const {
    RemoteListView files(control(main_ids::lvwFile));
    const int s = files.selected();
    return s < 0 ? L"" : files.text(s);
  }
  // Presses the delete button without waiting, as the shell's question
  // keeps the click busy until it is answered.
  void pressDelete() { PostMessageW(control(main_ids::cmdFilDel), BM_CLICK, 0, 0); }
  // The shell asks before it deletes; the user answers.
  bool answerShell(const RunningProgram& program, int answer) {
    const auto ask = program.waitForMessageBox(kPatience);
    if (!ask) return false;
    PostMessageW(GetDlgItem(ask->hwnd, answer), BM_CLICK, 0, 0);
    return waitUntil([&] { return !program.waitForMessageBox(0).has_value(); }, kPatience);
  }
  // Keys typed into the focused box; the window takes them in order, so
  // once the box's text has changed to what the last one makes of it, all
  // have been taken.
  void typeKeys(std::initializer_list<WORD> keys, int box, const std::function<bool(const std::wstring&)>& lastTaken) {
    const std::wstring before = text(box);
    SetForegroundWindow(window);
    for (WORD k : keys) typeKey(k);
    EXPECT_TRUE(waitUntil([&] {
      const std::wstring now = text(box);
      return now != before && lastTaken(now);
    }, kPatience)) << "the box did not take the keys";
  }
  static std::function<bool(const std::wstring&)> endsIn(wchar_t last) {
    return [last](const std::wstring& now) { return !now.empty() && now.back() == last; };
  }

  HWND window = nullptr;
};

// Wine's recycle bin: the number of items it holds.
LONGLONG recycledItems() {
  SHQUERYRBINFO info{sizeof info};
  return SUCCEEDED(SHQueryRecycleBinW(nullptr, &info)) ? info.i64NumItems : -1;
}

TEST_F(MainWindowCommands, ThresholdsTakeDigitsAndBackspaceOnlyButAPasteFromTheirMenu) {
  registerSources({{pictures, false}});
  RunningProgram program(exe, L"/N");
  openOn(program, 3);
  // Alt+T selects the down count's text: typing replaces it.
  pressKeys(window, {VK_MENU}, 'T');
  ASSERT_TRUE(waitUntil([&] { return testing::focusedControl(window) == control(main_ids::txtDown); }, kPatience));
  typeKeys({'A', VK_OEM_MINUS, '1', VK_SPACE, '2'}, main_ids::txtDown, endsIn(L'2'));
  EXPECT_EQ(text(main_ids::txtDown), L"12");
  typeKey(VK_BACK);
  EXPECT_TRUE(waitUntil([&] { return text(main_ids::txtDown) == L"1"; }, kPatience)) << "backspace did not pass";
  // The paste shortcut is a control character: swallowed.
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, 3 * sizeof(wchar_t));
  std::memcpy(GlobalLock(data), L"77", 3 * sizeof(wchar_t));
  GlobalUnlock(data);
  SetClipboardData(CF_UNICODETEXT, data);
  CloseClipboard();
  pressKeys(window, {VK_CONTROL}, 'V');
  // A digit after it shows when the box has taken Ctrl+V too.
  typeKeys({'5'}, main_ids::txtDown, endsIn(L'5'));
  EXPECT_EQ(text(main_ids::txtDown), L"15") << "Ctrl+V got past the filter";
  typeKeys({VK_BACK}, main_ids::txtDown, [](const std::wstring& now) { return now == L"1"; });
  // The box's own menu pastes: that is no key and is not filtered.
  RECT r{};
  GetWindowRect(control(main_ids::txtDown), &r);
  SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  INPUT click[2] = {};
  click[0].type = click[1].type = INPUT_MOUSE;
  click[0].mi.dwFlags = MOUSEEVENTF_RIGHTDOWN;
  click[1].mi.dwFlags = MOUSEEVENTF_RIGHTUP;
  SendInput(2, click, sizeof(INPUT));
  ASSERT_TRUE(waitUntil(menuOpen, 5000)) << "the box's menu did not open";
  typeKey('P');
  EXPECT_TRUE(waitUntil([&] { return text(main_ids::txtDown).find(L"77") != std::wstring::npos; }, kPatience))
      << "the menu's paste was filtered: " << testing::narrow(text(main_ids::txtDown));
  close(program, window);
}

TEST_F(MainWindowCommands, ModesEnableTheThresholdsAndValuesAreStoredWhenTheEntryChangesAndAtClose) {
  const std::wstring other = folder.path() + L"other";
  CreateDirectoryW(other.c_str(), nullptr);
  writePicture(L"d.bmp", solid(20, 20, 0x808080), other);
  registerSources({{pictures, false}, {other, false}});
  put(kWallList, L"TileOpt1", L"1");
  put(kWallList, L"TileX1", L"3");
  put(kWallList, L"TileY1", L"4");
  RunningProgram program(exe, L"/N");
  openOn(program, 3);
  const int thresholds[] = {main_ids::txtDown, main_ids::txtAcross, main_ids::lblDown0, main_ids::lblDown1,
                            main_ids::lblAcross0, main_ids::lblAcross1, main_ids::lblSentence};
  auto enabled = [&](bool on) {
    for (int id : thresholds)
      if ((IsWindowEnabled(control(id)) != FALSE) != on) return false;
    return true;
  };
  // The stored rule is shown: mode 1, thresholds off, the counts as stored.
  EXPECT_TRUE(isButtonChecked(control(main_ids::optTile1)));
  EXPECT_TRUE(enabled(false));
  EXPECT_EQ(text(main_ids::txtDown), L"4");
  EXPECT_EQ(text(main_ids::txtAcross), L"3");
  testing::clickButton(control(main_ids::optTile2));
  EXPECT_TRUE(waitUntil([&] { return enabled(true); }, kPatience)) << "automatic mode left the thresholds off";
  testing::clickButton(control(main_ids::optTile0));
  EXPECT_TRUE(waitUntil([&] { return enabled(false); }, kPatience)) << "never-tile left the thresholds on";
  testing::clickButton(control(main_ids::optTile2));
  ASSERT_TRUE(waitUntil([&] { return enabled(true); }, kPatience));
  // Across 5, down emptied: the other entry is chosen and this one again.
  pressKeys(window, {VK_MENU}, 'Y');
  ASSERT_TRUE(waitUntil([&] { return testing::focusedControl(window) == control(main_ids::txtAcross); }, kPatience));
  typeKeys({'5'}, main_ids::txtAcross, endsIn(L'5'));
  pressKeys(window, {VK_MENU}, 'T');
  ASSERT_TRUE(waitUntil([&] { return testing::focusedControl(window) == control(main_ids::txtDown); }, kPatience));
  typeKeys({VK_BACK}, main_ids::txtDown, [](const std::wstring& now) { return now.empty(); });
  ASSERT_EQ(text(main_ids::txtDown), L"");
  RemoteListView folders(control(main_ids::lvwMain));
  RemoteListView files(control(main_ids::lvwFile));
  folders.click(1);
  ASSERT_TRUE(waitUntil([&] { return files.count() == 1; }, kPatience));
  EXPECT_EQ(text(main_ids::txtAcross), L"2") << "the other entry shows its own defaults";
  folders.click(0);
  ASSERT_TRUE(waitUntil([&] { return files.count() == 3; }, kPatience));
  EXPECT_EQ(text(main_ids::txtAcross), L"5") << "the edited count was not kept";
  EXPECT_EQ(text(main_ids::txtDown), L"4") << "an emptied box lost the stored count";
  EXPECT_TRUE(isButtonChecked(control(main_ids::optTile2)));
  // Edited again and closed: stored with the list.
  pressKeys(window, {VK_MENU}, 'Y');
  ASSERT_TRUE(waitUntil([&] { return testing::focusedControl(window) == control(main_ids::txtAcross); }, kPatience));
  typeKeys({'7'}, main_ids::txtAcross, endsIn(L'7'));
  close(program, window);
  EXPECT_EQ(get(kWallList, L"TileX1"), L"7");
  EXPECT_EQ(get(kWallList, L"TileY1"), L"4");
  EXPECT_EQ(get(kWallList, L"TileOpt1"), L"2");
}

TEST_F(MainWindowCommands, ANewEntryShowsAutomaticModeWithTwoAndTwo) {
  registerSources({{pictures, false}});
  put(kWallList, L"TileOpt1", L"0");
  put(kWallList, L"TileX1", L"9");
  put(kWallList, L"TileY1", L"8");
  const std::wstring archive = testing::pictureDir() + L"same_a.zip";
  RunningProgram program(exe, L"/N");
  openOn(program, 3);
  ASSERT_EQ(text(main_ids::txtAcross), L"9");
  // A count typed for the current entry survives the new entry's defaults
  // (typed in automatic mode, the entry then set back to never tile).
  testing::clickButton(control(main_ids::optTile2));
  pressKeys(window, {VK_MENU}, 'Y');
  ASSERT_TRUE(waitUntil([&] { return testing::focusedControl(window) == control(main_ids::txtAcross); }, kPatience));
  typeKeys({'6'}, main_ids::txtAcross, endsIn(L'6'));
  testing::clickButton(control(main_ids::optTile0));
  // The archive dialog, answered as a user does: the name typed, then OK.
  PostMessageW(control(main_ids::cmdArchiver), BM_CLICK, 0, 0);
  HWND dialog = program.waitForWindow(L"#32770", kPatience);
  ASSERT_NE(dialog, nullptr) << "the archive dialog did not open";
  HWND name = nullptr;
  waitUntil([&] {
    name = GetDlgItem(dialog, 0x47c);  // the file name box (cmb13)
    if (!name) name = GetDlgItem(dialog, 0x480);  // edt1 in older layouts
    return name != nullptr;
  }, kPatience);
  ASSERT_NE(name, nullptr);
  SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(archive.c_str()));
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  RemoteListView folders(control(main_ids::lvwMain));
  ASSERT_TRUE(waitUntil([&] { return folders.count() == 2; }, kPatience)) << "the archive was not registered";
  EXPECT_TRUE(isButtonChecked(control(main_ids::optTile2)));
  EXPECT_EQ(text(main_ids::txtDown), L"2");
  EXPECT_EQ(text(main_ids::txtAcross), L"2");
  EXPECT_TRUE(IsWindowEnabled(control(main_ids::txtDown)));
  close(program, window);
  EXPECT_EQ(get(kWallList, L"TileX1"), L"6") << "the typed count was lost to the new entry's defaults";
  EXPECT_EQ(get(kWallList, L"TileOpt1"), L"0");
  EXPECT_EQ(get(kWallList, L"TileOpt2"), L"2");
  EXPECT_EQ(get(kWallList, L"TileX2"), L"2");
}

TEST_F(MainWindowCommands, ShiftSwapsTheCaptionsAndGrowsTheCloseButtonUpwardUntilAnyKeyIsLetGo) {
  registerSources({{pictures, false}});
  RunningProgram program(exe, L"/N");
  openOn(program, 3);
  const RECT normal = twipsInFrame(window, main_ids::cmdEnd);
  EXPECT_EQ(normal.top, 2280);
  EXPECT_EQ(normal.bottom - normal.top, 375);
  SetForegroundWindow(window);
  holdShift(true);
  ASSERT_TRUE(waitUntil([&] { return text(main_ids::cmdFilDel) == res(201); }, kPatience));
  EXPECT_EQ(text(main_ids::cmdEnd), res(202) + L"\r\n" + res(203) + L"\r\n" + res(204));
  const RECT shifted = twipsInFrame(window, main_ids::cmdEnd);
  EXPECT_EQ(shifted.top, 1800);
  EXPECT_EQ(shifted.bottom - shifted.top, 855);
  EXPECT_EQ(shifted.bottom, normal.bottom) << "the close button's bottom edge moved";
  holdShift(false);
  ASSERT_TRUE(waitUntil([&] { return text(main_ids::cmdFilDel) == res(205); }, kPatience));
  EXPECT_EQ(text(main_ids::cmdEnd), res(204));
  const RECT back = twipsInFrame(window, main_ids::cmdEnd);
  EXPECT_EQ(back.top, 2280);
  EXPECT_EQ(back.bottom - back.top, 375);
  close(program, window);
}

TEST_F(MainWindowCommands, DeletingTheLastOfThreeGoesToTheBinAndSelectsTheNewLastACancelChangesNothing) {
  registerSources({{pictures, false}});
  RunningProgram program(exe, L"/N");
  openOn(program, 3);
  choose(L"c.bmp");
  const LONGLONG before = recycledItems();
  ASSERT_GE(before, 0) << "the recycle bin cannot be asked";
  // Cancelled: file and list as they were.
  pressDelete();
  ASSERT_TRUE(answerShell(program, IDNO)) << "the shell did not ask";
  EXPECT_TRUE(win::fileExists(pictures + L"\\c.bmp"));
  RemoteListView files(control(main_ids::lvwFile));
  EXPECT_EQ(files.count(), 3);
  EXPECT_EQ(selectedName(), L"c.bmp");
  // Agreed: the file goes to the bin, the new last row is chosen and shown.
  pressDelete();
  ASSERT_TRUE(answerShell(program, IDYES)) << "the shell did not ask";
  ASSERT_TRUE(waitUntil([&] { return files.count() == 2; }, kPatience));
  EXPECT_FALSE(win::fileExists(pictures + L"\\c.bmp"));
  EXPECT_EQ(recycledItems(), before + 1) << "the file did not reach the recycle bin";
  EXPECT_EQ(selectedName(), L"b.bmp");
  EXPECT_TRUE(waitUntil([&] { return centreOf(control(main_ids::picMain)) == RGB(0, 255, 0); }, kPatience))
      << "b.bmp is not previewed";
  // The picture applied at close is the one now chosen.
  close(program, window);
  const auto written = decodeBmp(testing::readFileBytes(wallBmp()));
  ASSERT_TRUE(written.has_value());
  EXPECT_EQ(written->width, 50);
}

TEST_F(MainWindowCommands, ShiftClickDeletesForGoodAndEndsTheShiftModeTheOnlyPictureLeavesABlankPreview) {
  const std::wstring single = folder.path() + L"single";
  CreateDirectoryW(single.c_str(), nullptr);
  writePicture(L"only.bmp", solid(30, 30, 0xFF0000), single);
  registerSources({{pictures, false}, {single, false}});
  RunningProgram program(exe, L"/N");
  openOn(program, 3);
  choose(L"a.bmp");
  const LONGLONG before = recycledItems();
  SetForegroundWindow(window);
  holdShift(true);
  ASSERT_TRUE(waitUntil([&] { return text(main_ids::cmdFilDel) == res(201); }, kPatience));
  pressDelete();
  const bool asked = answerShell(program, IDYES);
  RemoteListView files(control(main_ids::lvwFile));
  const bool removed = waitUntil([&] { return files.count() == 2; }, kPatience);
  // The program ends the Shift mode itself once the deletion is over.
  const bool ended = waitUntil([&] { return text(main_ids::cmdFilDel) == res(205); }, kPatience);
  holdShift(false);
  ASSERT_TRUE(asked) << "the shell did not ask";
  EXPECT_TRUE(removed);
  EXPECT_TRUE(ended) << "the Shift mode outlived the deletion";
  EXPECT_FALSE(win::fileExists(pictures + L"\\a.bmp"));
  EXPECT_EQ(recycledItems(), before) << "deleted for good, yet it is in the recycle bin";
  EXPECT_EQ(selectedName(), L"b.bmp") << "the row that took the deleted one's place is chosen";

  // The only picture of a source: the list empties and the preview blanks.
  RemoteListView folders(control(main_ids::lvwMain));
  folders.click(1);
  ASSERT_TRUE(waitUntil([&] { return files.count() == 1; }, kPatience));
  ASSERT_TRUE(waitUntil([&] { return centreOf(control(main_ids::picMain)) == RGB(255, 0, 0); }, kPatience));
  pressDelete();
  ASSERT_TRUE(answerShell(program, IDYES));
  EXPECT_TRUE(waitUntil([&] { return files.count() == 0; }, kPatience));
  EXPECT_TRUE(waitUntil([&] { return centreShowsOtherThan(control(main_ids::picMain), RGB(255, 0, 0)); },
                        kPatience))
      << "the deleted picture is still shown";
  EXPECT_FALSE(win::fileExists(single + L"\\only.bmp"));
  close(program, window);
}

TEST_F(MainWindowCommands, AnArchiveEntryCannotDeleteByButtonOrMenu) {
  registerSources({{testing::pictureDir() + L"same_a.zip", false}, {pictures, false}});
  RunningProgram program(exe, L"/N");
  window = openWindow(program);
  ASSERT_NE(window, nullptr);
  RemoteListView folders(control(main_ids::lvwMain));
  RemoteListView files(control(main_ids::lvwFile));
  folders.click(1);
  ASSERT_TRUE(waitUntil([&] { return files.count() == 3; }, kPatience));
  EXPECT_TRUE(IsWindowEnabled(control(main_ids::cmdFilDel)));
  folders.click(0);
  ASSERT_TRUE(waitUntil([&] { return files.count() > 0 && !IsWindowEnabled(control(main_ids::cmdFilDel)); },
                        kPatience));
  const int members = files.count();
  // Neither the menu nor its command reach a deletion: a member is no file
  // of its own, and "gone" must not be read from a path that never was.
  useMenu(window, 'P', 'X');
  testing::chooseMenu(window, main_ids::mnuPicDel);
  EXPECT_FALSE(program.waitForMessageBox(1000).has_value()) << "an archive member was offered for deletion";
  EXPECT_EQ(files.count(), members);
  close(program, window);
}

TEST_F(MainWindowCommands, WideningCoversThePreviewSwapsPictureAndTipAndIsRestoredAtStart) {
  registerSources({{pictures, false}});
  const double widenArrow = bitmapBalance(exe, IDB_WIDEN);
  const double narrowArrow = bitmapBalance(exe, IDB_NARROW);
  ASSERT_LT(widenArrow * narrowArrow, 0) << "the two arrows should point opposite ways";
  {
    RunningProgram program(exe, L"/N");
    openOn(program, 3);
    choose(L"a.bmp");
    HWND list = control(main_ids::lvwFile);
    HWND button = control(main_ids::cmdWiden);
    HWND check = control(main_ids::chkViewer);
    EXPECT_EQ(widthInTwips(list), 2535);
    EXPECT_TRUE(waitUntil([&] { return buttonBalance(button) * widenArrow > 0; }, kPatience))
        << "the button does not show bitmap 102";
    EXPECT_EQ(shownToolTip(program, button), res(667));
    testing::clickButton(button);
    ASSERT_TRUE(waitUntil([&] { return widthInTwips(list) == 4215; }, kPatience));
    EXPECT_FALSE(IsWindowVisible(control(main_ids::picMain)));
    EXPECT_TRUE(waitUntil([&] { return buttonBalance(button) * narrowArrow > 0; }, kPatience))
        << "the button does not show bitmap 103";
    EXPECT_EQ(shownToolTip(program, button), res(668));
    // The viewer's menu item is off while the list is wide.
    pressKeys(window, {VK_MENU}, 'P');
    ASSERT_TRUE(waitUntil(menuOpen, 5000));
    typeKey('V');
    // Should the menu stay open on the item, Esc leaves it; an Esc that
    // reached the window would close it.
    if (!waitUntil([] { return !menuOpen(); }, 2000)) typeKey(VK_ESCAPE);
    waitUntil([] { return !menuOpen(); }, 5000);
    // A command the item gave is posted to the window: taken once the
    // list's posted work is.
    ASSERT_TRUE(testing::waitForPostedMessages(list, kPatience));
    EXPECT_TRUE(isButtonChecked(check)) << "the viewer item worked while the list was wide";
    // Chosen while wide, shown once the list is back.
    choose(L"b.bmp");
    useMenu(window, 'P', 'W');
    ASSERT_TRUE(waitUntil([&] { return widthInTwips(list) == 2535; }, kPatience)) << "the menu did not restore";
    EXPECT_TRUE(IsWindowVisible(control(main_ids::picMain)));
    EXPECT_TRUE(waitUntil([&] { return centreOf(control(main_ids::picMain)) == RGB(0, 255, 0); }, kPatience))
        << "the preview did not come back with the chosen picture";
    EXPECT_EQ(shownToolTip(program, button), res(667));
    close(program, window);
  }
  // The menu's check mark is what is stored.
  EXPECT_EQ(get(kProgramKey + L"\\WinPos", L"ListWidth"), L"False");
  {
    RunningProgram program(exe, L"/N");
    openOn(program, 3);
    useMenu(window, 'P', 'W');
    ASSERT_TRUE(waitUntil([&] { return widthInTwips(control(main_ids::lvwFile)) == 4215; }, kPatience))
        << "the menu did not widen";
    close(program, window);
  }
  EXPECT_EQ(get(kProgramKey + L"\\WinPos", L"ListWidth"), L"True");
  RunningProgram program(exe, L"/N");
  window = openWindow(program);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(widthInTwips(control(main_ids::lvwFile)), 4215) << "the widened list was not restored";
  EXPECT_FALSE(IsWindowVisible(control(main_ids::picMain)));
  close(program, window);
  EXPECT_EQ(get(kProgramKey + L"\\WinPos", L"ListWidth"), L"True");
}

TEST_F(MainWindowCommands, TheViewerSwitchAndItsMenuTwinFollowEachOtherExceptOnAnEmptyList) {
  registerSources({{pictures, false}});
  RunningProgram program(exe, L"/N");
  window = openWindow(program);
  ASSERT_NE(window, nullptr);
  HWND check = control(main_ids::chkViewer);
  // Nothing listed: the box changes its value and nothing else, so the
  // menu item, still checked, unchecks itself when chosen and the box
  // stays off; chosen again, both are on.
  ASSERT_TRUE(isButtonChecked(check));
  testing::clickButton(check);
  ASSERT_TRUE(waitUntil([&] { return !isButtonChecked(check); }, kPatience));
  useMenu(window, 'P', 'V');
  // The menu posts its command to the window: taken once the list's posted
  // work is.
  ASSERT_TRUE(testing::waitForPostedMessages(control(main_ids::lvwFile), kPatience));
  EXPECT_FALSE(isButtonChecked(check)) << "the menu had followed the box on an empty list";
  useMenu(window, 'P', 'V');
  EXPECT_TRUE(waitUntil([&] { return isButtonChecked(check); }, kPatience));
  // With pictures: off clears the preview, on shows the chosen one again,
  // and the menu follows the box.
  RemoteListView folders(control(main_ids::lvwMain));
  RemoteListView files(control(main_ids::lvwFile));
  folders.click(0);
  ASSERT_TRUE(waitUntil([&] { return files.count() == 3; }, kPatience));
  choose(L"a.bmp");
  HWND box = control(main_ids::picMain);
  ASSERT_TRUE(waitUntil([&] { return centreOf(box) == RGB(255, 0, 0); }, kPatience));
  testing::clickButton(check);
  EXPECT_TRUE(waitUntil([&] { return centreShowsOtherThan(box, RGB(255, 0, 0)); }, kPatience)) << "not cleared";
  useMenu(window, 'P', 'V');
  EXPECT_TRUE(waitUntil([&] { return centreOf(box) == RGB(255, 0, 0); }, kPatience)) << "not shown again";
  EXPECT_TRUE(isButtonChecked(check)) << "the menu had not followed the box";
  useMenu(window, 'P', 'V');
  EXPECT_TRUE(waitUntil([&] { return !isButtonChecked(check); }, kPatience));
  EXPECT_TRUE(waitUntil([&] { return centreShowsOtherThan(box, RGB(255, 0, 0)); }, kPatience)) << "not cleared";
  close(program, window);
  EXPECT_EQ(get(kProgramKey + L"\\Option", L"Viwer"), L"0");
}

TEST_F(MainWindowCommands, ADoubleClickOnThePreviewOpensThePictureWithItsAssociatedProgram) {
  // The association a user's system has, pointed at a copy so that the
  // test can see which file was opened. Wine reads associations from the
  // machine's classes only.
  const std::wstring opened = folder.path() + L"opened.bmp";
  const std::wstring command = L"C:\\windows\\system32\\cmd.exe /c copy \"%1\" \"" + opened + L"\"";
  const std::wstring previousClass = registry.readSystemText(RegRoot::classesRoot, L".bmp", L"", L"");
  ASSERT_TRUE(registry.writeSystemText(RegRoot::classesRoot, L".bmp", L"", L"RivanoTestPicture"));
  ASSERT_TRUE(registry.writeSystemText(RegRoot::classesRoot, L"RivanoTestPicture\\shell\\open\\command", L"", command));
  registerSources({{pictures, false}});
  {
    RunningProgram program(exe, L"/N");
    openOn(program, 3);
    choose(L"c.bmp");
    HWND box = control(main_ids::picMain);
    ASSERT_TRUE(waitUntil([&] { return centreOf(box) == RGB(0, 0, 255); }, kPatience));
    RECT r{};
    GetWindowRect(box, &r);
    SetForegroundWindow(window);
    SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    INPUT clicks[4] = {};
    for (int i = 0; i < 4; ++i) {
      clicks[i].type = INPUT_MOUSE;
      clicks[i].mi.dwFlags = i % 2 == 0 ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    }
    SendInput(4, clicks, sizeof(INPUT));
    EXPECT_TRUE(waitUntil([&] { return win::fileExists(opened); }, kPatience)) << "nothing was opened";
    close(program, window);
  }
  RegDeleteTreeW(HKEY_CLASSES_ROOT, L"RivanoTestPicture");
  registry.writeSystemText(RegRoot::classesRoot, L".bmp", L"", previousClass);
  EXPECT_EQ(testing::readFileBytes(opened), testing::readFileBytes(pictures + L"\\c.bmp"));
}

TEST_F(MainWindowCommands, TheMenuItemsRunTheirButtons) {
  const std::wstring other = folder.path() + L"other";
  CreateDirectoryW(other.c_str(), nullptr);
  writePicture(L"d.bmp", solid(20, 20, 0x808080), other);
  registerSources({{pictures, false}, {other, false}});
  put(kWallList, L"TileOpt1", L"0");
  RunningProgram program(exe, L"/N");
  openOn(program, 3);
  RemoteListView folders(control(main_ids::lvwMain));
  // The change, as its button does.
  choose(L"b.bmp");
  useMenu(window, 'P', 'C');
  EXPECT_TRUE(waitUntil([&] { return win::fileExists(wallBmp()); }, kPatience)) << "no change";
  // Down and up move the chosen entry.
  useMenu(window, 'L', 'D');
  EXPECT_TRUE(waitUntil([&] { return folders.text(1) == pictures; }, kPatience)) << "not moved down";
  useMenu(window, 'L', 'U');
  EXPECT_TRUE(waitUntil([&] { return folders.text(0) == pictures; }, kPatience)) << "not moved up";
  // The deletion asks through the shell; this time the user declines.
  useMenu(window, 'P', 'X');
  EXPECT_TRUE(answerShell(program, IDNO)) << "the menu did not start a deletion";
  EXPECT_TRUE(win::fileExists(pictures + L"\\b.bmp"));
  // The folder and archive dialogs open, and Esc closes them.
  for (WORD item : {WORD{'F'}, WORD{'S'}}) {
    useMenu(window, 'L', item);
    const auto dialog = program.waitForMessageBox(kPatience);
    ASSERT_TRUE(dialog.has_value()) << "no dialog for item " << static_cast<char>(item);
    PostMessageW(dialog->hwnd, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(waitUntil([&] { return !program.waitForMessageBox(0).has_value(); }, kPatience));
  }
  // The options dialog opens modally and Esc cancels it.
  useMenu(window, 'O', 'O');
  HWND options = program.waitForWindow(L"RivanoOptions", kPatience);
  ASSERT_NE(options, nullptr) << "the options dialog did not open";
  pressKeys(options, {}, VK_ESCAPE);
  ASSERT_TRUE(waitUntil([&] { return !IsWindow(options) || !IsWindowVisible(options); }, kPatience));
  ASSERT_TRUE(waitUntil([&] { return GetForegroundWindow() == window; }, kPatience));
  // The switch that turns the change off writes at once.
  useMenu(window, 'O', 'N');
  EXPECT_TRUE(waitUntil([&] { return get(kProgramKey + L"\\Option", L"NoWallpaper") == L"1"; }, kPatience));
  useMenu(window, 'O', 'N');
  EXPECT_TRUE(waitUntil([&] { return get(kProgramKey + L"\\Option", L"NoWallpaper") == L"0"; }, kPatience));
  // Removing the entry, then closing through the menu.
  folders.click(1);
  ASSERT_TRUE(waitUntil([&] { return folders.selected() == 1; }, kPatience));
  useMenu(window, 'L', 'X');
  EXPECT_TRUE(waitUntil([&] { return folders.count() == 1; }, kPatience)) << "the entry was not removed";
  useMenu(window, 'L', 'Q');
  EXPECT_TRUE(program.waitForExit(kPatience)) << "the menu did not close the window";
}

}  // namespace
}  // namespace rivano
