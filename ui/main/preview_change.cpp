// The preview of the selected picture and the change button that makes it
// the wallpaper at once.
#include <windows.h>
// needs windows.h first
#include <commctrl.h>

#include <new>

#include "engine/error_text.h"
#include "common/rounding.h"
#include "platform/controls.h"
#include "platform/cursor.h"
#include "platform/file_system.h"
#include "platform/message_box.h"
#include "platform/string_table.h"
#include "resources/resource_ids.h"
#include "settings/number_text.h"
#include "common/run_error.h"
#include "ui/common/preview_picture.h"
#include "ui/main/frm_main.h"
#include "ui/main/main_ids.h"

namespace rivano {

using namespace main_ids;

void FrmMain::selectPictureSilently(int row) {
  selecting_ = true;
  lvwFile_.select(row);
  lvwFile_.ensureVisible(row);
  selecting_ = false;
}

void FrmMain::clearPreview() { picMain_.clear(); }

void FrmMain::lvwFile_ItemClick(int row) {
  for (;;) {
    if (pictureRows_.empty() || !pictureRows_.holds(row) || !win::isChecked(item(chkViewer)) ||
        listWide_)
      return;
    const std::wstring source = selectedSource();
    std::wstring path;
    try {
      path = pictureFile(source, pictureRows_[static_cast<std::size_t>(row)].name);
    } catch (const RunError& e) {
      // A name the archiver cannot be given: told after the click, as a
      // picture that fails to load is.
      pendingPreviewMessage_ = errorDialogText(win::stringTable(), e.number(), PictureAdvice::handled);
      return;
    }
    if (path.empty()) return;
    previewResolved_ = true;
    if (dataType(source) == SourceKind::folder && !win::fileExists(path)) {
      // The file went away: show a neighbour instead. A neighbour that has
      // gone too leads on to the next, and the list is finite.
      if (pictureRows_.empty()) {
        clearPreview();
        return;
      }
      const int last = pictureCount() - 1;
      const int substitute = row == last ? last - 1 : last;
      if (substitute < 0 || substitute == row || missingTried_ >= pictureCount()) {
        missingTried_ = 0;
        return;
      }
      ++missingTried_;
      selectPictureSilently(substitute);
      row = substitute;
      continue;
    }
    missingTried_ = 0;
    const std::wstring picture = source + L"\\" + pictureRows_[static_cast<std::size_t>(row)].name;
    if (picture == lastPreviewed_) return;
    lastPreviewed_ = picture;
    win::ScopedHourglass hourglass;
    try {
      // The picture shown before goes first, so that two large ones are
      // never held at once. This one is loaded for the preview alone; the
      // change that may follow (at exit too) makes the wallpaper's size
      // from the file the picture keeps, so the click never waits for it.
      imgFile_.reset();
      imgFilePicture_.clear();
      imgFile_ = services_.pictures.load(path, previewTargets(previewBoxTwips(picMain_, state_.screen)));
      imgFilePicture_ = picture;
      drawPreview(*imgFile_, picMain_, item(pbrMain), state_.screen);
    } catch (const RunError& e) {
      ShowWindow(item(pbrMain), SW_HIDE);
      pendingPreviewMessage_ = errorDialogText(win::stringTable(), e.number(), PictureAdvice::handled);
    } catch (const std::bad_alloc&) {
      ShowWindow(item(pbrMain), SW_HIDE);
      pendingPreviewMessage_ = errorDialogText(win::stringTable(), err::outOfMemory, PictureAdvice::handled);
    }
    return;
  }
}

void FrmMain::lvwFile_Click() {
  if (pendingPreviewMessage_.empty()) return;
  const std::wstring message = std::exchange(pendingPreviewMessage_, std::wstring());
  win::showMessage(hwnd(), message, MB_OK | MB_ICONEXCLAMATION, win::loadString(IDS_TITLE_ITEM_CLICK));
}

// With no pictures the box changes its value and nothing else: the menu's
// check mark does not follow.
void FrmMain::viewerCheck_Click() {
  if (pictureRows_.empty()) return;
  const bool on = win::isChecked(item(chkViewer));
  checkMenu(mnuPicViewer, on);
  if (!on) {
    clearPreview();
    lastPreviewed_.clear();
    return;
  }
  const int row = lvwFile_.selected();
  if (pictureRows_.holds(row)) lvwFile_ItemClick(row);
}

const Picture& FrmMain::selectedPictureLoaded(const std::wstring& source, const std::wstring& name) {
  // Whatever the preview did (viewer off, a failed load, another row), the
  // picture applied is always the selected one, never one loaded before.
  const std::wstring file = pictureFile(source, name);
  if (file.empty() || !win::fileExists(file)) throw RunError(err::fileNotFound);
  const std::wstring picture = source + L"\\" + name;
  if (!imgFile_ || imgFilePicture_ != picture) {
    imgFile_.reset();
    imgFilePicture_.clear();
    imgFile_ = services_.pictures.load(
        file, wallpaperTargets(state_.screen, state_.shrinkLarge, state_.marginPercent, extras_.fillScreen));
    imgFilePicture_ = picture;
  }
  return *imgFile_;
}

void FrmMain::cmdChange_Click() {
  if (pictureRows_.empty()) {
    win::showMessage(hwnd(), win::loadString(IDS_SELECT_PICTURE), MB_OK | MB_ICONSTOP);
    return;
  }
  win::ScopedHourglass hourglass;
  try {
    const std::wstring name = selectedPicture();
    const int index = lvwMain_.selected();
    const std::wstring source = selectedSource();
    const std::wstring path = source + L"\\" + name;
    const Picture& picture = selectedPictureLoaded(source, name);
    const std::int16_t option =
        index >= 0 && static_cast<std::size_t>(index) < state_.wallList.size() ? state_.wallList[index].tileOpt : 2;
    const std::int16_t across = textToInt16(win::windowText(item(txtAcross)));
    const std::int16_t down = textToInt16(win::windowText(item(txtDown)));
    const WallpaperLook look = wallpaperLook(
        picture, {state_.screen, state_.shrinkLarge, state_.marginPercent, option, across, down, extras_.fillScreen});
    changeWallpaperNow(look.image, look.tile,
                       {services_.bitmapFile, services_.system, services_.desktop, state_.wallpaperBitmap});
    state_.history.push_back(path);
  } catch (const RunError& e) {
    showError(IDS_TITLE_MAIN_CHANGE, e.number(), PictureAdvice::generic);
  } catch (const std::bad_alloc&) {
    showError(IDS_TITLE_MAIN_CHANGE, err::outOfMemory, PictureAdvice::generic);
  }
}

}  // namespace rivano
