// The windows of the real program at 96, 120, 144 and 192 DPI, and laid out
// again when WM_DPICHANGED arrives.
//
// Faithful to Windows: the program is started with the DPI Wine gives a
// process (the "LogPixels" value of HKCU\Control Panel\Desktop, read by
// each new process of this Wine), so its windows are made at that DPI from
// the start as on a Windows set to that scaling; the geometry is read from
// outside through the window manager's own rectangles; WM_DPICHANGED is
// sent as Windows sends it to a per-monitor aware window, with the new DPI
// in both words of wParam and the suggested rectangle in lParam (in the
// program's memory, as a message of the system is).
// What it cannot show: Wine neither virtualises a program that declares no
// awareness (so the blurred bitmap stretching of Windows cannot be seen to
// go away) nor has monitors of different DPIs that would send the message
// itself; and fonts and bitmaps are objects of the program's process, so
// the fonts are judged by what the controls measure with them.
#include "tests/wine/main_window_fixture.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "common/dpi_scale.h"
#include "engine/wallpaper.h"
#include "platform/dpi.h"
#include "ui/about/about_ids.h"
#include "ui/main/main_layout.h"
#include "tests/wine/window_drawing.h"
#include "ui/options/options_ids.h"

namespace rivano {
namespace {

namespace layout = main_layout;

// The DPI Wine gives the processes started while this lives.
class LogPixels {
 public:
  explicit LogPixels(DWORD dpi) {
    RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                    nullptr);
    DWORD size = sizeof old_;
    had_ = key_ && RegQueryValueExW(key_, L"LogPixels", nullptr, nullptr, reinterpret_cast<BYTE*>(&old_), &size) ==
                       ERROR_SUCCESS;
    set(dpi);
  }
  ~LogPixels() {
    if (!key_) return;
    if (had_) set(old_);
    else RegDeleteValueW(key_, L"LogPixels");
    RegCloseKey(key_);
  }
  LogPixels(const LogPixels&) = delete;
  LogPixels& operator=(const LogPixels&) = delete;

 private:
  void set(DWORD dpi) const {
    if (key_) RegSetValueExW(key_, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
  }
  HKEY key_ = nullptr;
  DWORD old_ = 0;
  bool had_ = false;
};

// A rectangle in the memory of the process that owns `window`.
class RemoteRect {
 public:
  explicit RemoteRect(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (process_) remote_ = VirtualAllocEx(process_, nullptr, sizeof(RECT), MEM_COMMIT, PAGE_READWRITE);
  }
  ~RemoteRect() {
    if (remote_) VirtualFreeEx(process_, remote_, 0, MEM_RELEASE);
    if (process_) CloseHandle(process_);
  }
  RemoteRect(const RemoteRect&) = delete;
  RemoteRect& operator=(const RemoteRect&) = delete;
  LPARAM put(const RECT& r) const {
    WriteProcessMemory(process_, remote_, &r, sizeof r, nullptr);
    return reinterpret_cast<LPARAM>(remote_);
  }
  RECT get() const {
    RECT r{};
    ReadProcessMemory(process_, remote_, &r, sizeof r, nullptr);
    return r;
  }
  bool ok() const { return remote_ != nullptr; }

