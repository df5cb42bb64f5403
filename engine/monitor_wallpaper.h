// One wallpaper bitmap for several monitors, each showing a picture of its
// own: the bitmap covers the whole virtual screen (every monitor's
// rectangle in physical desktop pixels, whatever its DPI, the primary's
// top-left at 0, 0; others may
// lie left of or above it), and each monitor's part holds its picture
// fitted to that monitor, centred on it, or repeated across it from its
// top-left corner when its source tiles. What no picture covers shows the
// desktop's background colour, as it would around a centred wallpaper.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/pixel_image.h"
#include "engine/wallpaper.h"

namespace rivano {

struct Monitor {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  bool primary = false;
};

struct DesktopRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
};

// The smallest rectangle holding every monitor.
DesktopRect virtualScreen(const std::vector<Monitor>& monitors);

// A monitor's own screen metrics, for fitting a picture to it. A wallpaper
// is drawn pixel for pixel whatever a monitor's DPI (the desktop does not
// scale it), so its pixels count in the program's twips per pixel, like the
// picture's own: a 4K monitor at 200 % takes a picture of 3840 pixels.
ScreenMetrics monitorMetrics(const Monitor& monitor, const ScreenMetrics& screen);

struct MonitorPicture {
  PixelImage image;  // already fitted (or filled) to the monitor
  bool tile = false;
};

// How the desktop lays the one bitmap over the monitors.
enum class SpanStyle {
  // Stretched over the virtual screen from its top-left corner (the span
  // style of newer Windows): the bitmap is the virtual screen as it is.
  span,
  // Repeated from the desktop's origin, the primary monitor's top-left, as
  // older Windows tiles a wallpaper: what lies left of or above the primary
  // wraps round to the bitmap's far side.
  tiledFromOrigin,
};

// `pictures` in the order of `monitors`.
PixelImage composeMonitors(const std::vector<Monitor>& monitors, const std::vector<MonitorPicture>& pictures,
                           std::uint32_t background, SpanStyle style);

}  // namespace rivano
