// The options dialog inside the real program, as a user meets it: opened
// from the menu, its tabs, keys, what it shows and stores, and what its
// tabs change at once in the running program.
#include "tests/wine/main_window_fixture.h"
// needs windows.h first
#include <commctrl.h>
#include <ole2.h>
#include <shellapi.h>

#include <algorithm>

#include "platform/shell_link.h"
#include "tests/wine/drop_window.h"
#include "tests/wine/window_drawing.h"
#include "ui/options/options_ids.h"

namespace rivano {
namespace {

namespace ids = options_ids;
using testing::pressKeys;
using testing::DropWindow;
using testing::mouse;

const std::wstring kOption = kProgramKey + L"\\Option";

class OptionsDialog : public MainWindow {
 protected:
  void SetUp() override {
    MainWindow::SetUp();
    HDC screen = GetDC(nullptr);
    tppX = 1440 / GetDeviceCaps(screen, LOGPIXELSX);
    tppY = 1440 / GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
  }

  // The dialog as the menu command opens it: posted, as it is modal.
  HWND openOptions(RunningProgram& program, HWND window) {
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(main_ids::mnuOpOption, 0), 0);
    dialog = program.waitForWindow(L"RivanoOptions", kPatience);
    EXPECT_NE(dialog, nullptr) << "the options dialog did not open";
    return dialog;
  }
  // A control anywhere in the dialog, in whichever frame it lies.
  HWND control(int id) const {
    return testing::controlInside(dialog, id);
  }
  std::wstring text(int id) const { return testing::controlText(control(id)); }
  bool checked(int id) const { return testing::isButtonChecked(control(id)); }
  bool enabled(int id) const { return IsWindowEnabled(control(id)) != FALSE; }
  int sliderValue(int id) const { return static_cast<int>(SendMessageW(control(id), TBM_GETPOS, 0, 0)); }
  // A control's place in its parent's client area, in twips.
  RECT placeTwips(HWND w) const {
    RECT r{};
    GetWindowRect(w, &r);
    MapWindowPoints(nullptr, GetParent(w), reinterpret_cast<POINT*>(&r), 2);
    return {r.left * tppX, r.top * tppY, r.right * tppX, r.bottom * tppY};
  }
  // Clicks a control; posted, as some answer with a box.
  void click(int id) const { PostMessageW(control(id), BM_CLICK, 0, 0); }
  void clickAndWait(int id) const { SendMessageW(control(id), BM_CLICK, 0, 0); }
  // The keyboard on a control: the focus goes to it the dialog's way.
  void keyOn(int id, WORD key) const {
    focusOn(id);
    pressKeys(dialog, {}, key);
  }
  void focusOn(int id) const {
    SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control(id)), TRUE);
    waitUntil([&] { return testing::focusedControl(dialog) == control(id); }, kPatience);
  }
  HWND focused() const { return testing::focusedControl(dialog); }
  // Ctrl+Tab, waited for. As keys are taken in the order they come, every
  // key pressed before it has then been handled too.
  void nextTab() const {
    const int expected = (tab() + 1) % ids::kTabCount;
    pressKeys(dialog, {VK_CONTROL}, VK_TAB);
    ASSERT_TRUE(waitUntil([&] { return tab() == expected; }, kPatience)) << "tab " << expected;
  }
  bool dialogClosed(RunningProgram& program) const {
    return waitUntil([&] { return !IsWindow(dialog) || !program.running(); }, kPatience);
  }
  void answerBox(RunningProgram& program, const std::wstring& expectedText, int button = IDOK) {
    const auto box = program.waitForMessageBox(kPatience);
    ASSERT_TRUE(box.has_value()) << "no box for " << testing::narrow(expectedText);
    EXPECT_EQ(box->text, expectedText);
    PostMessageW(GetDlgItem(box->hwnd, button), BM_CLICK, 0, 0);
    ASSERT_TRUE(waitUntil([&] { return !IsWindow(box->hwnd); }, kPatience));
  }
  int tab() const { return static_cast<int>(SendMessageW(control(ids::tbsOptions), TCM_GETCURSEL, 0, 0)); }
  // Only the chosen tab's frame is in its place and enabled.
  void expectFrameShown(int shown) const {
    for (int i = 0; i < ids::kTabCount; ++i) {
      HWND frame = control(ids::fraOptions0 + i);
      const RECT r = placeTwips(frame);
      if (i == shown) {
        EXPECT_NEAR(r.left, 240, tppX) << "frame " << i;
        EXPECT_NEAR(r.top, i == 0 ? 1320 : 720, tppY) << "frame " << i;
        EXPECT_TRUE(IsWindowEnabled(frame)) << "frame " << i;
      } else {
        EXPECT_NEAR(r.left, -20000, tppX) << "frame " << i;
        EXPECT_FALSE(IsWindowEnabled(frame)) << "frame " << i;
      }
    }
  }

  HWND dialog = nullptr;
  int tppX = 15, tppY = 15;
};

TEST_F(OptionsDialog, OpensModallyWithEveryCaptionAndTheFirstRunValuesAndEscStoresNothing) {
  RunningProgram program(exe, L"/N");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  ASSERT_NE(openOptions(program, window), nullptr);
  EXPECT_FALSE(IsWindowEnabled(window)) << "the main window still takes input";
  EXPECT_EQ(GetWindow(dialog, GW_OWNER), window);
  RECT outer{};
  GetWindowRect(dialog, &outer);
  EXPECT_NEAR((outer.right - outer.left) * tppX, 5040, tppX);
  EXPECT_NEAR((outer.bottom - outer.top) * tppY, 4710, tppY);
  EXPECT_EQ(testing::controlText(dialog), res(700));

  const std::pair<int, int> captions[] = {
      {ids::cmdCancel, 741},    {ids::cmdOkbutton, 809},   {ids::frameBox0, 721},     {ids::viewerCheckBox, 612},
      {ids::cmdLstDel, 205},    {ids::cmdChange, 613},     {ids::noChangeCheckBox, 732},  {ids::chkIconSt, 702},
      {ids::chkTimeOut, 703},   {ids::fraSld, 711},        {ids::lblTime0, 712},      {ids::lblTime0 + 5, 717},
      {ids::lblTimeTxt, 718},   {ids::startupShortcutButton, 737},    {ids::cmdDesktop, 740},    {ids::cmdUnInstall, 756},
      {ids::chkZoomIn, 735},    {ids::lblReMagUp, 776},    {ids::lblReMagDown, 777},  {ids::frameBox0 + 4, 778},
      {ids::tileModeButton0, 622},    {ids::tileModeButton1, 623},     {ids::tileModeButton2, 624},     {ids::downLabel, 625},
      {ids::downUnitLabel, 626},     {ids::acrossLabel, 627},      {ids::acrossUnitLabel, 626}};
  for (const auto& [id, string] : captions) EXPECT_EQ(text(id), res(string)) << "control " << id;
  EXPECT_EQ(text(ids::chkActive), res(704) + L"\r" + res(705));
  EXPECT_EQ(text(ids::startupWithoutWindowCheckBox), res(738) + L"\r" + res(739));
  EXPECT_EQ(text(ids::lblMesDrop), res(779) + L"\r\n" + res(780));
  EXPECT_EQ(text(ids::tileRuleLabel), res(628) + res(629));
  EXPECT_EQ(text(ids::lblDspMes), res(757) + L"\r" + res(758) + L"0" + res(759) + L"\r" + res(760));
  EXPECT_EQ(SendMessageW(control(ids::tbsOptions), TCM_GETITEMCOUNT, 0, 0), ids::kTabCount);

  // A first run: the defaults of every value.
  EXPECT_FALSE(checked(ids::chkIconSt));
  EXPECT_FALSE(checked(ids::chkTimeOut));
  EXPECT_FALSE(checked(ids::chkActive));
  EXPECT_FALSE(enabled(ids::chkActive));
  EXPECT_EQ(sliderValue(ids::sldTimeInt), 15);
  EXPECT_EQ(text(ids::lblTimeInt), L"15秒");
  EXPECT_TRUE(checked(ids::viewerCheckBox));
  EXPECT_TRUE(checked(ids::startupWithoutWindowCheckBox));
  EXPECT_TRUE(checked(ids::tileModeButton2));
  EXPECT_FALSE(checked(ids::tileModeButton0));
  EXPECT_EQ(text(ids::downCountBox), L"2");
  EXPECT_EQ(text(ids::acrossCountBox), L"2");
  EXPECT_FALSE(checked(ids::chkZoomIn));
  EXPECT_FALSE(enabled(ids::sldDsp));
  EXPECT_EQ(sliderValue(ids::sldDsp), 0);
  EXPECT_FALSE(checked(ids::noChangeCheckBox));
  EXPECT_FALSE(IsWindowVisible(control(ids::pbrMain)));

  // Tab 1 shows, with the check box above its frame; the others are away.
  EXPECT_EQ(tab(), 0);
  expectFrameShown(0);
  const RECT check = placeTwips(control(ids::noChangeCheckBox));
  EXPECT_NEAR(check.left, 600, tppX);
  EXPECT_NEAR(check.top, 840, tppY);

  // Esc: the dialog goes, the main window takes input again, nothing stored.
  pressKeys(dialog, {}, VK_ESCAPE);
  ASSERT_TRUE(dialogClosed(program));
  EXPECT_TRUE(program.running());
  EXPECT_TRUE(waitUntil([&] { return IsWindowEnabled(window) != FALSE; }, kPatience));
  EXPECT_EQ(get(kOption, L"FreeIcon"), L"<missing>");
  EXPECT_EQ(get(kOption, L"DragOpt"), L"<missing>");
  // The close box cancels too; so does the button.
  ASSERT_NE(openOptions(program, window), nullptr);
  PostMessageW(dialog, WM_CLOSE, 0, 0);
  ASSERT_TRUE(dialogClosed(program));
  ASSERT_NE(openOptions(program, window), nullptr);
  clickAndWait(ids::cmdCancel);
  ASSERT_TRUE(dialogClosed(program));
  EXPECT_EQ(get(kOption, L"TmrCount"), L"<missing>");
  close(program, window);
}

