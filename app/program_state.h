// The values fixed at start-up and shared by every window for the whole
// run, and the platform services the windows work through. What one window
// alone uses is that window's own.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/wallpaper.h"
#include "common/system_registry.h"
#include "settings/settings_registry.h"
#include "settings/wall_list.h"

namespace rivano {

struct ProgramState {
  std::wstring appFolder;        // the program's folder, ending in "\"
  std::wstring wallpaperBitmap;  // "Rivano.bmp" in appFolder, or in the user's data when appFolder is read-only
  std::wstring unpackFolder;     // "UnPakTmp" beside the bitmap, no trailing "\"
  bool skipStartDraw = false;    // "/N": skip the start-up random selection once
  ScreenMetrics screen;          // its size in twips and pixels

  WallList wallList;                  // the registered sources
  std::vector<std::wstring> history;  // wallpapers, oldest first
  // The fitting options: large pictures shrunk to the screen, with a margin.
  bool shrinkLarge = false;
  std::int16_t marginPercent = 0;
};

namespace win {
class ArchiverLibraries;
}

struct Services {
  SettingsRegistry& settings;
  SystemRegistry& system;
  win::ArchiverLibraries& archivers;
  PictureLoader& pictures;
  BitmapFileWriter& bitmapFile;
  Desktop& desktop;
};

}  // namespace rivano
