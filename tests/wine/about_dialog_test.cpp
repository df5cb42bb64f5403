// The version dialog and the help menu inside the real program. What the
// shell is asked to open is seen through a file association of the test's
// own in the throwaway prefix's class table: its "open" command writes the
// document's name to a file instead of starting a viewer or a browser.
#include "tests/wine/main_window_fixture.h"

#include <tlhelp32.h>

#include <memory>
#include <optional>
#include <vector>

#include "tests/wine/window_drawing.h"
#include "ui/about/about_ids.h"

namespace rivano {
namespace {

namespace ids = about_ids;

// One default value of the class table, put back as it was on destruction.
class ClassValue {
 public:
  ClassValue(const std::wstring& key, const std::wstring& data) : key_(key) {
    wchar_t old[1024] = {};
    LONG size = sizeof old;
    had_ = RegQueryValueW(HKEY_CLASSES_ROOT, key.c_str(), old, &size) == ERROR_SUCCESS;
    old_ = old;
    set(data);
  }
  ~ClassValue() {
    if (had_) set(old_);
    else RegDeleteTreeW(HKEY_CLASSES_ROOT, key_.c_str());
  }
  ClassValue(const ClassValue&) = delete;
  ClassValue& operator=(const ClassValue&) = delete;

 private:
  void set(const std::wstring& data) const {
    RegSetValueW(HKEY_CLASSES_ROOT, key_.c_str(), REG_SZ, data.c_str(),
                 static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
  }
  std::wstring key_;
  std::wstring old_;
  bool had_ = false;
};

class AboutDialog : public MainWindow {
 protected:
  void SetUp() override {
    MainWindow::SetUp();
    HDC screen = GetDC(nullptr);
    tppX = 1440 / GetDeviceCaps(screen, LOGPIXELSX);
    tppY = 1440 / GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    record = folder.path() + L"opened.txt";
  }
  void TearDown() override {
    // Newest first, so a shared key gets its first value back.
    while (!classes.empty()) classes.pop_back();
    MainWindow::TearDown();
  }
  // The help files and the https protocol open through the recorder.
  void recordOpenings() {
    const std::wstring command = L"C:\\windows\\system32\\cmd.exe /c echo %1>>\"" + record + L"\"";
    classes.push_back(std::make_unique<ClassValue>(L".hlp", L"RivanoTestHelp"));
    classes.push_back(std::make_unique<ClassValue>(L"RivanoTestHelp\\shell\\open\\command", command));
    classes.push_back(std::make_unique<ClassValue>(L"https\\shell\\open\\command", command));
  }
  std::string recorded() const {
    const auto bytes = testing::readFileBytes(record);
    return {bytes.begin(), bytes.end()};
  }
  bool recordedSoon(const std::string& what) const {
    return waitUntil([&] { return recorded().find(what) != std::string::npos; }, kPatience);
  }

  HWND openAbout(RunningProgram& program, HWND window) {
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(main_ids::mnuHeVer, 0), 0);
    dialog = program.waitForWindow(L"RivanoAbout", kPatience);
    EXPECT_NE(dialog, nullptr) << "the version dialog did not open";
    return dialog;
  }
  HWND control(int id) const { return GetDlgItem(dialog, id); }
  std::wstring text(int id) const { return testing::controlText(control(id)); }
  bool closedSoon(RunningProgram& program) const {
    return waitUntil([&] { return !IsWindow(dialog) || !program.running(); }, kPatience);
  }
  static std::wstring userName() {
    wchar_t name[128] = {};
    DWORD size = 128;
    return GetUserNameW(name, &size) ? std::wstring(name) : std::wstring();
  }

