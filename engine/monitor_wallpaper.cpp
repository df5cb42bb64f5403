#include "engine/monitor_wallpaper.h"

#include <algorithm>

namespace rivano {
namespace {

// x mod n, never negative.
std::int32_t wrapped(std::int64_t x, std::int32_t n) {
  const std::int64_t r = x % n;
  return static_cast<std::int32_t>(r < 0 ? r + n : r);
}

// The picture's pixel shown at monitor-relative (x, y), if any.
bool pixelAt(const MonitorPicture& picture, const Monitor& monitor, std::int32_t x, std::int32_t y,
             std::uint32_t& pixel) {
  const PixelImage& image = picture.image;
  if (image.width <= 0 || image.height <= 0) return false;
  if (picture.tile) {
    pixel = image.at(x % image.width, y % image.height);
    return true;
  }
  // Centred; a picture larger than the monitor shows its middle.
  const std::int32_t ix = x - (monitor.width - image.width) / 2;
  const std::int32_t iy = y - (monitor.height - image.height) / 2;
  if (ix < 0 || iy < 0 || ix >= image.width || iy >= image.height) return false;
  pixel = image.at(ix, iy);
  return true;
}

}  // namespace

DesktopRect virtualScreen(const std::vector<Monitor>& monitors) {
  if (monitors.empty()) return {};
  std::int32_t left = monitors[0].left, top = monitors[0].top;
  std::int32_t right = left + monitors[0].width, bottom = top + monitors[0].height;
  for (const Monitor& m : monitors) {
    left = std::min(left, m.left);
    top = std::min(top, m.top);
    right = std::max(right, m.left + m.width);
    bottom = std::max(bottom, m.top + m.height);
  }
  return {left, top, right - left, bottom - top};
}

ScreenMetrics monitorMetrics(const Monitor& monitor, const ScreenMetrics& screen) {
  ScreenMetrics m = screen;
  m.twips.width = monitor.width * m.twipsPerPixelX;
  m.twips.height = monitor.height * m.twipsPerPixelY;
  return m;
}

PixelImage composeMonitors(const std::vector<Monitor>& monitors, const std::vector<MonitorPicture>& pictures,
                           std::uint32_t background, SpanStyle style) {
  const DesktopRect desk = virtualScreen(monitors);
  PixelImage out{desk.width, desk.height,
                 std::vector<std::uint32_t>(static_cast<std::size_t>(desk.width) * static_cast<std::size_t>(desk.height),
                                            background)};
  for (std::size_t i = 0; i < monitors.size() && i < pictures.size(); ++i) {
    const Monitor& m = monitors[i];
    for (std::int32_t y = 0; y < m.height; ++y) {
      // Where this desktop row lands in the bitmap.
      const std::int32_t by = style == SpanStyle::span ? m.top + y - desk.top : wrapped(std::int64_t{m.top} + y, desk.height);
      std::uint32_t* row = out.pixels.data() + static_cast<std::size_t>(by) * static_cast<std::size_t>(desk.width);
      for (std::int32_t x = 0; x < m.width; ++x) {
        std::uint32_t pixel;
        if (!pixelAt(pictures[i], m, x, y, pixel)) continue;
        const std::int32_t bx =
            style == SpanStyle::span ? m.left + x - desk.left : wrapped(std::int64_t{m.left} + x, desk.width);
        row[bx] = pixel;
      }
    }
  }
  return out;
}

}  // namespace rivano