TEST_F(OptionsDialog, BadStoredValuesAreSkippedAndEnterStoresAllTwelveValues) {
  put(kOption, L"TmrCount", L"abc");
  put(kOption, L"DragOpt", L"7");
  put(kOption, L"FreeIcon", L"1");
  put(kOption, L"RLViwer", L"5");
  put(kOption, L"DragTate", L"x9");
  RunningProgram program(exe, L"/N");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  ASSERT_NE(openOptions(program, window), nullptr);
  EXPECT_TRUE(checked(ids::chkIconSt));
  EXPECT_EQ(sliderValue(ids::sldTimeInt), 5);  // as designed
  EXPECT_EQ(text(ids::lblTimeInt), L"5秒");
  EXPECT_FALSE(checked(ids::viewerCheckBox));  // as designed
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(checked(ids::tileModeButton0 + i));
  EXPECT_EQ(text(ids::downCountBox), L"x9");
  // Enter is OK, whatever has the focus but a button.
  keyOn(ids::viewerCheckBox, VK_RETURN);
  ASSERT_TRUE(dialogClosed(program));
  const std::pair<const wchar_t*, const wchar_t*> stored[] = {
      {L"FreeIcon", L"1"}, {L"FreeEnd", L"0"},     {L"ActStop", L"0"},   {L"TmrCount", L"5"},
      {L"RLViwer", L"0"},  {L"NoWallpaper", L"0"}, {L"StraShow", L"1"},  {L"PicReSize", L"0"},
      {L"PicReMag", L"0"}, {L"DragOpt", L"7"},     {L"DragTate", L"x9"}, {L"DragYoko", L"2"}};
  for (const auto& [name, value] : stored) EXPECT_EQ(get(kOption, name), value) << testing::narrow(name);
  close(program, window);
}

TEST_F(OptionsDialog, CtrlTabWalksTheTabsAndWrapsAndShiftSwapsTheDeleteCaption) {
  RunningProgram program(exe, L"/N");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  ASSERT_NE(openOptions(program, window), nullptr);
  for (int step = 1; step <= ids::kTabCount; ++step) {
    pressKeys(dialog, {VK_CONTROL}, VK_TAB);
    const int expected = step % ids::kTabCount;
    ASSERT_TRUE(waitUntil([&] { return tab() == expected; }, kPatience)) << "step " << step;
    expectFrameShown(expected);
  }
  // Back on tab 1 the check box shows again above the history frame.
  EXPECT_TRUE(IsWindowVisible(control(ids::noChangeCheckBox)));
  HWND del = control(ids::cmdLstDel);
  INPUT shift{};
  shift.type = INPUT_KEYBOARD;
  shift.ki.wVk = VK_SHIFT;
  SendInput(1, &shift, sizeof shift);
  EXPECT_TRUE(waitUntil([&] { return testing::controlText(del) == res(201); }, kPatience));
  shift.ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(1, &shift, sizeof shift);
  EXPECT_TRUE(waitUntil([&] { return testing::controlText(del) == res(205); }, kPatience));
  clickAndWait(ids::cmdCancel);
  ASSERT_TRUE(dialogClosed(program));
  close(program, window);
}

