#include "platform/monitor_layout.h"

#include <windows.h>
#include <versionhelpers.h>

namespace rivano::win {
namespace {

BOOL CALLBACK addMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoW(monitor, &info)) return TRUE;
  const RECT& r = info.rcMonitor;
  reinterpret_cast<std::vector<Monitor>*>(list)->push_back(
      {r.left, r.top, r.right - r.left, r.bottom - r.top, (info.dwFlags & MONITORINFOF_PRIMARY) != 0});
  return TRUE;
}

}  // namespace

std::vector<Monitor> SystemMonitors::monitors() const {
  std::vector<Monitor> list;
  EnumDisplayMonitors(nullptr, nullptr, addMonitor, reinterpret_cast<LPARAM>(&list));
  return list;
}

// The span style came with Windows 8; the version test answers truly up to
// that version even for a program that names no later one in its manifest.
bool SystemMonitors::spansOneBitmap() const { return IsWindows8OrGreater(); }

std::uint32_t SystemMonitors::background() const {
  const COLORREF c = GetSysColor(COLOR_DESKTOP);
  return static_cast<std::uint32_t>(GetRValue(c)) << 16 | static_cast<std::uint32_t>(GetGValue(c)) << 8 |
         GetBValue(c);
}

}  // namespace rivano::win
