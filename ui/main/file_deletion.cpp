// Deleting the selected picture file: to the recycle bin, or for good in
// the Shift mode. The shell asks and reports; the list follows the file.
#include <windows.h>

#include "shell/path_parts.h"
#include "shell/shell_helpers.h"
#include "ui/main/frm_main.h"
#include "ui/main/main_ids.h"

namespace rivano {

using namespace main_ids;

// The menu item goes with the button: an archive's members are no files of
// their own to delete.
void FrmMain::enableFileDeletion(bool on) {
  EnableWindow(item(cmdFilDel), on ? TRUE : FALSE);
  EnableMenuItem(menu_, mnuPicDel, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
}

void FrmMain::removePictureRow(int row) {
  const std::wstring picture = selectedSource() + L"\\" + pictureRows_[static_cast<std::size_t>(row)].name;
  selecting_ = true;
  lvwFile_.clearSelection();
  pictureRows_.remove(static_cast<std::size_t>(row));
  lvwFile_.setItemCount(pictureCount());
  lvwFile_.redrawAll();
  selecting_ = false;
  // The loaded picture and the preview belonged to a file that is gone.
  if (imgFilePicture_ == picture) {
    imgFile_.reset();
    imgFilePicture_.clear();
  }
  if (lastPreviewed_ == picture) lastPreviewed_.clear();
}

void FrmMain::cmdFilDel_Click() {
  if (pictureRows_.empty() || !IsWindowEnabled(item(cmdFilDel))) return;
  const int row = lvwFile_.selected();
  if (!pictureRows_.holds(row)) {
    endShiftMode();
    return;
  }
  const std::wstring file = withBackslash(selectedSource()) + pictureRows_[static_cast<std::size_t>(row)].name;
  if (deleteFileByShell(file, hwnd(), shiftDown_)) {
    const int count = pictureCount();
    removePictureRow(row);
    const int next = row == count - 1 ? row - 1 : row;
    if (pictureRows_.empty()) {
      // The Shift mode stays until the next key is let go.
      clearPreview();
      return;
    }
    selectPictureSilently(next);
    lvwFile_ItemClick(next);
  }
  endShiftMode();
}

}  // namespace rivano
