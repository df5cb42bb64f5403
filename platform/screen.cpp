#include "platform/screen.h"

#include <windows.h>

#include "common/rounding.h"
#include "platform/unique_handle.h"

namespace rivano::win {

ScreenMetrics measureScreen() {
  ScreenDc dc;
  const int dpiX = dc.get() ? GetDeviceCaps(dc.get(), LOGPIXELSX) : 96;
  const int dpiY = dc.get() ? GetDeviceCaps(dc.get(), LOGPIXELSY) : 96;
  ScreenMetrics m;
  // Whole twips per pixel, as the screen object reports them (15 at 96 dpi).
  m.twipsPerPixelX = dpiX > 0 ? 1440 / dpiX : 15;
  m.twipsPerPixelY = dpiY > 0 ? 1440 / dpiY : 15;
  m.twips.width = roundToInt32(static_cast<double>(m.twipsPerPixelX) * GetSystemMetrics(SM_CXSCREEN));
  m.twips.height = roundToInt32(static_cast<double>(m.twipsPerPixelY) * GetSystemMetrics(SM_CYSCREEN));
  return m;
}

}  // namespace rivano::win
