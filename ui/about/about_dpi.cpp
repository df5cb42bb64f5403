// The version dialog at a new DPI.
#include <windows.h>

#include "platform/dpi.h"
#include "ui/about/frm_about.h"

namespace rivano {

void FrmAbout::onDpiChanged(WPARAM wParam, LPARAM lParam) {
  const win::DpiChange change = win::dpiChangeOf(wParam, lParam);
  // Before its controls exist the dialog has nothing of its own to lay out.
  if (factory_ && change.dpi != factory_->dpi()) {
    factory_->rescale(change.dpi);
    showPicture();
    makeFonts();
    // The link is measured with the new font, over its description.
    placeLink();
  }
  win::moveToSuggested(hwnd(), change.suggested);
}

}  // namespace rivano