// A tab's rectangle on the screen, read through memory of the program.
RECT tabOnScreen(HWND strip, int index) {
  RECT r{};
  DWORD pid = 0;
  GetWindowThreadProcessId(strip, &pid);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (!process) return r;
  void* remote = VirtualAllocEx(process, nullptr, sizeof r, MEM_COMMIT, PAGE_READWRITE);
  if (remote) {
    SendMessageW(strip, TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(remote));
    ReadProcessMemory(process, remote, &r, sizeof r, nullptr);
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  }
  CloseHandle(process);
  MapWindowPoints(strip, nullptr, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

TEST_F(OptionsDialog, TabsShowTheirToolTipsWhereverTheirRowLies) {
  RunningProgram program(exe, L"/N");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  ASSERT_NE(openOptions(program, window), nullptr);
  HWND strip = control(ids::tbsOptions);
  auto tipOver = [&](int index, int tipId) {
    SetForegroundWindow(dialog);
    const RECT r = tabOnScreen(strip, index);
    SetCursorPos((r.left + r.right) / 2 - 2, (r.top + r.bottom) / 2);
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = 2;
    in.mi.dwFlags = MOUSEEVENTF_MOVE;
    SendInput(1, &in, sizeof in);
    std::wstring shown;
    waitUntil([&] {
      HWND tip = program.waitForWindow(TOOLTIPS_CLASSW, 0);
      shown = tip ? testing::controlText(tip) : L"";
      return shown == res(tipId);
    }, 10000);
    // Away again until the tip is gone, so that the next tip is a new one.
    SetCursorPos(0, 0);
    waitUntil([&] { return program.waitForWindow(TOOLTIPS_CLASSW, 0) == nullptr; }, kPatience);
    return shown;
  };
  EXPECT_EQ(tipOver(0, IDS_OPTIONS_TAB_TIP_FIRST), res(IDS_OPTIONS_TAB_TIP_FIRST));
  EXPECT_EQ(tipOver(4, IDS_OPTIONS_TAB_TIP_FIRST + 4), res(IDS_OPTIONS_TAB_TIP_FIRST + 4));
  // Choosing a tab of the other row brings that row forward.
  for (int step = 0; step < 3; ++step) pressKeys(dialog, {VK_CONTROL}, VK_TAB);
  ASSERT_TRUE(waitUntil([&] { return tab() == 3; }, kPatience));
  EXPECT_EQ(tipOver(0, IDS_OPTIONS_TAB_TIP_FIRST), res(IDS_OPTIONS_TAB_TIP_FIRST));
  EXPECT_EQ(tipOver(3, IDS_OPTIONS_TAB_TIP_FIRST + 3), res(IDS_OPTIONS_TAB_TIP_FIRST + 3));
  EXPECT_EQ(tipOver(5, IDS_EXTRAS_TAB_TIP), res(IDS_EXTRAS_TAB_TIP));
  clickAndWait(ids::cmdCancel);
  ASSERT_TRUE(dialogClosed(program));
  close(program, window);
}

TEST_F(OptionsDialog, StartUpTabEnablesItsBoxesMovesItsSliderAndSwitchesTheChangeOffAtOnce) {
  registerSources({{pictures, true}});
  RunningProgram program(exe, L"");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  ASSERT_NE(openOptions(program, window), nullptr);
  // The check box that switches the change off acts before OK, on tab 1.
  clickAndWait(ids::noChangeCheckBox);
  EXPECT_TRUE(checked(ids::noChangeCheckBox));
  pressKeys(dialog, {VK_CONTROL}, VK_TAB);
  ASSERT_TRUE(waitUntil([&] { return tab() == 1; }, kPatience));
  // The box that keeps the window open follows the quit box, keeping its value.
  EXPECT_FALSE(enabled(ids::chkActive));
  clickAndWait(ids::chkTimeOut);
  EXPECT_TRUE(enabled(ids::chkActive));
  clickAndWait(ids::chkActive);
  clickAndWait(ids::chkTimeOut);
  EXPECT_FALSE(enabled(ids::chkActive));
  EXPECT_TRUE(checked(ids::chkActive));
  // The slider: 5 to 300 seconds, small step 5, large step 60, ticks every 60.
  keyOn(ids::sldTimeInt, VK_END);
  EXPECT_TRUE(waitUntil([&] { return text(ids::lblTimeInt) == L"300秒"; }, kPatience));
  EXPECT_EQ(sliderValue(ids::sldTimeInt), 300);
  keyOn(ids::sldTimeInt, VK_HOME);
  EXPECT_TRUE(waitUntil([&] { return text(ids::lblTimeInt) == L"5秒"; }, kPatience));
  keyOn(ids::sldTimeInt, VK_RIGHT);
  EXPECT_TRUE(waitUntil([&] { return text(ids::lblTimeInt) == L"10秒"; }, kPatience));
  keyOn(ids::sldTimeInt, VK_NEXT);
  EXPECT_TRUE(waitUntil([&] { return text(ids::lblTimeInt) == L"70秒"; }, kPatience));
  std::vector<int> ticks;
  HWND slider = control(ids::sldTimeInt);
  const int count = static_cast<int>(SendMessageW(slider, TBM_GETNUMTICS, 0, 0));
  for (int i = 0; i < count - 2; ++i) ticks.push_back(static_cast<int>(SendMessageW(slider, TBM_GETTIC, i, 0)));
  std::sort(ticks.begin(), ticks.end());
  EXPECT_EQ(ticks, (std::vector<int>{65, 125, 185, 245}));
  // Cancel: nothing stored, yet the change stays switched off for this run.
  clickAndWait(ids::cmdCancel);
  ASSERT_TRUE(dialogClosed(program));
  ASSERT_NE(openOptions(program, window), nullptr);
  EXPECT_TRUE(checked(ids::noChangeCheckBox)) << "the menu item did not follow the box";
  clickAndWait(ids::cmdCancel);
  ASSERT_TRUE(dialogClosed(program));
  close(program, window);
  EXPECT_FALSE(win::fileExists(wallBmp())) << "the change at exit ran";
  EXPECT_EQ(get(kOption, L"NoWallpaper"), L"<missing>");
  EXPECT_EQ(get(kOption, L"FreeEnd"), L"<missing>");
}

TEST_F(OptionsDialog, StartMinimisedAndQuitAfterFiveSecondsActAtTheNextStart) {
  registerSources({{pictures, true}});
  {
    RunningProgram program(exe, L"/N");
    HWND window = openWindow(program);
    ASSERT_NE(window, nullptr);
    ASSERT_NE(openOptions(program, window), nullptr);
    pressKeys(dialog, {VK_CONTROL}, VK_TAB);
    ASSERT_TRUE(waitUntil([&] { return tab() == 1; }, kPatience));
    clickAndWait(ids::chkIconSt);
    clickAndWait(ids::chkTimeOut);
    keyOn(ids::sldTimeInt, VK_HOME);
    ASSERT_TRUE(waitUntil([&] { return sliderValue(ids::sldTimeInt) == 5; }, kPatience));
    clickAndWait(ids::cmdOkbutton);
    ASSERT_TRUE(dialogClosed(program));
    EXPECT_EQ(get(kOption, L"FreeIcon"), L"1");
    EXPECT_EQ(get(kOption, L"FreeEnd"), L"1");
    EXPECT_EQ(get(kOption, L"TmrCount"), L"5");
    // The running window is not changed by them.
    EXPECT_FALSE(IsIconic(window));
    close(program, window);
  }
  DeleteFileW(wallBmp().c_str());
  const DWORD start = GetTickCount();
  RunningProgram program(exe, L"");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(waitUntil([&] { return IsIconic(window) != FALSE; }, 5000)) << "not minimised";
  ASSERT_TRUE(program.waitForExit(kPatience)) << "it did not quit by itself";
  const DWORD elapsed = GetTickCount() - start;
  EXPECT_GE(elapsed, 4000u);
  EXPECT_LT(elapsed, 20000u);
  EXPECT_TRUE(win::fileExists(wallBmp())) << "no change at exit";
}

TEST_F(OptionsDialog, MarginSketchFollowsTheSliderAndTheMarginActsAtOnceEvenAfterCancel) {
  HDC screen = GetDC(nullptr);
  const int screenW = GetDeviceCaps(screen, HORZRES), screenH = GetDeviceCaps(screen, VERTRES);
  ReleaseDC(nullptr, screen);
  writePicture(L"big.bmp", solid(screenW * 2, screenH * 2, 0x808080));
  registerSources({{pictures, false}});
  put(kOption, L"PicReSize", L"1");
  RunningProgram program(exe, L"/N");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  ASSERT_NE(openOptions(program, window), nullptr);
  EXPECT_TRUE(checked(ids::chkZoomIn));  // from the switch in use
  EXPECT_TRUE(enabled(ids::sldDsp));
  for (int step = 0; step < 3; ++step) pressKeys(dialog, {VK_CONTROL}, VK_TAB);
  ASSERT_TRUE(waitUntil([&] { return tab() == 3; }, kPatience));
  clickAndWait(ids::chkZoomIn);
  EXPECT_FALSE(enabled(ids::sldDsp));
  clickAndWait(ids::chkZoomIn);
  EXPECT_TRUE(enabled(ids::sldDsp));
  keyOn(ids::sldDsp, VK_END);
  ASSERT_TRUE(waitUntil([&] { return sliderValue(ids::sldDsp) == 20; }, kPatience));
  EXPECT_TRUE(waitUntil([&] {
    return text(ids::lblDspMes) == res(757) + L"\r" + res(758) + L"20" + res(759) + L"\r" + res(760);
  }, kPatience));
  const RECT outer = placeTwips(control(ids::shpDspSize));
  const RECT inner = placeTwips(control(ids::shpDspMag));
  EXPECT_NEAR(outer.left, 2400, tppX);
  EXPECT_NEAR(outer.top, 1080, tppY);
  EXPECT_NEAR(inner.left - outer.left, 200, tppX);
  EXPECT_NEAR(inner.top - outer.top, 200, tppY);
  EXPECT_NEAR(outer.right - inner.right, 200, tppX);
  EXPECT_NEAR(outer.bottom - inner.bottom, 200, tppY);
  keyOn(ids::sldDsp, VK_PRIOR);  // a large step up
  EXPECT_TRUE(waitUntil([&] { return sliderValue(ids::sldDsp) == 15; }, kPatience));
  keyOn(ids::sldDsp, VK_DOWN);
  EXPECT_TRUE(waitUntil([&] { return sliderValue(ids::sldDsp) == 16; }, kPatience));
  keyOn(ids::sldDsp, VK_END);
  ASSERT_TRUE(waitUntil([&] { return sliderValue(ids::sldDsp) == 20; }, kPatience));
  clickAndWait(ids::cmdCancel);
  ASSERT_TRUE(dialogClosed(program));
  // A change made now fits the picture into the screen less 20 %.
  RemoteListView folders(GetDlgItem(window, main_ids::lvwMain));
  RemoteListView files(GetDlgItem(window, main_ids::lvwFile));
  folders.click(0);
  ASSERT_TRUE(waitUntil([&] { return files.count() == 4; }, kPatience));
  int row = -1;
  for (int i = 0; i < files.count(); ++i)
    if (files.text(i) == L"big.bmp") row = i;
  ASSERT_GE(row, 0);
  files.click(row);
  ASSERT_TRUE(waitUntil([&] { return files.selected() == row; }, kPatience));
  PostMessageW(GetDlgItem(window, main_ids::cmdChange), BM_CLICK, 0, 0);
  ASSERT_TRUE(waitUntil([&] { return win::fileExists(wallBmp()); }, kPatience));
  std::optional<PixelImage> written;
  ASSERT_TRUE(waitUntil([&] { return (written = decodeBmp(testing::readFileBytes(wallBmp()))).has_value(); },
                        kPatience));
  EXPECT_LE(written->width, screenW * 80 / 100 + 1);
  EXPECT_LE(written->height, screenH * 80 / 100 + 1);
  EXPECT_GE(written->width, screenW * 78 / 100);
  close(program, window);
  EXPECT_EQ(get(kOption, L"PicReMag"), L"<missing>");
}

TEST_F(OptionsDialog, AMarginTheSliderCannotShowStaysInUseAfterTheDialog) {
  HDC screen = GetDC(nullptr);
  const int screenW = GetDeviceCaps(screen, HORZRES);
  const int screenH = GetDeviceCaps(screen, VERTRES);
  ReleaseDC(nullptr, screen);
  writePicture(L"big.bmp", solid(screenW * 2, screenH * 2, 0x808080));
  registerSources({{pictures, false}});
  put(kOption, L"PicReSize", L"1");
  put(kOption, L"PicReMag", L"50");
  RunningProgram program(exe, L"/N");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  ASSERT_NE(openOptions(program, window), nullptr);
  EXPECT_EQ(sliderValue(ids::sldDsp), 0);  // as designed
  EXPECT_EQ(text(ids::lblDspMes), res(757) + L"\r" + res(758) + L"50" + res(759) + L"\r" + res(760));
  clickAndWait(ids::cmdCancel);
  ASSERT_TRUE(dialogClosed(program));
  RemoteListView folders(GetDlgItem(window, main_ids::lvwMain));
  RemoteListView files(GetDlgItem(window, main_ids::lvwFile));
  folders.click(0);
  ASSERT_TRUE(waitUntil([&] { return files.count() == 4; }, kPatience));
  int row = -1;
  for (int i = 0; i < files.count(); ++i)
    if (files.text(i) == L"big.bmp") row = i;
  ASSERT_GE(row, 0);
  files.click(row);
  ASSERT_TRUE(waitUntil([&] { return files.selected() == row; }, kPatience));
  PostMessageW(GetDlgItem(window, main_ids::cmdChange), BM_CLICK, 0, 0);
  std::optional<PixelImage> written;
  ASSERT_TRUE(waitUntil([&] { return (written = decodeBmp(testing::readFileBytes(wallBmp()))).has_value(); },
                        kPatience));
  EXPECT_LE(written->width, screenW / 2 + 1) << "opening the dialog changed the margin in use";
  close(program, window);
}

TEST_F(OptionsDialog, DropTabGreysItsCountsAndAPictureOnTheCommandLineObeysWhatOkStored) {
  {
    RunningProgram program(exe, L"/N");
    HWND window = openWindow(program);
    ASSERT_NE(window, nullptr);
    ASSERT_NE(openOptions(program, window), nullptr);
    for (int step = 0; step < 4; ++step) pressKeys(dialog, {VK_CONTROL}, VK_TAB);
    ASSERT_TRUE(waitUntil([&] { return tab() == 4; }, kPatience));
    SendMessageW(control(ids::downCountBox), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"999"));
    SendMessageW(control(ids::acrossCountBox), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"999"));
    for (int option : {0, 1}) {
      clickAndWait(ids::tileModeButton0 + option);
      for (int id : {ids::downCountBox, ids::acrossCountBox, ids::downLabel, ids::downUnitLabel, ids::acrossLabel, ids::acrossUnitLabel,
                     ids::tileRuleLabel})
        EXPECT_FALSE(enabled(id)) << "option " << option << " control " << id;
    }
    clickAndWait(ids::tileModeButton2);
    EXPECT_TRUE(enabled(ids::downCountBox));
    EXPECT_TRUE(enabled(ids::tileRuleLabel));
    EXPECT_EQ(text(ids::downCountBox), L"999");
    clickAndWait(ids::cmdOkbutton);
    ASSERT_TRUE(dialogClosed(program));
    close(program, window);
  }
  EXPECT_EQ(get(kOption, L"DragOpt"), L"2");
  EXPECT_EQ(get(kOption, L"DragTate"), L"999");
  // A small picture would tile by the default counts; 999 copies never fit.
  {
    RunningProgram drop(exe, pictures + L"\\a.bmp");
    ASSERT_TRUE(drop.waitForExit(kPatience));
  }
  EXPECT_EQ(get(L"Control Panel\\desktop", L"TileWallpaper"), L"0");
  {
    RunningProgram program(exe, L"/N");
    HWND window = openWindow(program);
    ASSERT_NE(window, nullptr);
    ASSERT_NE(openOptions(program, window), nullptr);
    EXPECT_TRUE(checked(ids::tileModeButton2));
    clickAndWait(ids::tileModeButton1);
    clickAndWait(ids::cmdOkbutton);
    ASSERT_TRUE(dialogClosed(program));
    close(program, window);
  }
  {
    RunningProgram drop(exe, pictures + L"\\a.bmp");
    ASSERT_TRUE(drop.waitForExit(kPatience));
  }
  EXPECT_EQ(get(L"Control Panel\\desktop", L"TileWallpaper"), L"1");
  EXPECT_EQ(decodeBmp(testing::readFileBytes(wallBmp()))->width, 40);
}

