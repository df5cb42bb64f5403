// The wallpaper change made when the main window closes: the picture
// selected at that moment becomes the next wallpaper.
#include <new>

#include "platform/file_system.h"
#include "common/run_error.h"
#include "ui/main/frm_main.h"
#include "ui/main/main_ids.h"

namespace rivano {

using namespace main_ids;

void FrmMain::myAutoChange() {
  if (pictureRows_.empty() || menuChecked(mnuNoWall) || state_.gShiftDown) return;
  const std::wstring name = selectedPicture();
  const std::wstring source = selectedSource();
  if (name.empty() || source.empty()) return;
  // The picture's own path: for an archive the archive and the member,
  // never the extracted copy, which goes with the temporary folder.
  const std::wstring path = source + L"\\" + name;
  std::size_t entry = static_cast<std::size_t>(state_.gCurEntry);
  if (state_.gCurEntry < 0) entry = static_cast<std::size_t>(lvwMain_.selected());
  if (entry >= state_.wall.size()) return;
  // The counts the user may have typed are kept with the entry.
  storeTileCounts(entry);
  // A picture that cannot be found, read or written ends the change here;
  // the exit goes on and the settings are saved all the same.
  try {
    const Picture& picture = selectedPictureLoaded(source, name);
    // The history takes the picture once its bitmap is sure to be written.
    changeAtExit(picture,
                 {state_.screen, state_.gPicReSize, state_.gPicReMag, state_.wall.gTileOpt[entry],
                  state_.wall.gTileX[entry], state_.wall.gTileY[entry], extras_.fillScreen},
                 {services_.bitmapFile, services_.system, services_.desktop, state_.gWallBmp});
    if (state_.gRireki.empty() || state_.gRireki.back() != path) state_.gRireki.push_back(path);
  } catch (const RunError&) {
  } catch (const std::bad_alloc&) {
  }
}

}  // namespace rivano
