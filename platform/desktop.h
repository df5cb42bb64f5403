// The desktop's wallpaper through the system call that also records it.
#pragma once

#include "engine/wallpaper.h"

namespace rivano::win {

class SystemDesktop final : public Desktop {
 public:
  void setWallpaper(const std::wstring& bitmapPath) override;
};

}  // namespace rivano::win
