// What the version dialog draws, read from the dialog's own drawing in this
// process: the dialog runs on a thread of the test, which reads back the
// bitmap the dialog paints into, so that other windows, the pointer and the
// screen's state cannot get in the way.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/program_state.h"
#include "common/dpi_scale.h"
#include "platform/dpi.h"
#include "tests/wine/test_support.h"
#include "tests/wine/window_drawing.h"
#include "ui/about/about_ids.h"
#include "ui/about/frm_about.h"

namespace rivano {
namespace {

namespace ids = about_ids;
constexpr DWORD kPatience = 10000;

// The program's state at the real screen's DPI, made before the dialog's
// thread starts to read it.
struct ScreenState {
  ScreenState() {
    HDC screen = GetDC(nullptr);
    state.screen.twipsPerPixelX = 1440 / GetDeviceCaps(screen, LOGPIXELSX);
    state.screen.twipsPerPixelY = 1440 / GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    // Centred on a small screen, the dialog opens in the real screen's
    // top left corner, away from the pointer, which a test cannot move
    // while no window of its own is in front.
    state.screen.twips.width = 6000;
    state.screen.twips.height = 4000;
  }
  ProgramState state;
};

// The dialog on a thread of the test.
class DialogOnThread : private ScreenState, public testing::WindowOnThread {
 public:
  DialogOnThread() : WindowOnThread([this] { FrmAbout(state).showModal(nullptr); }, L"RivanoAbout", kPatience) {}
  HWND dialog() const { return window(); }
};

TEST(AboutDrawing, OpensWithTheLinkDrawnAndThePictureOnTheDialogsOwnFace) {
  DialogOnThread about;
  ASSERT_NE(about.dialog(), nullptr) << "the version dialog did not open";
  POINT pointer{};
  GetCursorPos(&pointer);
  RECT placed{};
  GetWindowRect(about.dialog(), &placed);
  ASSERT_FALSE(PtInRect(&placed, pointer)) << "the pointer lies over the dialog";
  ASSERT_TRUE(testing::waitUntil([&] { return testing::paintedAll(about.dialog()); }, kPatience));
  const testing::WindowDrawing drawing(about.dialog());
  ASSERT_TRUE(drawing.read());
  HWND link = about.control(ids::lblURL);
  HWND picture = about.control(ids::imgRivano);
  EXPECT_GT(drawing.count(link, RGB(0, 0, 0)), 0) << "the link's text is not drawn";
  EXPECT_EQ(drawing.count(link, RGB(0, 0, 255)), 0) << "the link is blue with no pointer over it";
  EXPECT_EQ(drawing.count(picture, RGB(0, 255, 0)), 0) << "the picture shows its mask colour";
  EXPECT_GT(drawing.count(picture, GetSysColor(COLOR_BTNFACE)), 0) << "the picture is not on the dialog's face";
}

// The dialog is the test's own, so the test may move the pointer over it
// and read what the link shows without another window in the way.
TEST(AboutDrawing, TheLinkTurnsBlueUnderThePointerAndBlackAgainAwayFromIt) {
  DialogOnThread about;
  ASSERT_NE(about.dialog(), nullptr) << "the version dialog did not open";
  HWND link = about.control(ids::lblURL);
  const auto ink = [&](COLORREF colour) {
    if (!testing::paintedAll(about.dialog())) return -1;
    return testing::WindowDrawing(about.dialog()).count(link, colour);
  };
  SetForegroundWindow(about.dialog());
  // The pointer well away from the dialog first, wherever a run before
  // left it.
  RECT placed{};
  GetWindowRect(about.dialog(), &placed);
  const auto pointTo = [](int x, int y) {
    SetCursorPos(x - 1, y - 1);
    mouse_event(MOUSEEVENTF_MOVE, 1, 1, 0, 0);
  };
  ASSERT_TRUE(testing::waitUntil([&] {
    pointTo(placed.right + 40, placed.bottom + 40);
    return ink(RGB(0, 0, 0)) > 0;
  }, kPatience)) << "the link is not drawn";
  EXPECT_EQ(ink(RGB(0, 0, 255)), 0) << "the link is blue with no pointer over it";
  // A pointer motion now and then turns into no message under a loaded
  // display: the hand moves again on every look.
  EXPECT_TRUE(testing::waitUntil([&] {
    testing::hoverOver(link);
    return ink(RGB(0, 0, 255)) > 0;
  }, kPatience)) << "the link did not turn blue under the pointer";
  // Onto the description's last line, below the link.
  RECT description{};
  GetWindowRect(about.control(ids::lblDescription), &description);
  EXPECT_TRUE(testing::waitUntil([&] {
    pointTo(description.left + 6, description.bottom - 6);
    return ink(RGB(0, 0, 255)) == 0 && ink(RGB(0, 0, 0)) > 0;
  }, kPatience)) << "the link stayed blue away from the pointer";
  pointTo(placed.right + 40, placed.bottom + 40);
}

// The fonts are objects of the process that made them: read here, in the
// dialog's own process, their heights show what a change of DPI made of
// them. WM_DPICHANGED is sent as Windows sends it to a per-monitor aware
// window (which Wine never does itself); what Windows would also scale on
// its own, the caption and the frame, is not the program's to test.
LONG fontHeight(HWND control) {
  LOGFONTW font{};
  const auto handle = reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0));
  // A font deleted while a control still shows it reads as nothing.
  if (!handle || GetObjectW(handle, sizeof font, &font) != sizeof font) return 0;
  return font.lfHeight;
}

