// What the options dialog needs of the main window, and nothing more: the
// automatic-change menu item, the record of its own preview, and how a
// picture of a registered source is found on disk.
#pragma once

#include <functional>
#include <string>

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
};

}  // namespace rivano