int linkFiles(const std::wstring& folder) {
  int n = 0;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"\\*.lnk").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return 0;
  do ++n;
  while (FindNextFileW(find, &data));
  FindClose(find);
  return n;
}

TEST_F(OptionsDialog, ShortcutsAreRealLinksWithTheirFieldsAndRemovalEndsTheRunWithoutSaving) {
  // The links are read back through the shell's own link object.
  ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
  struct ComSession {
    ~ComSession() { CoUninitialize(); }
  } com;
  const std::wstring startup = win::userFolder(win::UserFolder::startup);
  const std::wstring desktop = win::userFolder(win::UserFolder::desktop);
  ASSERT_FALSE(startup.empty());
  ASSERT_FALSE(desktop.empty());
  DeleteFileW((startup + L"\\Rivano.lnk").c_str());
  DeleteFileW((desktop + L"\\Rivano.lnk").c_str());
  const int startupLinks = linkFiles(startup);
  registerSources({{pictures, true}});
  put(kOption, L"FreeIcon", L"0");
  RunningProgram program(exe, L"");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  ASSERT_NE(openOptions(program, window), nullptr);
  for (int step = 0; step < 2; ++step) pressKeys(dialog, {VK_CONTROL}, VK_TAB);
  ASSERT_TRUE(waitUntil([&] { return tab() == 2; }, kPatience));
  const std::wstring programFolder = folder.path().substr(0, folder.path().size() - 1);

  // Startup, with "/S" while the box is checked.
  EXPECT_TRUE(checked(ids::startupWithoutWindowCheckBox));
  click(ids::startupShortcutButton);
  answerBox(program, res(118));
  auto link = win::readShellLink(startup + L"\\Rivano.lnk");
  ASSERT_TRUE(link.has_value()) << "no link in the Startup folder: "
                               << win::fileExists(startup + L"\\Rivano.lnk");
  EXPECT_EQ(link->target, exe);
  EXPECT_EQ(link->workingFolder, programFolder);
  EXPECT_EQ(link->showCommand, 1);
  EXPECT_EQ(link->iconFile, exe);
  EXPECT_EQ(link->arguments, L"/S");
  // Again with the box clear: still one link, now without arguments.
  clickAndWait(ids::startupWithoutWindowCheckBox);
  click(ids::startupShortcutButton);
  answerBox(program, res(118));
  link = win::readShellLink(startup + L"\\Rivano.lnk");
  ASSERT_TRUE(link.has_value());
  EXPECT_EQ(link->arguments, L"");
  EXPECT_EQ(link->workingFolder, programFolder);
  EXPECT_EQ(linkFiles(startup), startupLinks + 1);

  // The desktop: no working folder, no arguments.
  click(ids::cmdDesktop);
  answerBox(program, res(119));
  link = win::readShellLink(desktop + L"\\Rivano.lnk");
  ASSERT_TRUE(link.has_value()) << "no link on the desktop";
  EXPECT_EQ(link->target, exe);
  EXPECT_EQ(link->workingFolder, L"");
  EXPECT_EQ(link->showCommand, 1);
  EXPECT_EQ(link->iconFile, exe);
  EXPECT_EQ(link->arguments, L"");

  // Removal: No leaves everything as it was.
  click(ids::cmdUnInstall);
  answerBox(program, res(901) + L"\r" + res(902), IDNO);
  EXPECT_TRUE(IsWindow(dialog));
  EXPECT_EQ(get(kOption, L"FreeIcon"), L"0");
  // Yes: the settings go, the user is told, the run ends without its exit.
  click(ids::cmdUnInstall);
  answerBox(program, res(901) + L"\r" + res(902), IDYES);
  answerBox(program, res(903) + L"\r\r" + res(904) + L"\r" + res(905));
  EXPECT_TRUE(program.waitForExit(kPatience)) << "the run did not end";
  EXPECT_EQ(get(kOption, L"FreeIcon"), L"<missing>");
  EXPECT_EQ(get(kWallList, L"List1"), L"<missing>");
  EXPECT_EQ(get(kProgramKey + L"\\WinPos", L"SortKey"), L"<missing>");
  EXPECT_FALSE(win::fileExists(wallBmp())) << "the change at exit ran";
  DeleteFileW((startup + L"\\Rivano.lnk").c_str());
  DeleteFileW((desktop + L"\\Rivano.lnk").c_str());
}

