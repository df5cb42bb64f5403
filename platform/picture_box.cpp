#include "platform/picture_box.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace rivano::win {

bool PictureBox::create(HWND parent, const ControlFactory& factory, const TwipsRect& where, int id) {
  id_ = id;
  const RECT r = factory.toPixels(where);
  CreateArgs args;
  args.className = L"RivanoPictureBox";
  args.style = WS_CHILD | WS_VISIBLE;
  args.exStyle = WS_EX_CLIENTEDGE;
  args.parent = parent;
  args.x = r.left;
  args.y = r.top;
  args.width = r.right - r.left;
  args.height = r.bottom - r.top;
  args.menu = reinterpret_cast<HMENU>(static_cast<INT_PTR>(id));
  if (!Window::create(args)) return false;
  factory.keep(hwnd(), where);
  return makeCanvas();
}

bool PictureBox::makeCanvas() {
  RECT inner{};
  GetClientRect(hwnd(), &inner);
  ScreenDc screen;
  if (!canvasDc_) canvasDc_.reset(CreateCompatibleDC(screen.get()));
  UniqueGdiObject canvas(CreateCompatibleBitmap(screen.get(), std::max(1L, inner.right), std::max(1L, inner.bottom)));
  if (!canvasDc_ || !canvas) return false;
  // The old canvas leaves the DC before it goes.
  const HGDIOBJ replaced = SelectObject(canvasDc_.get(), canvas.get());
  if (!previous_) previous_ = replaced;
  canvas_ = std::move(canvas);
  width_ = inner.right;
  height_ = inner.bottom;
  clear();
  return true;
}

void PictureBox::clear() {
  if (!canvasDc_) return;
  RECT all{0, 0, width_, height_};
  FillRect(canvasDc_.get(), &all, GetSysColorBrush(COLOR_BTNFACE));
  InvalidateRect(hwnd(), nullptr, FALSE);
}

void PictureBox::draw(const PixelImage& image, int x, int y, RECT source) {
  if (!canvasDc_ || image.width <= 0 || image.height <= 0) return;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = image.width;
  info.bmiHeader.biHeight = -image.height;  // top row first, as the pixels are
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  UniqueGdiObject dib(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  UniqueMemoryDc dc(CreateCompatibleDC(canvasDc_.get()));
  if (!dib || !dc || !bits) return;
  std::memcpy(bits, image.pixels.data(), image.pixels.size() * sizeof(std::uint32_t));
  {
    ScopedSelect select(dc.get(), dib.get());
    BitBlt(canvasDc_.get(), x + source.left, y + source.top, source.right - source.left,
           source.bottom - source.top, dc.get(), source.left, source.top, SRCCOPY);
  }
  InvalidateRect(hwnd(), nullptr, FALSE);
  UpdateWindow(hwnd());
}

LRESULT PictureBox::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd(), &ps);
      if (canvasDc_) BitBlt(dc, 0, 0, width_, height_, canvasDc_.get(), 0, 0, SRCCOPY);
      EndPaint(hwnd(), &ps);
      return 0;
    }
    case WM_SIZE:
      // Laid out again at another DPI: what was drawn no longer fits, and
      // the owner draws it again at the new size.
      if (canvasDc_ && (LOWORD(lParam) != width_ || HIWORD(lParam) != height_)) makeCanvas();
      break;
    case WM_LBUTTONDBLCLK:
      SendMessageW(GetParent(hwnd()), WM_COMMAND, MAKEWPARAM(id_, STN_DBLCLK), reinterpret_cast<LPARAM>(hwnd()));
      return 0;
    case WM_NCDESTROY:
      if (canvasDc_ && previous_) SelectObject(canvasDc_.get(), previous_);
      break;
  }
  return defaultHandling(message, wParam, lParam);
}

}  // namespace rivano::win
