// The main window moved to a monitor of another DPI, or the scaling
// changed: everything laid out again from its twips at the new DPI.
#include <windows.h>

#include "platform/dpi.h"
#include "resources/resource_ids.h"
#include "ui/main/frm_main.h"

namespace rivano {

void FrmMain::onDpiChanged(WPARAM wParam, LPARAM lParam) {
  const win::DpiChange change = win::dpiChangeOf(wParam, lParam);
  // Before its controls exist the window has nothing of its own to lay out.
  const int old = factory_ ? factory_->dpi() : change.dpi;
  if (change.dpi != old) {
    // Controls first, so that the window's new size finds them in place.
    factory_->rescale(change.dpi);
    lvwMain_.scaleColumns(change.dpi, old);
    lvwFile_.scaleColumns(change.dpi, old);
    makeKindIcons();
    if (tips_) tips_->fitToDpi(change.dpi);
    if (listWide_) showWidenButton(IDB_NARROW, IDS_NARROW_TIP);
    else showWidenButton(IDB_WIDEN, IDS_WIDEN_TIP);
  }
  win::moveToSuggested(hwnd(), change.suggested);
  // The preview box lost its drawing with its old size.
  if (!lastPreviewed_.empty()) {
    lastPreviewed_.clear();
    lvwFile_ItemClick(lvwFile_.selected());
  }
}

}  // namespace rivano
