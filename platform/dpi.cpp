#include "platform/dpi.h"

#include "common/dpi_scale.h"
#include "platform/unique_handle.h"
#include "resources/resource_ids.h"

namespace rivano::win {

int windowDpi(HWND window) {
  // Looked up, not imported: a missing function must not stop the program
  // from loading on the systems that lack it.
  using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
  if (HMODULE user32 = GetModuleHandleW(L"user32.dll")) {
    const auto getDpiForWindow =
        reinterpret_cast<GetDpiForWindowFunction>(reinterpret_cast<void*>(GetProcAddress(user32, "GetDpiForWindow")));
    if (getDpiForWindow)
      if (const UINT dpi = getDpiForWindow(window); dpi > 0) return static_cast<int>(dpi);
  }
  ScreenDc dc;
  const int dpi = dc.get() ? GetDeviceCaps(dc.get(), LOGPIXELSY) : 0;
  return dpi > 0 ? dpi : kBaseDpi;
}

DpiChange dpiChangeOf(WPARAM wParam, LPARAM lParam) {
  DpiChange change{static_cast<int>(HIWORD(wParam)), {}};
  if (lParam) change.suggested = *reinterpret_cast<const RECT*>(lParam);
  if (change.dpi <= 0) change.dpi = kBaseDpi;
  return change;
}

void moveToSuggested(HWND window, const RECT& r) {
  if (r.right > r.left && r.bottom > r.top)
    SetWindowPos(window, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  // A group box paints its border alone: where one stood at the old DPI the
  // window's own face must be painted again, not only the moved controls.
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

int bitmapIdForDpi(int id, int dpi) { return id + nearestPictureScale(dpi) * IDB_SCALE_STEP; }

HBITMAP loadBitmapForDpi(HINSTANCE instance, int id, int dpi, UINT flags) {
  const int scaled = bitmapIdForDpi(id, dpi);
  if (HANDLE bitmap = LoadImageW(instance, MAKEINTRESOURCEW(scaled), IMAGE_BITMAP, 0, 0, flags))
    return static_cast<HBITMAP>(bitmap);
  return static_cast<HBITMAP>(LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, flags));
}

}  // namespace rivano::win
