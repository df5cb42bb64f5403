// The wallpaper change made when the main window closes: the picture
// selected at that moment becomes the next wallpaper.
#include <new>

#include "engine/fair_draw.h"
#include "flow/exit_change.h"
#include "common/run_error.h"
#include "ui/main/frm_main.h"
#include "ui/main/main_ids.h"

namespace rivano {

using namespace main_ids;

void FrmMain::changeAtClose() {
  if (pictureRows_.empty() || menuChecked(mnuNoWall) || shiftDown_) return;
  const std::wstring name = selectedPicture();
  const std::wstring source = selectedSource();
  if (name.empty() || source.empty()) return;
  std::size_t entry = static_cast<std::size_t>(currentEntry_);
  if (currentEntry_ < 0) entry = static_cast<std::size_t>(lvwMain_.selected());
  if (entry >= state_.wallList.size()) return;
  // The counts the user may have typed are kept with the entry.
  storeTileCounts(entry);
  // A picture that cannot be found, read or written ends the change here;
  // the exit goes on and the settings are saved all the same.
  try {
    const Picture& picture = selectedPictureLoaded(source, name);
    changeAndRecord(picture,
                    entryRules(state_.screen, {state_.shrinkLarge, state_.marginPercent, extras_.fillScreen},
                               state_.wallList[entry]),
                    {services_.bitmapFile, services_.system, services_.desktop, state_.wallpaperBitmap},
                    state_.history, historyPath(source, name));
  } catch (const RunError&) {
  } catch (const std::bad_alloc&) {
  }
}

}  // namespace rivano
