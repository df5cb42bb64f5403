// The monitors the desktop spans, as the wallpaper sees them: their
// rectangles in physical pixels, which of them is the primary, whether the
// desktop can span one bitmap over all of them (Windows 8 and later), and
// the background colour shown where no picture is.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/monitor_wallpaper.h"

namespace rivano {

class MonitorLayout {
 public:
  virtual ~MonitorLayout() = default;
  virtual std::vector<Monitor> monitors() const = 0;
  virtual bool spansOneBitmap() const = 0;
  virtual std::uint32_t background() const = 0;  // 0x00RRGGBB
};

namespace win {

class SystemMonitors final : public MonitorLayout {
 public:
  std::vector<Monitor> monitors() const override;
  bool spansOneBitmap() const override;
  std::uint32_t background() const override;
};

}  // namespace win
}  // namespace rivano
