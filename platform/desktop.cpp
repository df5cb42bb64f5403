#include "platform/desktop.h"

#include <windows.h>

#include "platform/ansi.h"

namespace rivano::win {

void SystemDesktop::setWallpaper(const std::wstring& bitmapPath) {
  std::string path = toAnsi(bitmapPath);
  // Update the user's settings and tell every window; the result is not
  // looked at, as the desktop shows the old picture on failure anyway.
  SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, path.data(), SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE);
}

}  // namespace rivano::win