SIZE pictureSize(HWND picture) {
  BITMAP bitmap{};
  const auto handle = reinterpret_cast<HGDIOBJ>(SendMessageW(picture, STM_GETIMAGE, IMAGE_BITMAP, 0));
  if (!handle || !GetObjectW(handle, sizeof bitmap, &bitmap)) return {0, 0};
  return {bitmap.bmWidth, bitmap.bmHeight};
}

TEST(AboutDrawing, FontsPictureAndPlacesFollowAChangeOfDpi) {
  DialogOnThread about;
  ASSERT_NE(about.dialog(), nullptr) << "the version dialog did not open";
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  EXPECT_EQ(fontHeight(about.control(ids::lblDescription)), -MulDiv(9, dpi, 72));
  EXPECT_EQ(fontHeight(about.control(ids::lblTitle0)), -twipsToPixels(300, dpi));
  EXPECT_EQ(pictureSize(about.control(ids::imgRivano)).cx, picturePixels(64, dpi));

  for (int to : {192, 120, dpi}) {
    RECT suggested{5, 6, 5 + twipsToPixels(5640, to), 6 + twipsToPixels(3240, to)};
    SendMessageW(about.dialog(), win::kDpiChangedMessage, MAKEWPARAM(to, to), reinterpret_cast<LPARAM>(&suggested));
    RECT now{};
    GetWindowRect(about.dialog(), &now);
    EXPECT_EQ(now.left, 5) << to;
    EXPECT_EQ(now.right - now.left, twipsToPixels(5640, to)) << to;
    EXPECT_EQ(now.bottom - now.top, twipsToPixels(3240, to)) << to;
    EXPECT_EQ(fontHeight(about.control(ids::lblDescription)), -MulDiv(9, to, 72)) << to;
    EXPECT_EQ(fontHeight(about.control(ids::lblURL)), -MulDiv(9, to, 72)) << to;
    EXPECT_EQ(fontHeight(about.control(ids::cmdOK)), -MulDiv(9, to, 72)) << to;
    // The shadowed title keeps its own, larger font, made anew.
    EXPECT_EQ(fontHeight(about.control(ids::lblTitle0)), -twipsToPixels(300, to)) << to;
    EXPECT_EQ(fontHeight(about.control(ids::lblTitle1)), -twipsToPixels(300, to)) << to;
    EXPECT_EQ(pictureSize(about.control(ids::imgRivano)).cx, picturePixels(64, to)) << to;
    RECT ok{};
    GetWindowRect(about.control(ids::cmdOK), &ok);
    EXPECT_EQ(ok.bottom - ok.top, twipsToPixels(375, to)) << to;
  }
}

}  // namespace
}  // namespace rivano