// The user sees the control: it and every window up to the dialog are shown
// and enabled, and it lies inside the dialog. The automatic-change box is
// seen on the history tab only: the other tabs' frames lie in front of it.
bool inSight(HWND dialog, HWND control, int shownTab) {
  if (!control || !IsChild(dialog, control)) return false;
  for (HWND w = control; w && w != dialog; w = GetParent(w))
    if (!IsWindowVisible(w) || !IsWindowEnabled(w)) return false;
  if (GetDlgCtrlID(control) == options_ids::noChangeCheckBox) return shownTab == 0;
  RECT r{}, d{};
  GetWindowRect(control, &r);
  GetWindowRect(dialog, &d);
  return r.left >= d.left && r.right <= d.right && r.top >= d.top && r.bottom <= d.bottom;
}

TEST_F(OptionsDialog, NoKeyReachesAControlOutOfSight) {
  RunningProgram program(exe, L"/N");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  ASSERT_NE(openOptions(program, window), nullptr);
  // The history frame's access key leads into the frame.
  pressKeys(dialog, {VK_MENU}, 'R');
  EXPECT_TRUE(waitUntil([&] { return focused() == control(ids::historyList); }, kPatience))
      << "Alt+R went to control " << GetDlgCtrlID(focused());
  // Controls focused on a tab take no keys once another tab shows.
  focusOn(ids::noChangeCheckBox);
  nextTab();
  pressKeys(dialog, {}, VK_SPACE);
  focusOn(ids::sldTimeInt);
  nextTab();
  // The strip took the focus from the slider: the arrow moves to the next
  // tab, which is awaited before the next step counts from it.
  pressKeys(dialog, {}, VK_RIGHT);
  pressKeys(dialog, {}, VK_SPACE);
  ASSERT_TRUE(waitUntil([&] { return tab() == 3; }, kPatience)) << "the arrow did not go to the strip";
  nextTab();
  EXPECT_FALSE(checked(ids::noChangeCheckBox)) << "Space reached the hidden box";
  EXPECT_EQ(sliderValue(ids::sldTimeInt), 15) << "the arrow reached the slider of another tab";
  EXPECT_EQ(text(ids::lblTimeInt), L"15秒");
  // Tab stops only where the user looks, and Alt+J flips nothing, on every
  // tab but the history's; the drop frame's access key leads into it.
  for (int walked = 0; walked < ids::kTabCount - 1; ++walked) {
    const int shown = tab();
    if (shown == 4) {
      pressKeys(dialog, {VK_MENU}, 'D');
      EXPECT_TRUE(waitUntil([&] {
        const int id = GetDlgCtrlID(focused());
        return id >= ids::tileModeButton0 && id <= ids::tileModeButton2;
      }, kPatience)) << "Alt+D went to control " << GetDlgCtrlID(focused());
    }
    for (int step = 0; step < 12; ++step) {
      HWND before = focused();
      pressKeys(dialog, {}, VK_TAB);
      ASSERT_TRUE(waitUntil([&] { return focused() != before && focused() != nullptr; }, kPatience))
          << "tab " << shown << " step " << step;
      EXPECT_TRUE(inSight(dialog, focused(), shown))
          << "tab " << shown << ": Tab reached control " << GetDlgCtrlID(focused());
    }
    pressKeys(dialog, {VK_MENU}, 'J');
    nextTab();
    if (tab() == 0) nextTab();
    EXPECT_FALSE(checked(ids::noChangeCheckBox)) << "Alt+J reached the hidden box from tab " << shown;
  }
  clickAndWait(ids::cmdCancel);
  ASSERT_TRUE(dialogClosed(program));
  close(program, window);
}

TEST_F(OptionsDialog, TheMarginLabelNeverCoversTheInnerRectangle) {
  put(kOption, L"PicReSize", L"1");
  RunningProgram program(exe, L"/N");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  ASSERT_NE(openOptions(program, window), nullptr);
  for (int step = 0; step < 3; ++step) nextTab();
  HWND label = control(ids::lblDspMes);
  HWND inner = control(ids::shpDspMag);
  focusOn(ids::sldDsp);
  for (int v = 0; v <= 20; ++v) {
    if (v > 0) pressKeys(dialog, {}, VK_DOWN);
    const std::wstring stated = std::to_wstring(v) + res(759);
    ASSERT_TRUE(waitUntil([&] { return text(ids::lblDspMes).find(stated) != std::wstring::npos; }, kPatience))
        << v << " %";
    // Clear of the rectangle, or wholly inside its outline.
    RECT l{}, i{}, both{};
    GetWindowRect(label, &l);
    GetWindowRect(inner, &i);
    RECT inside = i;
    InflateRect(&inside, -1, -1);
    const bool clear = !IntersectRect(&both, &l, &i);
    const bool within = l.left >= inside.left && l.right <= inside.right && l.top >= inside.top &&
                        l.bottom <= inside.bottom;
    EXPECT_TRUE(clear || within) << "at " << v << " % the label covers the inner rectangle";
  }
  // That the outline then shows whole is read from the dialog's own
  // drawing, in the test's process (options_drawing_test).
  clickAndWait(ids::cmdCancel);
  ASSERT_TRUE(dialogClosed(program));
  close(program, window);
}

TEST_F(OptionsDialog, AStoredMarginTheSliderCannotShowIsStoredAgainUntilTheSliderMoves) {
  put(kOption, L"PicReSize", L"1");
  put(kOption, L"PicReMag", L"50");
  RunningProgram program(exe, L"/N");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  ASSERT_NE(openOptions(program, window), nullptr);
  keyOn(ids::viewerCheckBox, VK_RETURN);
  ASSERT_TRUE(dialogClosed(program));
  EXPECT_EQ(get(kOption, L"PicReMag"), L"50") << "OK wrote a margin the user never chose";
  // Moved, the slider's value is what OK stores.
  ASSERT_NE(openOptions(program, window), nullptr);
  for (int step = 0; step < 3; ++step) nextTab();
  keyOn(ids::sldDsp, VK_DOWN);
  ASSERT_TRUE(waitUntil([&] { return sliderValue(ids::sldDsp) == 1; }, kPatience));
  clickAndWait(ids::cmdOkbutton);
  ASSERT_TRUE(dialogClosed(program));
  EXPECT_EQ(get(kOption, L"PicReMag"), L"1");
  close(program, window);
}

