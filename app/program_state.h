// The values fixed at start-up and shared by every window for the whole
// run, and the platform services the windows work through.
#pragma once

#include <cstdint>
#include <string>

#include "engine/wallpaper.h"
#include "settings/registry.h"

namespace rivano {

struct ProgramState {
  std::wstring gAppPath;  // the program's folder, ending in "\"
  std::wstring gWallBmp;  // gAppPath & "Rivano.bmp"
  std::int32_t gScreenW = 0;  // twips
  std::int32_t gScreenH = 0;
  bool gNoRandom = false;     // "/N": skip the start-up random selection once
  ScreenMetrics screen;       // the same size with its twips per pixel
};

struct Services {
  Registry& registry;
  PictureLoader& pictures;
  BitmapFileWriter& bitmapFile;
  Desktop& desktop;
};

}  // namespace rivano
