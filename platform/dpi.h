// A window's own DPI, which under per-monitor awareness is its monitor's
// and may change while it is open, apart from the screen measured once at
// start-up (which the wallpaper's fitting keeps using).
#pragma once

#include <windows.h>

namespace rivano::win {

// The DPI `window` is shown at. Windows before 10 (1607) and Wine without
// the per-window function give the system's DPI, as those systems lay out
// every window at that one DPI anyway.
int windowDpi(HWND window);  // no window: the system's DPI

// WM_DPICHANGED, which the headers name only for Windows 7 and later
// targets; older systems never send it.
inline constexpr UINT kDpiChangedMessage = 0x02E0;

// What WM_DPICHANGED brings: the new DPI and the rectangle Windows
// suggests for the window at it (screen pixels).
struct DpiChange {
  int dpi;
  RECT suggested;
};
DpiChange dpiChangeOf(WPARAM wParam, LPARAM lParam);
// Takes the rectangle and paints the whole window anew.
void moveToSuggested(HWND window, const RECT& suggested);

// The bitmap resource `id` in its drawing nearest `dpi` (the pictures are
// drawn at several sizes, numbered id, id + IDB_SCALE_STEP, ...); the
// 100 % drawing when that size is missing.
int bitmapIdForDpi(int id, int dpi);
HBITMAP loadBitmapForDpi(HINSTANCE instance, int id, int dpi, UINT flags);

}  // namespace rivano::win