  int tppX = 15;
  int tppY = 15;
  HWND dialog = nullptr;
  std::wstring record;
  std::vector<std::unique_ptr<ClassValue>> classes;
};

TEST_F(AboutDialog, ShowsPictureTitleVersionUserAndLinkCentredAndEscAndEnterClose) {
  RunningProgram program(exe, L"/N");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  ASSERT_NE(openAbout(program, window), nullptr);
  EXPECT_FALSE(IsWindowEnabled(window)) << "the main window still takes input";
  EXPECT_EQ(GetWindow(dialog, GW_OWNER), window);
  EXPECT_EQ(testing::controlText(dialog), res(800));
  EXPECT_EQ(text(ids::cmdOK), res(809));
  EXPECT_EQ(text(ids::lblTitle0), res(802));
  EXPECT_EQ(text(ids::lblTitle1), res(802));
  EXPECT_EQ(text(ids::lblURL), res(810));
  const std::wstring name = userName();
  ASSERT_FALSE(name.empty());
  EXPECT_EQ(text(ids::lblDescription),
            L"\r    " + res(802) + L"  v2.05.0269\r    URL\r    " + res(805) + name);
  EXPECT_NE(SendMessageW(control(ids::imgRivano), STM_GETIMAGE, IMAGE_BITMAP, 0), 0) << "no picture";

  // The two titles 15 twips apart, right and down.
  RECT t0{}, t1{};
  GetWindowRect(control(ids::lblTitle0), &t0);
  GetWindowRect(control(ids::lblTitle1), &t1);
  EXPECT_EQ((t1.left - t0.left) * tppX, 15);
  EXPECT_EQ((t1.top - t0.top) * tppY, 15);

  // Centred on the screen, by whole twips.
  RECT outer{};
  GetWindowRect(dialog, &outer);
  const int screenW = GetSystemMetrics(SM_CXSCREEN) * tppX;
  const int screenH = GetSystemMetrics(SM_CYSCREEN) * tppY;
  EXPECT_EQ(outer.left, (screenW - (outer.right - outer.left) * tppX) / 2 / tppX);
  EXPECT_EQ(outer.top, (screenH - (outer.bottom - outer.top) * tppY) / 2 / tppY);

  // Esc closes it and gives the main window back.
  testing::pressKeys(dialog, {}, VK_ESCAPE);
  EXPECT_TRUE(closedSoon(program)) << "Esc did not close the dialog";
  EXPECT_TRUE(waitUntil([&] { return IsWindowEnabled(window) != FALSE; }, kPatience));

  // The next opening makes it afresh; Enter closes it.
  const HWND first = dialog;
  ASSERT_NE(openAbout(program, window), nullptr);
  EXPECT_FALSE(IsWindow(first));
  EXPECT_EQ(text(ids::lblTitle0), res(802));
  testing::pressKeys(dialog, {}, VK_RETURN);
  EXPECT_TRUE(closedSoon(program)) << "Enter did not close the dialog";

  // And OK.
  ASSERT_NE(openAbout(program, window), nullptr);
  testing::clickButton(control(ids::cmdOK));
  EXPECT_TRUE(closedSoon(program)) << "OK did not close the dialog";
  close(program, window);
}

// A recording "open" command still runs: what it opens is not written yet.
bool recordingRuns() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return true;
  PROCESSENTRY32W entry{sizeof entry};
  bool found = false;
  for (BOOL more = Process32FirstW(snapshot, &entry); more && !found; more = Process32NextW(snapshot, &entry))
    found = _wcsicmp(entry.szExeFile, L"cmd.exe") == 0;
  CloseHandle(snapshot);
  return found;
}

// Pixels of the link's text on the screen: how many are pure blue, and how
// many are black (the latter not reliable enough under Xvfb to assert on).
// The dialog is another process's, so it can be read only from the screen:
// nothing while a window (a tool tip, a box) lies over the link's corners
// or middle.
std::optional<std::pair<int, int>> linkInk(HWND link) {
  RECT r{};
  GetWindowRect(link, &r);
  if (!testing::uncovered(link, r)) return std::nullopt;
  HDC screen = GetDC(nullptr);
  int blue = 0, black = 0;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) {
      const COLORREF c = GetPixel(screen, x, y);
      if (c == RGB(0, 0, 255)) ++blue;
      else if (c == RGB(0, 0, 0)) ++black;
    }
  ReleaseDC(nullptr, screen);
  return std::pair{blue, black};
}

