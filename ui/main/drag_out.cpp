// Dragging a picture out of the picture list: the drag carries its file,
// the one in the folder or the member taken out of the archive, so that
// Explorer or another program can copy or move it.
#include <windows.h>

#include "platform/file_drag.h"
#include "platform/file_system.h"
#include "common/run_error.h"
#include "flow/source_listing.h"
#include "ui/main/frm_main.h"

namespace rivano {

void FrmMain::lvwFile_OLEStartDrag() {
  const std::wstring source = selectedSource();
  const std::wstring name = selectedPicture();
  if (source.empty() || name.empty()) return;
  std::wstring file;
  try {
    file = pictureFile(source, name);
  } catch (const RunError&) {
    return;  // a name the archiver cannot be given: nothing to carry
  }
  // A drag that carries no file, or one that is not there, would only
  // offer the target a name to fail on.
  if (file.empty() || !win::fileExists(file)) return;
  // The list lets go of the mouse; the drag takes it from here.
  ReleaseCapture();
  win::dragFileOut(file);
  forgetGoneFile(source, file);
  lvwFile_OLECompleteDrag();
}

void FrmMain::lvwFile_OLECompleteDrag() {
  // The drag swallowed the key release the Shift mode waits for.
  shiftDown_ = true;
  formKeyUp();
}

// A target that moved the file took it away. A member's copy is taken out
// of the archive again when next needed, rather than handed out by name.
void FrmMain::forgetGoneFile(const std::wstring& source, const std::wstring& file) {
  if (win::fileExists(file) || !isArchive(dataType(source))) return;
  extractedFrom_.erase(file);
  if (lastExtracted_ == file) lastExtracted_.clear();
}

}  // namespace rivano
