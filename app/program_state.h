// The values fixed at start-up and shared by every window for the whole
// run, and the platform services the windows work through.
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
  std::wstring gAppPath;      // the program's folder, ending in "\"
  std::wstring gWallBmp;      // "Rivano.bmp" in gAppPath, or in the user's data when gAppPath is read-only
  std::int32_t gScreenW = 0;  // twips
  std::int32_t gScreenH = 0;
  bool gNoRandom = false;  // "/N": skip the start-up random selection once
  ScreenMetrics screen;    // the same size with its twips per pixel

  std::wstring gUnPakTmp;       // "UnPakTmp" beside gWallBmp, no trailing "\"
  std::int32_t gCurEntry = -1;  // the entry whose pictures the picture list shows
  std::int16_t gEntryCount = 0;
  WallList wall;  // gList, gLSelect, gTileOpt, gTileX, gTileY
  std::vector<std::wstring> gRireki;  // wallpaper history, oldest first; gRirekiCount is its size
  std::int16_t gSortKey = -1;
  std::int16_t gSortOrder = 0;
  std::int16_t gListView = 0;
  std::int16_t gActStop = 0;
  std::int16_t gTmrCount = 0;
  bool gPicReSize = false;
  std::int16_t gPicReMag = 0;
  bool gShiftDown = false;
  bool gOptShiftDown = false;
  bool gPreviewResolved = false;
  bool gListWide = false;
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
