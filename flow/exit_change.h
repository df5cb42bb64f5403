// The change made as a run ends, the window's close and the logon run
// alike: the picture becomes the wallpaper of the next start, drawn by the
// rules of its entry, and goes into the history once its bitmap is sure to
// be written.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/wallpaper.h"
#include "settings/wall_list.h"

namespace rivano {

// The fitting options of the options dialog.
struct Fitting {
  bool shrink = false;
  std::int16_t marginPercent = 0;
  bool fill = false;
};

// How a picture of `entry` is drawn on `screen` (which must outlive the
// rules).
ExitChangeRules entryRules(const ScreenMetrics& screen, const Fitting& fitting, const WallEntry& entry);

// The history takes a path once in a row: the same picture twice running
// is one entry.
void recordInHistory(std::vector<std::wstring>& history, const std::wstring& path);

// changeAtExit, then the history with `path`, the picture's own path
// (historyPath: for an archive the archive and the member, never the copy
// taken out, which goes with the temporary folder). What changeAtExit raises (RunError, no
// memory) passes on with the history untouched.
void changeAndRecord(const Picture& picture, const ExitChangeRules& rules, const WallpaperTarget& target,
                     std::vector<std::wstring>& history, const std::wstring& path);

}  // namespace rivano
