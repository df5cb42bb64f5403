#include "platform/desktop.h"

#include <windows.h>

namespace rivano::win {

void SystemDesktop::setWallpaper(const std::wstring& bitmapPath) {
  // The wide call, so that a program folder whose name the ANSI code page
  // cannot hold still names the bitmap; the system records the path as
  // given in the desktop's "Wallpaper" value either way.
  std::wstring path = bitmapPath;
  // Update the user's settings and tell every window; the result is not
  // looked at, as the desktop shows the old picture on failure anyway.
  SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, path.data(), SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE);
}

}  // namespace rivano::win