 private:
  HANDLE process_ = nullptr;
  void* remote_ = nullptr;
};

RECT screenRect(HWND w) {
  RECT r{};
  GetWindowRect(w, &r);
  return r;
}

// A control's rectangle in its parent's client area.
RECT placeIn(HWND w) {
  RECT r = screenRect(w);
  MapWindowPoints(nullptr, GetParent(w), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

int width(const RECT& r) { return r.right - r.left; }
int height(const RECT& r) { return r.bottom - r.top; }

// The small icon a list view row shows, measured by the list itself.
int smallIconWidth(HWND list) {
  RemoteRect remote(list);
  if (!remote.ok()) return -1;
  RECT r{LVIR_ICON, 0, 0, 0};
  if (!SendMessageW(list, LVM_GETITEMRECT, 0, remote.put(r))) return -1;
  return width(remote.get());
}

// The 9-point font at `dpi` is MulDiv(9, dpi, 72) pixels to the em; a line
// of it (ascent and descent) a little more.
int emPixels(int dpi) { return MulDiv(9, dpi, 72); }

void sendDpiChange(HWND window, int dpi, const RECT& suggested) {
  RemoteRect remote(window);
  ASSERT_TRUE(remote.ok());
  SendMessageW(window, win::kDpiChangedMessage, MAKEWPARAM(dpi, dpi), remote.put(suggested));
}

// The tool tip window a window owns (the lists' own tips belong to them).
struct TipsSearch {
  HWND owner;
  HWND tips;
};

BOOL CALLBACK findTips(HWND w, LPARAM data) {
  auto* search = reinterpret_cast<TipsSearch*>(data);
  wchar_t name[64] = {};
  GetClassNameW(w, name, 64);
  if (GetWindow(w, GW_OWNER) != search->owner || std::wstring(name) != TOOLTIPS_CLASSW) return TRUE;
  search->tips = w;
  return FALSE;
}

class HighDpi : public MainWindow {
 protected:
  // The main window's controls where their twips put them at `dpi`.
  void expectMainLayout(HWND window, int dpi) {
    const auto px = [dpi](int twips) { return twipsToPixels(twips, dpi); };
    EXPECT_EQ(width(screenRect(window)), px(layout::kWindowWidth)) << dpi;
    // No taller than Windows lets a window be, a little more than the
    // screen (768 pixels here; at 192 DPI the window would be 810).
    const int tall = px(layout::kWindowHeight), screenHeight = GetSystemMetrics(SM_CYSCREEN);
    if (tall <= screenHeight) EXPECT_EQ(height(screenRect(window)), tall) << dpi;
    else EXPECT_GE(height(screenRect(window)), screenHeight) << dpi;
    EXPECT_LE(height(screenRect(window)), tall) << dpi;
    const RECT folders = placeIn(GetDlgItem(window, main_ids::lvwMain));
    EXPECT_EQ(folders.left, px(layout::kFolderList.left)) << dpi;
    EXPECT_EQ(width(folders), px(layout::kFolderList.width)) << dpi;
    EXPECT_EQ(height(folders), px(layout::kFolderList.height)) << dpi;
    const RECT change = placeIn(GetDlgItem(window, main_ids::cmdChange));
    const win::TwipsRect changeTwips = layout::inPictureFrame(layout::kChangeButton);
    EXPECT_EQ(change.left, px(changeTwips.left)) << dpi;
    EXPECT_EQ(change.top, px(changeTwips.top)) << dpi;
    EXPECT_EQ(width(change), px(changeTwips.width)) << dpi;
    EXPECT_EQ(height(change), px(changeTwips.height)) << dpi;
    const RECT widen = placeIn(GetDlgItem(window, main_ids::cmdWiden));
    EXPECT_EQ(width(widen), px(layout::kWidenButton.width)) << dpi;
  }
  // The picture list's header stands as high as a line of its font and
  // its margins.
  // What the screen shows at a point of the window's client area, while
  // nothing covers it (CLR_INVALID, no colour, while something does): the
  // window is the program's, so its drawing can be read from the screen only.
  static COLORREF clientPixel(HWND window, int x, int y) {
    POINT p{x, y};
    ClientToScreen(window, &p);
    return testing::uncoveredPixel(window, p).value_or(CLR_INVALID);
  }
  // How wide the window's own tool tips grow before they wrap.
  static int tipWrapWidth(HWND window) {
    TipsSearch search{window, nullptr};
    EnumWindows(findTips, reinterpret_cast<LPARAM>(&search));
    return search.tips ? static_cast<int>(SendMessageW(search.tips, TTM_GETMAXTIPWIDTH, 0, 0)) : -1;
  }
  static int headerHeight(HWND window) {
    return height(screenRect(ListView_GetHeader(GetDlgItem(window, main_ids::lvwFile))));
  }
};

TEST_F(HighDpi, TheProgramDeclaresPerMonitorAwarenessWithTheSystemAwareFallback) {
  HMODULE program = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(program, nullptr);
  HRSRC found = FindResourceW(program, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
  ASSERT_NE(found, nullptr);
  const char* bytes = static_cast<const char*>(LockResource(LoadResource(program, found)));
  const std::string manifest(bytes, SizeofResource(program, found));
  FreeLibrary(program);
  // Windows reads both from the application element's windowsSettings
  // (the element's name is checked: a misspelt one is silently ignored).
  const auto settings = manifest.find("<windowsSettings>");
  const auto end = manifest.find("</windowsSettings>");
  ASSERT_NE(settings, std::string::npos);
  ASSERT_NE(end, std::string::npos);
  const std::string inside = manifest.substr(settings, end - settings);
  EXPECT_NE(inside.find("<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true</dpiAware>"),
            std::string::npos);
  EXPECT_NE(inside.find("<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">"
                        "PerMonitorV2</dpiAwareness>"),
            std::string::npos);
  EXPECT_NE(manifest.rfind("<application xmlns=\"urn:schemas-microsoft-com:asm.v3\">", settings), std::string::npos);
}

// The colours of a bitmap resource of the program file, and its size.
struct ResourcePicture {
  SIZE size{0, 0};
  std::set<COLORREF> colours;
};

ResourcePicture readPicture(HMODULE program, int id) {
  ResourcePicture picture;
  auto bitmap = static_cast<HBITMAP>(LoadImageW(program, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, 0));
  if (!bitmap) return picture;
  BITMAP info{};
  GetObjectW(bitmap, sizeof info, &info);
  picture.size = {info.bmWidth, info.bmHeight};
  BITMAPINFO format{};
  format.bmiHeader.biSize = sizeof format.bmiHeader;
  format.bmiHeader.biWidth = info.bmWidth;
  format.bmiHeader.biHeight = -info.bmHeight;
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(info.bmWidth) * info.bmHeight);
  HDC screen = GetDC(nullptr);
  GetDIBits(screen, bitmap, 0, static_cast<UINT>(info.bmHeight), pixels.data(), &format, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  DeleteObject(bitmap);
  for (std::uint32_t p : pixels) picture.colours.insert(p & 0xFFFFFF);
  return picture;
}

// Each picture is drawn at 100, 125, 150 and 200 % on a grid of 16 by 16
// cells; a size that is no whole multiple of the grid (20, 24, 40 pixels)
// is shaded where two colours meet rather than repeating every few rows
// and columns of the small drawing, which would show no new colour.
TEST_F(HighDpi, ThePicturesAreDrawnAtEverySizeAndShadedBetweenWholeMultiples) {
  HMODULE program = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(program, nullptr);
  const std::pair<int, int> pictures[] = {{IDB_ABOUT, 64}, {IDB_WIDEN, 16}, {IDB_NARROW, 16}, {111, 32}, {112, 32},
                                          {113, 32},       {114, 32},       {121, 16},        {122, 16}, {123, 16},
                                          {124, 16},       {125, 16},       {126, 16}};
  for (const auto& [id, base] : pictures) {
    const ResourcePicture plain = readPicture(program, id);
    for (int scale = 0; scale < kPictureScaleCount; ++scale) {
      const int percent = pictureScalePercent(scale);
      const ResourcePicture drawn = readPicture(program, id + scale * IDB_SCALE_STEP);
      EXPECT_EQ(drawn.size.cx, base * percent / 100) << id << " at " << percent;
      EXPECT_EQ(drawn.size.cy, base * percent / 100) << id << " at " << percent;
      if (drawn.size.cx % 16 == 0) continue;
      EXPECT_TRUE(std::any_of(drawn.colours.begin(), drawn.colours.end(),
                              [&](COLORREF c) { return !plain.colours.count(c); }))
          << id << " at " << percent << " % is the 100 % drawing's pixels repeated";
    }
  }
  FreeLibrary(program);
}

TEST_F(HighDpi, TheMainWindowIsLaidOutFromItsTwipsAtTheDpiItStartsAt) {
  registerSources({{pictures, true}});
  int lastHeader = 0;
  for (int dpi : {96, 120, 144, 192}) {
    LogPixels scaling(static_cast<DWORD>(dpi));
    RunningProgram program(exe, L"/N");
    HWND window = openWindow(program);
    ASSERT_NE(window, nullptr);
    expectMainLayout(window, dpi);
    // The kind icons are drawn for this DPI: 16 pixels at 100 %.
    EXPECT_EQ(smallIconWidth(GetDlgItem(window, main_ids::lvwMain)), picturePixels(16, dpi)) << dpi;
    const int header = headerHeight(window);
    EXPECT_GE(header, emPixels(dpi)) << dpi;
    EXPECT_GT(header, lastHeader) << dpi;
    EXPECT_EQ(tipWrapWidth(window), MulDiv(400, dpi, 96)) << dpi;
    lastHeader = header;
    close(program, window);
  }
}

TEST_F(HighDpi, TheMainWindowTakesTheSuggestedRectangleAndKeepsItsWidenedListAndTheWallpaperFitting) {
  HDC screen = GetDC(nullptr);
  const int screenW = GetDeviceCaps(screen, HORZRES), screenH = GetDeviceCaps(screen, VERTRES);
  ReleaseDC(nullptr, screen);
  writePicture(L"big.bmp", solid(screenW * 2, screenH * 2, 0x808080));
  registerSources({{pictures, true}});
  put(kProgramKey + L"\\Option", L"PicReSize", L"1");
  LogPixels scaling(96);
  RunningProgram program(exe, L"/N");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  const int header96 = headerHeight(window);
  // Widened by the program at run time, before the change.
  testing::clickButton(GetDlgItem(window, main_ids::cmdWiden));
  ASSERT_TRUE(waitUntil([&] { return !IsWindowVisible(GetDlgItem(window, main_ids::picMain)); }, kPatience));

  // As Windows suggests it on a screen too low for the whole window: the
  // corner stays, so only what the window paints itself renews its face.
  const RECT before = screenRect(window);
  const RECT suggested{before.left, before.top, before.left + twipsToPixels(layout::kWindowWidth, 192) + 4,
                       before.top + 700};
  sendDpiChange(window, 192, suggested);
  const RECT now = screenRect(window);
  EXPECT_EQ(now.left, suggested.left);
  EXPECT_EQ(now.top, suggested.top);
  EXPECT_EQ(width(now), width(suggested));
  EXPECT_EQ(height(now), height(suggested));
  const auto px = [](int twips) { return twipsToPixels(twips, 192); };
  const RECT folders = placeIn(GetDlgItem(window, main_ids::lvwMain));
  EXPECT_EQ(folders.left, px(layout::kFolderList.left));
  EXPECT_EQ(width(folders), px(layout::kFolderList.width));
  EXPECT_EQ(height(folders), px(layout::kFolderList.height));
  // Still wide, at the new DPI; the preview still hidden.
  const RECT list = placeIn(GetDlgItem(window, main_ids::lvwFile));
  EXPECT_EQ(width(list), px(layout::kPictureListWideWidth));
  EXPECT_EQ(list.left, px(layout::inPictureFrame(layout::kPictureList).left));
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(window, main_ids::picMain)));
  const RECT close192 = placeIn(GetDlgItem(window, main_ids::cmdEnd));
  EXPECT_EQ(height(close192), px(layout::kCloseButton.height));
  EXPECT_EQ(smallIconWidth(GetDlgItem(window, main_ids::lvwMain)), 32);
  // Where the picture frame's right border stood at 96 DPI (x 462 and 463,
  // y 108 to 285) lies inside the frame at 192, above its controls (y 204 to
  // 236): the frame paints its border alone, so the window must paint its
  // face there anew, or a line of the old layout stays.
  const auto faceAcrossOldBorder = [&] {
    for (int x = 458; x <= 466; ++x)
      if (clientPixel(window, x, 226) != GetSysColor(COLOR_BTNFACE)) return false;
    return true;
  };
  EXPECT_TRUE(waitUntil(faceAcrossOldBorder, 5000));
  EXPECT_EQ(tipWrapWidth(window), 800);
  // The font was made again at twice the DPI.
  EXPECT_GE(headerHeight(window), header96 + emPixels(192) - emPixels(96));
  // Narrowed again after the change: its width at the new DPI.
  testing::clickButton(GetDlgItem(window, main_ids::cmdWiden));
  ASSERT_TRUE(waitUntil([&] { return IsWindowVisible(GetDlgItem(window, main_ids::picMain)); }, kPatience));
  EXPECT_EQ(width(placeIn(GetDlgItem(window, main_ids::lvwFile))), px(layout::kPictureListWidth));
  EXPECT_EQ(width(placeIn(GetDlgItem(window, main_ids::picMain))), px(layout::kPreview.width));

  // The wallpaper is still fitted to the screen, which the window's DPI
  // does not change: the picture twice the screen's size shrinks to it.
  RemoteListView sources(GetDlgItem(window, main_ids::lvwMain));
  RemoteListView files(GetDlgItem(window, main_ids::lvwFile));
  sources.click(0);
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
  EXPECT_NEAR(written->width, screenW, 1);
  EXPECT_NEAR(written->height, screenH, 1);
  close(program, window);
}

// A control anywhere in a dialog, in whichever frame it lies.
HWND findControl(HWND dialog, int id) {
  return testing::controlInside(dialog, id);
}

TEST_F(HighDpi, TheOptionsDialogOpensAtItsDpiAndKeepsTheChosenTabAcrossAChange) {
  namespace ids = options_ids;
  // A margin of 10 %: the sketch's inner rectangle 100 twips inside.
  put(kProgramKey + L"\\Option", L"PicReMag", L"10");
  LogPixels scaling(120);
  RunningProgram program(exe, L"/N");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  PostMessageW(window, WM_COMMAND, MAKEWPARAM(main_ids::mnuOpOption, 0), 0);
  HWND dialog = program.waitForWindow(L"RivanoOptions", kPatience);
  ASSERT_NE(dialog, nullptr);
  const auto expectOk = [&](int dpi) {
    const RECT ok = placeIn(findControl(dialog, ids::cmdOkbutton));
    EXPECT_EQ(ok.left, twipsToPixels(3720, dpi)) << dpi;
    EXPECT_EQ(ok.top, twipsToPixels(3960, dpi)) << dpi;
    EXPECT_EQ(width(ok), twipsToPixels(1095, dpi)) << dpi;
    EXPECT_EQ(height(ok), twipsToPixels(375, dpi)) << dpi;
  };
  // A line of the history list is a line of the dialog's font.
  const auto lineHeight = [&] {
    return static_cast<int>(SendMessageW(findControl(dialog, ids::historyList), LB_GETITEMHEIGHT, 0, 0));
  };
  expectOk(120);
  EXPECT_GE(lineHeight(), emPixels(120));
  EXPECT_LE(lineHeight(), emPixels(120) * 3 / 2);
  // The fitting tab chosen with the keyboard, as a user does.
  HWND tabs = findControl(dialog, ids::tbsOptions);
  for (int step = 0; step < 3; ++step) testing::pressKeys(dialog, {VK_CONTROL}, VK_TAB);
  ASSERT_TRUE(waitUntil([&] { return SendMessageW(tabs, TCM_GETCURSEL, 0, 0) == 3; }, kPatience));

  const RECT suggested{40, 50, 40 + twipsToPixels(5040, 192), 50 + twipsToPixels(4710, 192)};
  sendDpiChange(dialog, 192, suggested);
  const RECT now = screenRect(dialog);
  EXPECT_EQ(now.left, suggested.left);
  EXPECT_EQ(now.top, suggested.top);
  EXPECT_EQ(width(now), width(suggested));
  EXPECT_EQ(height(now), height(suggested));
  expectOk(192);
  EXPECT_GE(lineHeight(), emPixels(192));
  // The chosen tab's frame in its place at the new DPI, the others away.
  for (int i = 0; i < ids::kTabCount; ++i) {
    const RECT frame = placeIn(findControl(dialog, ids::fraOptions0 + i));
    if (i == 3) {
      EXPECT_EQ(frame.left, twipsToPixels(240, 192));
      EXPECT_EQ(frame.top, twipsToPixels(720, 192));
      EXPECT_EQ(width(frame), twipsToPixels(4455, 192));
    } else {
      EXPECT_EQ(frame.left, twipsToPixels(-20000, 192)) << i;
    }
  }
  // A control inside a frame, from its twips in the frame.
  const RECT zoom = placeIn(findControl(dialog, ids::chkZoomIn));
  EXPECT_EQ(zoom.left, twipsToPixels(120, 192));
  EXPECT_EQ(width(zoom), twipsToPixels(4215, 192));
  // The margin's sketch keeps the margin shown, at the new DPI.
  const RECT outer = placeIn(findControl(dialog, ids::shpDspSize));
  const RECT inner = placeIn(findControl(dialog, ids::shpDspMag));
  EXPECT_EQ(outer.left, twipsToPixels(2400, 192));
  EXPECT_EQ(width(outer), twipsToPixels(1815, 192));
  EXPECT_EQ(inner.left, twipsToPixels(2500, 192));
  EXPECT_EQ(inner.top, twipsToPixels(1180, 192));
  EXPECT_EQ(width(inner), twipsToPixels(1615, 192));
  PostMessageW(findControl(dialog, ids::cmdCancel), BM_CLICK, 0, 0);
  ASSERT_TRUE(waitUntil([&] { return !IsWindow(dialog); }, kPatience));
  close(program, window);
}

TEST_F(HighDpi, TheVersionDialogOpensAtItsDpiAndFollowsAChange) {
  namespace ids = about_ids;
  LogPixels scaling(144);
  RunningProgram program(exe, L"/N");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  PostMessageW(window, WM_COMMAND, MAKEWPARAM(main_ids::mnuHeVer, 0), 0);
  HWND dialog = program.waitForWindow(L"RivanoAbout", kPatience);
  ASSERT_NE(dialog, nullptr);
  const auto expectLayout = [&](int dpi) {
    const RECT ok = placeIn(GetDlgItem(dialog, ids::cmdOK));
    EXPECT_EQ(ok.left, twipsToPixels(4320, dpi)) << dpi;
    EXPECT_EQ(width(ok), twipsToPixels(1095, dpi)) << dpi;
    // The picture drawn for the DPI: 64 pixels at 100 %.
    EXPECT_EQ(width(placeIn(GetDlgItem(dialog, ids::imgRivano))), picturePixels(64, dpi)) << dpi;
    // The link on the description's third line, right of "URL".
    const RECT text = placeIn(GetDlgItem(dialog, ids::lblDescription));
    const RECT link = placeIn(GetDlgItem(dialog, ids::lblURL));
    EXPECT_EQ(text.top, twipsToPixels(840, dpi)) << dpi;
    EXPECT_GT(link.left, text.left) << dpi;
    EXPECT_EQ(link.right, text.right) << dpi;
    EXPECT_GE(height(link), emPixels(dpi)) << dpi;
    EXPECT_GE(link.top, text.top + 2 * emPixels(dpi)) << dpi;
  };
  expectLayout(144);
  const RECT suggested{10, 10, 10 + twipsToPixels(5640, 96), 10 + twipsToPixels(3240, 96)};
  sendDpiChange(dialog, 96, suggested);
  EXPECT_EQ(screenRect(dialog).left, 10);
  EXPECT_EQ(width(screenRect(dialog)), width(suggested));
  expectLayout(96);
  PostMessageW(GetDlgItem(dialog, ids::cmdOK), BM_CLICK, 0, 0);
  ASSERT_TRUE(waitUntil([&] { return !IsWindow(dialog); }, kPatience));
  close(program, window);
}

}  // namespace
}  // namespace rivano
