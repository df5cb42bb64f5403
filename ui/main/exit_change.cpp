// The wallpaper change made when the main window closes: the picture
// selected at that moment becomes the next wallpaper.
#include <new>

#include "platform/file_system.h"
#include "settings/run_error.h"
#include "ui/main/frm_main.h"
#include "ui/main/main_ids.h"

namespace rivano {

using namespace main_ids;

void FrmMain::myAutoChange() {
  if (lvwFile_.count() == 0 || menuChecked(mnuNoWall) || state_.gShiftDown) return;
  const std::wstring name = selectedPicture();
  const std::wstring source = selectedSource();
  if (name.empty() || source.empty()) return;
  std::wstring path = source + L"\\" + name;
  std::size_t entry = static_cast<std::size_t>(state_.gCurEntry);
  if (state_.gCurEntry < 0) entry = static_cast<std::size_t>(lvwMain_.selected());
  if (entry >= state_.wall.size()) return;
  // The counts the user may have typed are kept with the entry.
  storeTileCounts(entry);
  // A picture that cannot be read or written ends the change here; the
  // exit goes on and the settings are saved all the same.
  try {
    if (!imgFile_) {
      path = myPictureFile(source, name);
      if (path.empty() || !win::fileExists(path)) return;
      imgFile_ = services_.pictures.load(path);
    }
    if (state_.gPicReSize)
      myFitPicture(*imgFile_, state_.screen, state_.gPicReMag, services_.bitmapFile, state_.gWallBmp);
    else
      saveAsLoaded(*imgFile_, services_.bitmapFile, state_.gWallBmp);
    const bool tile = tileDecision(state_.wall.gTileOpt[entry], state_.screen.twips, imgFile_->sizeTwips(),
                                   state_.wall.gTileX[entry], state_.wall.gTileY[entry]);
    if (state_.gRireki.empty() || state_.gRireki.back() != path) state_.gRireki.push_back(path);
    writeWallpaperPath(services_.registry, state_.gWallBmp);
    writeTileWallpaper(services_.registry, tile);
  } catch (const RunError&) {
  } catch (const std::bad_alloc&) {
  }
}

}  // namespace rivano