// One of the user's shell folders moved elsewhere for a test, and put back.
class ShellFolderMoved {
 public:
  ShellFolderMoved(const wchar_t* name, const std::wstring& path) : name_(name) {
    for (int k = 0; k < 2; ++k) {
      old_[k] = read(kKeys[k]);
      write(kKeys[k], path);
    }
  }
  ~ShellFolderMoved() {
    for (int k = 0; k < 2; ++k) {
      if (old_[k]) write(kKeys[k], *old_[k]);
      else RegDeleteKeyValueW(HKEY_CURRENT_USER, kKeys[k], name_);
    }
  }
  ShellFolderMoved(const ShellFolderMoved&) = delete;
  ShellFolderMoved& operator=(const ShellFolderMoved&) = delete;

 private:
  static constexpr const wchar_t* kKeys[2] = {
      L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
      L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"};
  std::optional<std::wstring> read(const wchar_t* key) const {
    wchar_t buffer[MAX_PATH * 2] = {};
    DWORD size = sizeof buffer;
    if (RegGetValueW(HKEY_CURRENT_USER, key, name_, RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr,
                     buffer, &size) != ERROR_SUCCESS)
      return std::nullopt;
    return std::wstring(buffer);
  }
  void write(const wchar_t* key, const std::wstring& value) const {
    RegSetKeyValueW(HKEY_CURRENT_USER, key, name_, REG_EXPAND_SZ, value.c_str(),
                    static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  }
  const wchar_t* name_;
  std::optional<std::wstring> old_[2];
};

TEST_F(OptionsDialog, AShortcutThatCannotBeWrittenSaysWhichFolderAndWhy) {
  // A Startup folder that cannot be, as a file has its parent's name, and a
  // desktop where the link's name is taken by a folder, which no file can
  // replace.
  const std::wstring blocker = folder.path() + L"blocker";
  testing::writeFileBytes(blocker, {'x'});
  const std::wstring missing = blocker + L"\\Startup";
  const std::wstring locked = folder.path() + L"locked";
  ASSERT_TRUE(CreateDirectoryW(locked.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW((locked + L"\\Rivano.lnk").c_str(), nullptr));
  {
    ShellFolderMoved startup(L"Startup", missing);
    ShellFolderMoved desktop(L"Desktop", locked);
    RunningProgram program(exe, L"/N");
    HWND window = openWindow(program);
    ASSERT_NE(window, nullptr);
    ASSERT_NE(openOptions(program, window), nullptr);
    for (int step = 0; step < 2; ++step) nextTab();
    click(ids::startupShortcutButton);
    answerBox(program, res(IDS_SHORTCUT_FAILED) + L"\r" + res(IDS_SHORTCUT_FOLDER) + missing + L"\r" +
                           res(IDS_SHORTCUT_FOLDER_MISSING));
    click(ids::cmdDesktop);
    answerBox(program, res(IDS_SHORTCUT_FAILED) + L"\r" + res(IDS_SHORTCUT_FOLDER) + locked + L"\r" +
                           res(IDS_SHORTCUT_ACCESS_DENIED));
    EXPECT_TRUE(IsWindow(dialog));
    clickAndWait(ids::cmdCancel);
    ASSERT_TRUE(dialogClosed(program));
    close(program, window);
  }
  EXPECT_FALSE(win::fileExists(missing + L"\\Rivano.lnk"));
  EXPECT_TRUE(win::directoryExists(locked + L"\\Rivano.lnk\\"));
}

class HistoryTab : public OptionsDialog {
 protected:
  void storeHistory(const std::vector<std::wstring>& entries) {
    for (std::size_t k = 0; k < entries.size(); ++k) put(kWallList, L"Rireki" + std::to_wstring(k), entries[k]);
  }
  int historyCount() const { return static_cast<int>(SendMessageW(control(ids::historyList), LB_GETCOUNT, 0, 0)); }
  int historySelected() const {
    return static_cast<int>(SendMessageW(control(ids::historyList), LB_GETCURSEL, 0, 0));
  }
  // A click on a row, as the mouse makes it.
  void clickRow(int row) const {
    HWND list = control(ids::historyList);
    const int h = static_cast<int>(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
    const LPARAM at = MAKELPARAM(6, h * row + h / 2);
    PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(list, WM_LBUTTONUP, 0, at);
  }
  int appliedWidth() const {
    const auto written = decodeBmp(testing::readFileBytes(wallBmp()));
    return written ? written->width : -1;
  }
};

TEST_F(HistoryTab, ARunOfMissingFilesIsRemovedAndTheChangeAppliesTheNextEntryWithoutTiling) {
  registerSources({{pictures, false}});
  storeHistory({pictures + L"\\a.bmp", pictures + L"\\gone1.bmp", pictures + L"\\gone2.bmp", pictures + L"\\b.bmp"});
  RunningProgram program(exe, L"/N");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  ASSERT_NE(openOptions(program, window), nullptr);
  ASSERT_EQ(historyCount(), 4);
  EXPECT_EQ(SendMessageW(control(ids::historyList), LB_GETTEXTLEN, 0, 0), 5);  // "a.bmp", the name alone
  clickRow(1);
  EXPECT_TRUE(waitUntil([&] { return historyCount() == 2 && historySelected() == 1; }, kPatience));
  EXPECT_FALSE(program.waitForMessageBox(500).has_value()) << "a missing file was reported";
  EXPECT_TRUE(enabled(ids::cmdLstDel));
  click(ids::cmdChange);
  EXPECT_TRUE(waitUntil([&] { return appliedWidth() == 50; }, kPatience)) << "b.bmp was not applied";
  EXPECT_EQ(get(L"Control Panel\\desktop", L"TileWallpaper"), L"untouched");
  EXPECT_EQ(historyCount(), 2);
  // Cancel keeps the removals: they are the history's, not the dialog's.
  clickAndWait(ids::cmdCancel);
  ASSERT_TRUE(dialogClosed(program));
  ASSERT_NE(openOptions(program, window), nullptr);
  EXPECT_EQ(historyCount(), 2);
  clickAndWait(ids::cmdCancel);
  ASSERT_TRUE(dialogClosed(program));
  close(program, window);
  EXPECT_EQ(get(kWallList, L"Rireki0"), pictures + L"\\a.bmp");
  EXPECT_EQ(get(kWallList, L"Rireki1"), pictures + L"\\b.bmp");
  EXPECT_EQ(get(kWallList, L"Rireki2"), L"<missing>");
}

TEST_F(HistoryTab, AnArchivedEntryIsTakenOutToChangeWithTheViewerOffAndCannotBeDeleted) {
  const std::wstring zip = testing::pictureDir() + L"pics.zip";
  registerSources({{zip, false}});
  storeHistory({zip + L"\\photos\\m.bmp"});
  put(kOption, L"RLViwer", L"0");
  RunningProgram program(exe, L"/N");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  ASSERT_NE(openOptions(program, window), nullptr);
  EXPECT_FALSE(checked(ids::viewerCheckBox));
  clickRow(0);
  ASSERT_TRUE(waitUntil([&] { return historySelected() == 0; }, kPatience));
  EXPECT_TRUE(waitUntil([&] { return !enabled(ids::cmdLstDel); }, kPatience));
  click(ids::cmdChange);
  ASSERT_TRUE(waitUntil([&] { return appliedWidth() == 30 || program.waitForMessageBox(0).has_value(); },
                        kPatience));
  EXPECT_FALSE(program.waitForMessageBox(0).has_value()) << "the change reported an error";
  EXPECT_EQ(appliedWidth(), 30);
  EXPECT_EQ(historyCount(), 1) << "a valid entry left the history";
  // The viewer switched on previews it, taken out the same way.
  clickAndWait(ids::viewerCheckBox);
  EXPECT_FALSE(program.waitForMessageBox(1000).has_value()) << "the preview reported an error";
  EXPECT_EQ(historyCount(), 1);
  clickAndWait(ids::cmdCancel);
  ASSERT_TRUE(dialogClosed(program));
  close(program, window);
  EXPECT_EQ(get(kWallList, L"Rireki0"), zip + L"\\photos\\m.bmp");
}

TEST_F(HistoryTab, ABrokenPictureIsReportedAndRemovedAndDeletionTakesTheFile) {
  testing::writeFileBytes(pictures + L"\\bad.bmp", {'n', 'o', 't', ' ', 'b', 'm', 'p'});
  registerSources({{pictures, false}});
  storeHistory({pictures + L"\\bad.bmp", pictures + L"\\c.bmp", pictures + L"\\a.bmp"});
  RunningProgram program(exe, L"/N");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  ASSERT_NE(openOptions(program, window), nullptr);
  clickRow(0);
  const auto box = program.waitForMessageBox(kPatience);
  ASSERT_TRUE(box.has_value()) << "the broken picture was not reported";
  EXPECT_EQ(box->title, res(IDS_TITLE_OPTIONS_HISTORY));
  EXPECT_NE(box->text.find(L"481"), std::wstring::npos);
  EXPECT_NE(box->text.find(res(109)), std::wstring::npos);
  testing::pressOk(box->hwnd);
  EXPECT_TRUE(waitUntil([&] { return historyCount() == 2 && historySelected() == -1; }, kPatience));
  // Delete for good with Shift held: the file goes, and so does the entry.
  clickRow(0);
  ASSERT_TRUE(waitUntil([&] { return historySelected() == 0; }, kPatience));
  INPUT shift{};
  shift.type = INPUT_KEYBOARD;
  shift.ki.wVk = VK_SHIFT;
  SetForegroundWindow(dialog);
  SendInput(1, &shift, sizeof shift);
  ASSERT_TRUE(waitUntil([&] { return text(ids::cmdLstDel) == res(201); }, kPatience));
  click(ids::cmdLstDel);
  // The shell may ask first; the user agrees.
  waitUntil([&] {
    if (const auto ask = program.waitForMessageBox(0)) PostMessageW(GetDlgItem(ask->hwnd, IDYES), BM_CLICK, 0, 0);
    return !win::fileExists(pictures + L"\\c.bmp") && historyCount() == 1;
  }, kPatience);
  shift.ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(1, &shift, sizeof shift);
  EXPECT_FALSE(win::fileExists(pictures + L"\\c.bmp"));
  EXPECT_EQ(historyCount(), 1);
  EXPECT_TRUE(waitUntil([&] { return text(ids::cmdLstDel) == res(205); }, kPatience));
  clickAndWait(ids::cmdCancel);
  ASSERT_TRUE(dialogClosed(program));
  close(program, window);
  EXPECT_EQ(get(kWallList, L"Rireki0"), pictures + L"\\a.bmp");
  EXPECT_EQ(get(kWallList, L"Rireki1"), L"<missing>");
}

TEST_F(HistoryTab, AChangeToABrokenPictureIsReportedUnderItsOwnTitleAndRemovesTheEntry) {
  testing::writeFileBytes(pictures + L"\\bad.bmp", {'n', 'o', 't', ' ', 'b', 'm', 'p'});
  registerSources({{pictures, false}});
  storeHistory({pictures + L"\\a.bmp", pictures + L"\\bad.bmp"});
  put(kOption, L"RLViwer", L"0");  // nothing is loaded before the change
  RunningProgram program(exe, L"/N");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  ASSERT_NE(openOptions(program, window), nullptr);
  clickRow(1);
  ASSERT_TRUE(waitUntil([&] { return historySelected() == 1; }, kPatience));
  EXPECT_FALSE(program.waitForMessageBox(500).has_value()) << "the viewer is off, yet something was loaded";
  click(ids::cmdChange);
  const auto box = program.waitForMessageBox(kPatience);
  ASSERT_TRUE(box.has_value()) << "the broken picture was not reported";
  EXPECT_EQ(box->title, res(IDS_TITLE_OPTIONS_CHANGE));
  EXPECT_NE(box->text.find(L"481"), std::wstring::npos);
  testing::pressOk(box->hwnd);
  EXPECT_TRUE(waitUntil([&] { return historyCount() == 1; }, kPatience));
  EXPECT_FALSE(win::fileExists(wallBmp()));
  clickAndWait(ids::cmdCancel);
  ASSERT_TRUE(dialogClosed(program));
  close(program, window);
  EXPECT_EQ(get(kWallList, L"Rireki0"), pictures + L"\\a.bmp");
  EXPECT_EQ(get(kWallList, L"Rireki1"), L"<missing>");
}

struct ToolTipSearch {
  DWORD process;
  HWND found;
};

BOOL CALLBACK findShownToolTip(HWND w, LPARAM p) {
  auto* s = reinterpret_cast<ToolTipSearch*>(p);
  DWORD owner = 0;
  GetWindowThreadProcessId(w, &owner);
  wchar_t name[64] = {};
  GetClassNameW(w, name, 64);
  if (owner == s->process && IsWindowVisible(w) && lstrcmpiW(name, TOOLTIPS_CLASSW) == 0) s->found = w;
  return s->found == nullptr;
}

// A tool tip of the program's that shows on the screen, or null.
HWND shownToolTip(DWORD process) {
  ToolTipSearch search{process, nullptr};
  EnumWindows(findShownToolTip, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The preview's tip goes when the dialog opens, and no tip of the main
// window shows over the dialog while it is open.
TEST_F(OptionsDialog, TheMainWindowsToolTipsStayOffTheDialog) {
  registerSources({{pictures, true}});
  RunningProgram program(exe, L"");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  HWND preview = GetDlgItem(window, main_ids::picMain);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  // A tip shows once the pointer has rested; every move starts it anew.
  const auto tipOnHover = [&](HWND control) {
    for (int tries = 0; tries < 5; ++tries) {
      SetForegroundWindow(window);
      testing::hoverOver(control);
      if (waitUntil([&] { return shownToolTip(process) != nullptr; }, 2000)) return true;
    }
    return false;
  };
  ASSERT_TRUE(tipOnHover(preview)) << "the preview's tip did not show";
  ASSERT_NE(openOptions(program, window), nullptr);
  EXPECT_TRUE(waitUntil([&] { return shownToolTip(process) == nullptr; }, kPatience))
      << "the preview's tip stays over the dialog";
  // The pointer on the main window's controls again, where the dialog
  // leaves them uncovered: still no tip of theirs.
  RECT covered{};
  GetWindowRect(dialog, &covered);
  for (int id : {main_ids::picMain, main_ids::cmdEnd, main_ids::lvwMain, main_ids::cmdChange}) {
    RECT r{};
    GetWindowRect(GetDlgItem(window, id), &r);
    const POINT middle{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    if (PtInRect(&covered, middle)) continue;
    testing::hoverOver(GetDlgItem(window, id));
    // Longer than a tip takes to show.
    EXPECT_FALSE(waitUntil([&] { return shownToolTip(process) != nullptr; }, 1500))
        << "a tip shows over the dialog, control " << id;
  }
  testing::pressKeys(dialog, {}, VK_ESCAPE);
  EXPECT_TRUE(waitUntil([&] { return !IsWindow(dialog); }, kPatience));
  // Closed, the tips work again.
  EXPECT_TRUE(tipOnHover(preview)) << "the tips stay off after the dialog";
  close(program, window);
}

TEST_F(HistoryTab, TheSelectedEntryIsPreviewedAndTheViewerSwitchClearsIt) {
  writePicture(L"large.bmp", solid(1000, 800, 0x00FF00));  // drawn in five steps
  registerSources({{pictures, false}});
  storeHistory({pictures + L"\\a.bmp", pictures + L"\\large.bmp"});
  RunningProgram program(exe, L"/N");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  ASSERT_NE(openOptions(program, window), nullptr);
  SetForegroundWindow(dialog);
  HWND box = control(ids::picMain);
  // The dialog is the program's: read from the screen, and only while no
  // window lies over the spot (CLR_INVALID, no colour, when one does).
  auto centre = [&] { return testing::uncoveredCentre(box).value_or(CLR_INVALID); };
  COLORREF before = CLR_INVALID;
  ASSERT_TRUE(waitUntil([&] { return (before = centre()) != CLR_INVALID; }, kPatience)) << "the preview is covered";
  clickRow(0);
  EXPECT_TRUE(waitUntil([&] { return centre() == RGB(255, 0, 0); }, kPatience)) << "a.bmp is not shown";
  clickRow(1);
  EXPECT_TRUE(waitUntil([&] { return centre() == RGB(0, 255, 0); }, kPatience)) << "large.bmp is not shown";
  // The centre shows before the last strips are drawn; the bar goes with the last.
  EXPECT_TRUE(waitUntil([&] { return !IsWindowVisible(control(ids::pbrMain)); }, kPatience))
      << "the progress bar stays after the drawing";
  // Off: the preview is cleared; on: the entry is drawn again.
  clickAndWait(ids::viewerCheckBox);
  EXPECT_TRUE(waitUntil([&] { return centre() == before; }, kPatience)) << "the preview was not cleared";
  clickAndWait(ids::viewerCheckBox);
  EXPECT_TRUE(waitUntil([&] { return centre() == RGB(0, 255, 0); }, kPatience)) << "not drawn again";
  clickAndWait(ids::cmdCancel);
  ASSERT_TRUE(dialogClosed(program));
  close(program, window);
}


TEST_F(HistoryTab, AfterAnErrorBoxTheListHasTheFocus) {
  testing::writeFileBytes(pictures + L"\\bad.bmp", {'n', 'o', 't', ' ', 'b', 'm', 'p'});
  testing::writeFileBytes(pictures + L"\\bad2.bmp", {'n', 'o', 't', ' ', 'b', 'm', 'p'});
  registerSources({{pictures, false}});
  storeHistory({pictures + L"\\bad.bmp", pictures + L"\\a.bmp", pictures + L"\\bad2.bmp"});
  RunningProgram program(exe, L"/N");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  ASSERT_NE(openOptions(program, window), nullptr);
  HWND list = control(ids::historyList);
  // The preview's box.
  clickRow(0);
  auto box = program.waitForMessageBox(kPatience);
  ASSERT_TRUE(box.has_value()) << "the broken picture was not reported";
  testing::pressOk(box->hwnd);
  EXPECT_TRUE(waitUntil([&] { return historyCount() == 2 && focused() == list; }, kPatience))
      << "after the preview's box the focus is on control " << GetDlgCtrlID(focused());
  // The change's box, the button pressed from the keyboard.
  clickAndWait(ids::viewerCheckBox);
  clickRow(1);
  ASSERT_TRUE(waitUntil([&] { return historySelected() == 1; }, kPatience));
  keyOn(ids::cmdChange, VK_SPACE);
  box = program.waitForMessageBox(kPatience);
  ASSERT_TRUE(box.has_value()) << "the broken picture was not reported";
  EXPECT_EQ(box->title, res(IDS_TITLE_OPTIONS_CHANGE));
  testing::pressOk(box->hwnd);
  EXPECT_TRUE(waitUntil([&] { return historyCount() == 1 && focused() == list; }, kPatience))
      << "after the change's box the focus is on control " << GetDlgCtrlID(focused());
  // The keys go on in the list.
  pressKeys(dialog, {}, VK_HOME);
  EXPECT_TRUE(waitUntil([&] { return historySelected() == 0; }, kPatience));
  clickAndWait(ids::cmdCancel);
  ASSERT_TRUE(dialogClosed(program));
  close(program, window);
}

TEST_F(HistoryTab, AnEntryNamingAFolderLeavesTheListAloneAndAFileTheUserKeepsKeepsItsEntry) {
  const std::wstring sub = pictures + L"\\sub";
  ASSERT_TRUE(CreateDirectoryW(sub.c_str(), nullptr));
  writePicture(L"d.bmp", solid(8, 8, 0x123456), sub);
  registerSources({{pictures, false}});
  storeHistory({sub, pictures + L"\\a.bmp"});
  put(kOption, L"RLViwer", L"0");  // the preview would drop the folder's entry itself
  RunningProgram program(exe, L"/N");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  ASSERT_NE(openOptions(program, window), nullptr);
  // Any box the shell shows is answered No, so that nothing is lost here.
  auto answerNo = [&] {
    const auto ask = program.waitForMessageBox(0);
    if (ask) PostMessageW(GetDlgItem(ask->hwnd, IDNO), BM_CLICK, 0, 0);
    return ask.has_value();
  };
  clickRow(0);
  ASSERT_TRUE(waitUntil([&] { return historySelected() == 0; }, kPatience));
  click(ids::cmdLstDel);
  bool asked = false;
  EXPECT_TRUE(waitUntil([&] {
    asked = answerNo() || asked;
    return historyCount() == 1;
  }, kPatience)) << "the folder's entry stayed";
  EXPECT_FALSE(asked) << "the folder was offered to the shell";
  EXPECT_TRUE(win::fileExists(sub + L"\\d.bmp"));
  // A real file: asked, and answered No, it keeps its entry.
  clickRow(0);
  ASSERT_TRUE(waitUntil([&] { return historySelected() == 0; }, kPatience));
  click(ids::cmdLstDel);
  const auto ask = program.waitForMessageBox(kPatience);
  ASSERT_TRUE(ask.has_value()) << "the shell did not ask";
  PostMessageW(GetDlgItem(ask->hwnd, IDNO), BM_CLICK, 0, 0);
  ASSERT_TRUE(waitUntil([&] { return !IsWindow(ask->hwnd); }, kPatience));
  // Once the dialog answers again, the button's work is done.
  SendMessageW(dialog, WM_NULL, 0, 0);
  EXPECT_EQ(historyCount(), 1) << "a file the user kept left the history";
  EXPECT_TRUE(win::fileExists(pictures + L"\\a.bmp"));
  clickAndWait(ids::cmdCancel);
  ASSERT_TRUE(dialogClosed(program));
  close(program, window);
  EXPECT_EQ(get(kWallList, L"Rireki0"), pictures + L"\\a.bmp");
  EXPECT_EQ(get(kWallList, L"Rireki1"), L"<missing>");
}

TEST_F(HistoryTab, DraggingAnEntryOutCarriesItsFileAndAnArchivedOneItsTakenOutCopy) {
  ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
  struct OleSession {
    ~OleSession() { OleUninitialize(); }
  } ole;
  const std::wstring zip = testing::pictureDir() + L"pics.zip";
  registerSources({{pictures, false}, {zip, false}});
  storeHistory({pictures + L"\\b.bmp", zip + L"\\photos\\m.bmp"});
  RunningProgram program(exe, L"/N");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  ASSERT_NE(openOptions(program, window), nullptr);
  DropWindow target;
  ASSERT_TRUE(target.registered);
  HWND list = control(ids::historyList);
  const int h = static_cast<int>(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
  auto dragRow = [&](int row) {
    target.dropped.clear();
    SetForegroundWindow(dialog);
    waitUntil([&] { return GetForegroundWindow() == dialog; }, kPatience);
    POINT from{8, h * row + h / 2};
    ClientToScreen(list, &from);
    ASSERT_TRUE(testing::pointerTo(from));
    mouse(MOUSEEVENTF_LEFTDOWN);
    ASSERT_TRUE(waitUntil([&] { return testing::holdsMouse(list); }, kPatience)) << "the list took no press";
    // Along the way to the drop window, in steps as a hand moves.
    for (int step = 1; step <= 10; ++step) {
      ASSERT_TRUE(testing::pointerTo({from.x + (80 - from.x) * step / 10, from.y + (80 - from.y) * step / 10}));
      mouse(MOUSEEVENTF_MOVE);
      testing::handPause();
    }
    ASSERT_TRUE(waitUntil([&] { return target.over; }, kPatience)) << "the drag did not reach the window";
    mouse(MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(waitUntil([&] { return !target.dropped.empty(); }, kPatience)) << "nothing was dropped";
    // The drop is taken before the drag ends in the dialog: a click meant
    // for the dialog before then goes to the drag.
    ASSERT_TRUE(testing::waitForIdle(dialog, kPatience)) << "the drag did not end";
  };
  dragRow(0);
  EXPECT_EQ(target.dropped, pictures + L"\\b.bmp");
  EXPECT_EQ(target.files, 1u);
  EXPECT_EQ(target.allowedEffects, static_cast<DWORD>(DROPEFFECT_COPY | DROPEFFECT_MOVE));
  dragRow(1);
  // The copy taken out into the program's temporary folder.
  EXPECT_EQ(target.dropped, folder.path() + L"UnPakTmp\\photos\\m.bmp");
  EXPECT_EQ(historyCount(), 2);
  EXPECT_EQ(text(ids::cmdLstDel), res(205));
  clickAndWait(ids::cmdCancel);
  ASSERT_TRUE(dialogClosed(program));
  close(program, window);
}

}  // namespace
}  // namespace rivano
