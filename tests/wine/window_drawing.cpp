#include "tests/wine/window_drawing.h"

#include <algorithm>
#include <utility>

#include "tests/wine/test_support.h"

namespace rivano::testing {

WindowOnThread::WindowOnThread(std::function<void()> run, const wchar_t* className, DWORD milliseconds)
    : thread_(std::move(run)) {
  // Shown, it has its controls and their fonts; made, it may not yet.
  waitUntil([&] {
    window_ = FindWindowW(className, nullptr);
    return window_ && IsWindowVisible(window_);
  }, milliseconds);
}

WindowOnThread::~WindowOnThread() {
  if (window_) PostMessageW(window_, WM_CLOSE, 0, 0);
  thread_.join();
}

bool paintedAll(HWND window) {
  if (!IsWindowVisible(window) || GetUpdateRect(window, nullptr, FALSE)) return false;
  // A hidden control never paints: what it would paint is not shown.
  for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    if (IsWindowVisible(c) && !paintedAll(c)) return false;
  return true;
}

namespace {

// A bitmap of the test's own to print into, released with its DC.
class PrintTarget {
 public:
  PrintTarget(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
    if (dc_ && bitmap_) old_ = SelectObject(dc_, bitmap_);
  }
  ~PrintTarget() {
    if (old_) SelectObject(dc_, old_);
    if (bitmap_) DeleteObject(bitmap_);
    if (dc_) DeleteDC(dc_);
  }
  PrintTarget(const PrintTarget&) = delete;
  PrintTarget& operator=(const PrintTarget&) = delete;
  HDC dc() const { return dc_; }
  const std::uint32_t* bits() const { return old_ ? static_cast<const std::uint32_t*>(bits_) : nullptr; }

 private:
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  void* bits_ = nullptr;
};

}  // namespace

WindowDrawing::WindowDrawing(HWND window) {
  GetWindowRect(window, &outer_);
  width_ = outer_.right - outer_.left;
  height_ = outer_.bottom - outer_.top;
  if (width_ <= 0 || height_ <= 0) return;
  PrintTarget target(width_, height_);
  if (!target.bits()) return;
  // The window's own surface: Wine keeps one for each top-level window of
  // the process, whatever lies over it on the screen. (PrintWindow there
  // prints the frame and the face but none of the controls.)
  HDC source = GetWindowDC(window);
  read_ = source && BitBlt(target.dc(), 0, 0, width_, height_, source, 0, 0, SRCCOPY) != FALSE;
  if (source) ReleaseDC(window, source);
  GdiFlush();
  if (read_) pixels_.assign(target.bits(), target.bits() + static_cast<std::size_t>(width_) * height_);
}

COLORREF WindowDrawing::at(POINT screen) const {
  const LONG x = screen.x - outer_.left, y = screen.y - outer_.top;
  if (!read_ || x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
  const std::uint32_t p = pixels_[static_cast<std::size_t>(y) * width_ + x];
  return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

int WindowDrawing::count(const RECT& screen, COLORREF colour) const {
  if (!read_) return 0;
  const std::uint32_t wanted = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
  const LONG top = std::max(screen.top - outer_.top, 0L), bottom = std::min(screen.bottom - outer_.top, LONG{height_});
  const LONG left = std::max(screen.left - outer_.left, 0L), right = std::min(screen.right - outer_.left, LONG{width_});
  int n = 0;
  for (LONG y = top; y < bottom; ++y)
    for (LONG x = left; x < right; ++x)
      if ((pixels_[static_cast<std::size_t>(y) * width_ + x] & 0xFFFFFF) == wanted) ++n;
  return n;
}

int WindowDrawing::count(HWND control, COLORREF colour) const {
  RECT r{};
  GetWindowRect(control, &r);
  return count(r, colour);
}

std::optional<COLORREF> uncoveredPixel(HWND window, POINT screen) {
  HWND over = WindowFromPoint(screen);
  if (!over || GetAncestor(over, GA_ROOT) != GetAncestor(window, GA_ROOT)) return std::nullopt;
  HDC dc = GetDC(nullptr);
  const COLORREF colour = GetPixel(dc, screen.x, screen.y);
  ReleaseDC(nullptr, dc);
  return colour;
}

bool uncovered(HWND window, const RECT& screen) {
  const RECT& r = screen;
  for (POINT p : {POINT{r.left, r.top}, POINT{r.right - 1, r.top}, POINT{r.left, r.bottom - 1},
                  POINT{r.right - 1, r.bottom - 1}, POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}}) {
    HWND over = WindowFromPoint(p);
    if (!over || GetAncestor(over, GA_ROOT) != GetAncestor(window, GA_ROOT)) return false;
  }
  return true;
}

std::optional<COLORREF> uncoveredCentre(HWND control) {
  RECT r{};
  GetWindowRect(control, &r);
  return uncoveredPixel(control, {(r.left + r.right) / 2, (r.top + r.bottom) / 2});
}

}  // namespace rivano::testing
