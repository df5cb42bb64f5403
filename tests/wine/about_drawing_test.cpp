// What the version dialog draws, read from the dialog's own drawing in this
// process: the dialog runs on a thread of the test, which reads back the
// bitmap the dialog paints into, so that other windows, the pointer and the
// screen's state cannot get in the way.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <thread>
#include <vector>

#include "app/program_state.h"
#include "common/dpi_scale.h"
#include "platform/dpi.h"
#include "tests/wine/test_support.h"
#include "ui/about/about_ids.h"
#include "ui/about/frm_about.h"

namespace rivano {
namespace {

namespace ids = about_ids;
constexpr DWORD kPatience = 10000;

// The dialog on a thread of its own, closed and joined on destruction.
class DialogOnThread {
 public:
  DialogOnThread() {
    HDC screen = GetDC(nullptr);
    state_.screen.twipsPerPixelX = 1440 / GetDeviceCaps(screen, LOGPIXELSX);
    state_.screen.twipsPerPixelY = 1440 / GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    // Centred on a small screen, the dialog opens in the real screen's
    // top left corner, away from the pointer, which a test cannot move
    // while no window of its own is in front.
    state_.screen.twips.width = 6000;
    state_.screen.twips.height = 4000;
    thread_ = std::thread([this] { FrmAbout(state_).showModal(nullptr); });
    testing::waitUntil([&] { return (dialog_ = FindWindowW(L"RivanoAbout", nullptr)) != nullptr; }, kPatience);
  }
  ~DialogOnThread() {
    if (dialog_) PostMessageW(dialog_, WM_CLOSE, 0, 0);
    thread_.join();
  }
  DialogOnThread(const DialogOnThread&) = delete;
  DialogOnThread& operator=(const DialogOnThread&) = delete;
  HWND dialog() const { return dialog_; }
  HWND control(int id) const { return GetDlgItem(dialog_, id); }

 private:
  ProgramState state_;
  std::thread thread_;
  HWND dialog_ = nullptr;
};

// The pixels of the window's own surface, as the dialog and its controls
// have painted it.
class Drawing {
 public:
  explicit Drawing(HWND window) {
    GetWindowRect(window, &outer_);
    width_ = outer_.right - outer_.left;
    height_ = outer_.bottom - outer_.top;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width_;
    info.bmiHeader.biHeight = -height_;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC source = GetWindowDC(window);
    HDC dc = CreateCompatibleDC(source);
    HBITMAP bitmap = CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (dc && bitmap && bits) {
      HGDIOBJ old = SelectObject(dc, bitmap);
      read_ = BitBlt(dc, 0, 0, width_, height_, source, 0, 0, SRCCOPY) != FALSE;
      GdiFlush();
      const auto* p = static_cast<const std::uint32_t*>(bits);
      pixels_.assign(p, p + static_cast<std::size_t>(width_) * height_);
      SelectObject(dc, old);
    }
    if (bitmap) DeleteObject(bitmap);
    if (dc) DeleteDC(dc);
    ReleaseDC(window, source);
  }
  bool read() const { return read_; }
  // How many pixels of the colour lie inside the control's rectangle.
  int count(HWND control, COLORREF colour) const {
    RECT r{};
    GetWindowRect(control, &r);
    const std::uint32_t wanted = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
    const LONG top = std::max(r.top - outer_.top, 0L), bottom = std::min(r.bottom - outer_.top, LONG{height_});
    const LONG left = std::max(r.left - outer_.left, 0L), right = std::min(r.right - outer_.left, LONG{width_});
    int n = 0;
    for (LONG y = top; y < bottom; ++y)
      for (LONG x = left; x < right; ++x)
        if ((pixels_[static_cast<std::size_t>(y) * width_ + x] & 0xFFFFFF) == wanted) ++n;
    return n;
  }

 private:
  RECT outer_{};
  int width_ = 0;
  int height_ = 0;
  bool read_ = false;
  std::vector<std::uint32_t> pixels_;
};

// Drawn once every control has painted: no paint is pending in the dialog.
bool paintedAll(HWND dialog) {
  if (GetUpdateRect(dialog, nullptr, FALSE)) return false;
  for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    if (GetUpdateRect(c, nullptr, FALSE)) return false;
  return IsWindowVisible(dialog) != FALSE;
}

TEST(AboutDrawing, OpensWithTheLinkDrawnAndThePictureOnTheDialogsOwnFace) {
  DialogOnThread about;
  ASSERT_NE(about.dialog(), nullptr) << "the version dialog did not open";
  POINT pointer{};
  GetCursorPos(&pointer);
  RECT placed{};
  GetWindowRect(about.dialog(), &placed);
  ASSERT_FALSE(PtInRect(&placed, pointer)) << "the pointer lies over the dialog";
  ASSERT_TRUE(testing::waitUntil([&] { return paintedAll(about.dialog()); }, kPatience));
  const Drawing drawing(about.dialog());
  ASSERT_TRUE(drawing.read());
  HWND link = about.control(ids::lblURL);
  HWND picture = about.control(ids::imgRivano);
  EXPECT_GT(drawing.count(link, RGB(0, 0, 0)), 0) << "the link's text is not drawn";
  EXPECT_EQ(drawing.count(link, RGB(0, 0, 255)), 0) << "the link is blue with no pointer over it";
  EXPECT_EQ(drawing.count(picture, RGB(0, 255, 0)), 0) << "the picture shows its mask colour";
  EXPECT_GT(drawing.count(picture, GetSysColor(COLOR_BTNFACE)), 0) << "the picture is not on the dialog's face";
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
