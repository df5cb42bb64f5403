// What the options dialog needs of the main window, and nothing more: the
// automatic-change menu item, the record of its own preview, how a picture
// of a registered source is found on disk, and the wallpaper options.
#pragma once

#include <functional>
#include <string>

#include "settings/settings_layout.h"

namespace rivano {

struct OptionsHost {
  std::function<bool()> noWallChecked;
  std::function<void(bool)> setNoWall;
  // The main window's preview forgets the picture it showed last.
  std::function<void()> forgetPreview;
  // The file of a picture of a source: the file itself in a folder, the
  // member taken out into the temporary folder for an archive; empty when
  // there is none. May raise the run-time errors of the archive access.
  std::function<std::wstring(const std::wstring& source, const std::wstring& name)> pictureFile;
  // The wallpaper options as OK stored them, for the window's own change.
  std::function<void(const WallpaperExtras&)> extrasChanged;
};

}  // namespace rivano