// The mouse onto the description's last line, well away from the link,
// which lies inside the description's middle.
void hoverOverDescriptionEnd(HWND description) {
  RECT r{};
  GetWindowRect(description, &r);
  SetCursorPos(r.left + 6, r.bottom - 6);
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dx = 2;
  in.mi.dy = 2;
  in.mi.dwFlags = MOUSEEVENTF_MOVE;
  SendInput(1, &in, sizeof in);
}

TEST_F(AboutDialog, LinkTurnsBlueUnderTheMouseAndBlackAgainOverTheDescription) {
  RunningProgram program(exe, L"/N");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  ASSERT_NE(openAbout(program, window), nullptr);
  HWND link = control(ids::lblURL);
  // The hand moves again on every look: a move made while the dialog was
  // still zooming open reaches the window below it. Under a loaded Xvfb,
  // Wine now and then turns no pointer motion into a message at all; once
  // the pointer has rested on the link for two seconds, the test hands the
  // link the move the system would deliver to the window under the pointer.
  int looks = 0;
  const auto blue = [&] {
    const auto ink = linkInk(link);
    return ink && ink->first > 0;
  };
  const auto overLink = [&] {
    testing::hoverOver(link);
    if (waitUntil(blue, 100)) return true;
    if (++looks > 20) {
      // Inside the link's own rectangle: another process's WindowFromPoint
      // cannot ask the dialog's statics which of them take the mouse.
      POINT p{};
      GetCursorPos(&p);
      RECT r{};
      GetWindowRect(link, &r);
      if (PtInRect(&r, p)) {
        ScreenToClient(link, &p);
        PostMessageW(link, WM_MOUSEMOVE, 0, MAKELPARAM(p.x, p.y));
      }
    }
    return waitUntil(blue, 100);
  };
  const auto overDescription = [&] {
    hoverOverDescriptionEnd(control(ids::lblDescription));
    return waitUntil([&] {
      const auto ink = linkInk(link);
      return ink && ink->first == 0;
    }, 100);
  };
  // Where the mouse was and what lay under it, should the link stay black.
  const auto whereTheMouseIs = [&] {
    POINT p{};
    GetCursorPos(&p);
    RECT r{};
    GetWindowRect(link, &r);
    wchar_t under[64] = {};
    GetClassNameW(WindowFromPoint(p), under, 64);
    return "mouse at " + std::to_string(p.x) + "," + std::to_string(p.y) + " over a " + testing::narrow(under) +
           ", link at " + std::to_string(r.left) + "," + std::to_string(r.top) + "-" + std::to_string(r.right) +
           "," + std::to_string(r.bottom) + (GetForegroundWindow() == dialog ? "" : ", dialog not in front");
  };
  EXPECT_TRUE(waitUntil(overLink, kPatience)) << "the link did not turn blue; " << whereTheMouseIs();
  EXPECT_TRUE(waitUntil(overDescription, kPatience)) << "the link stayed blue";
  looks = 0;
  EXPECT_TRUE(waitUntil(overLink, kPatience)) << "the link did not turn blue again";
  testing::pressKeys(dialog, {}, VK_ESCAPE);
  EXPECT_TRUE(closedSoon(program));
  close(program, window);
}

TEST_F(AboutDialog, VersionComesFromTheProgramFilesOwnVersionResource) {
  // Another version written into this copy of the program file.
  std::vector<BYTE> block;
  {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(exe.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    block.resize(size);
    ASSERT_TRUE(GetFileVersionInfoW(exe.c_str(), 0, size, block.data()));
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&info), &length));
    info->dwFileVersionMS = MAKELONG(123, 3);  // 3.123
    info->dwFileVersionLS = MAKELONG(7, 0);    // revision 7
    block.resize(*reinterpret_cast<const WORD*>(block.data()));
    HANDLE update = BeginUpdateResourceW(exe.c_str(), FALSE);
    ASSERT_NE(update, nullptr);
    ASSERT_TRUE(UpdateResourceW(update, RT_VERSION, MAKEINTRESOURCEW(1), MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT),
                                block.data(), static_cast<DWORD>(block.size())));
    ASSERT_TRUE(EndUpdateResourceW(update, FALSE));
  }
  RunningProgram program(exe, L"/N");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  ASSERT_NE(openAbout(program, window), nullptr);
  EXPECT_NE(text(ids::lblDescription).find(res(802) + L"  v3.123.0007\r"), std::wstring::npos)
      << testing::narrow(text(ids::lblDescription));
  testing::pressKeys(dialog, {}, VK_ESCAPE);
  EXPECT_TRUE(closedSoon(program));
  close(program, window);
}

TEST_F(AboutDialog, HomePageFromMenuAndLinkAndHelpFileBesideTheProgramOpenThroughTheShell) {
  recordOpenings();
  testing::writeFileBytes(folder.path() + L"Rivano.HLP", {'h', 'e', 'l', 'p'});
  RunningProgram program(exe, L"/N");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  const std::string page = testing::narrow(res(810));

  PostMessageW(window, WM_COMMAND, MAKEWPARAM(main_ids::mnuHomePage, 0), 0);
  EXPECT_TRUE(recordedSoon(page)) << "recorded: " << recorded();

  PostMessageW(window, WM_COMMAND, MAKEWPARAM(main_ids::mnuHeHelp, 0), 0);
  EXPECT_TRUE(recordedSoon("Rivano.HLP")) << "recorded: " << recorded();

  // A click on the link opens the same page once more.
  ASSERT_NE(openAbout(program, window), nullptr);
  const auto before = recorded();
  const auto count = [](const std::string& s, const std::string& what) {
    std::size_t n = 0;
    for (auto at = s.find(what); at != std::string::npos; at = s.find(what, at + 1)) ++n;
    return n;
  };
  const std::size_t pagesBefore = count(before, page);
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(ids::lblURL, STN_CLICKED), reinterpret_cast<LPARAM>(control(ids::lblURL)));
  EXPECT_TRUE(waitUntil([&] { return count(recorded(), page) == pagesBefore + 1; }, kPatience))
      << "recorded: " << recorded();
  testing::pressKeys(dialog, {}, VK_ESCAPE);
  EXPECT_TRUE(closedSoon(program));
  close(program, window);
}

TEST_F(AboutDialog, MissingHelpFileGivesTheMessageAndOpensNothing) {
  recordOpenings();
  RunningProgram program(exe, L"/N");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  PostMessageW(window, WM_COMMAND, MAKEWPARAM(main_ids::mnuHeHelp, 0), 0);
  const auto box = program.waitForMessageBox(kPatience);
  ASSERT_TRUE(box.has_value()) << "no message";
  EXPECT_EQ(box->text, res(114));
  EXPECT_EQ(box->title, res(IDS_APP_TITLE));
  // The box shows an icon (icon handles differ between processes, so which
  // one cannot be compared from here).
  HWND icon = nullptr;
  for (HWND c = GetWindow(box->hwnd, GW_CHILD); c && !icon; c = GetWindow(c, GW_HWNDNEXT))
    if ((GetWindowLongW(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON && SendMessageW(c, STM_GETICON, 0, 0)) icon = c;
  ASSERT_NE(icon, nullptr) << "the box shows no icon";
  EXPECT_TRUE(testing::answerOk(program, box->hwnd));
  // Once the box is gone and then the window answers, the command that
  // showed the box has ended, and whatever it opened has been started; once
  // no recording command runs, what they opened is written down.
  ASSERT_TRUE(waitUntil([&] { return !IsWindow(box->hwnd); }, kPatience));
  DWORD_PTR answer = 0;
  ASSERT_NE(SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_BLOCK, kPatience, &answer), 0);
  ASSERT_TRUE(waitUntil([] { return !recordingRuns(); }, kPatience));
  EXPECT_EQ(recorded(), "");
  close(program, window);
}

}  // namespace
}  // namespace rivano
