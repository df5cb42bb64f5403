// The options dialog at a new DPI: the dialog, its frames and their
// controls laid out again from their twips, each tab's frame where the
// chosen tab has put it.
#include <windows.h>

#include "platform/dpi.h"
#include "ui/options/frm_options.h"

namespace rivano {

void FrmOptions::onDpiChanged(WPARAM wParam, LPARAM lParam) {
  const win::DpiChange change = win::dpiChangeOf(wParam, lParam);
  // Before its controls exist the dialog has nothing of its own to lay out.
  if (factory_ && change.dpi != factory_->dpi()) {
    factory_->rescale(change.dpi);
    for (const auto& frameFactory : frameFactories_)
      if (frameFactory) frameFactory->rescale(change.dpi);
    // The margin's inner rectangle is placed by the margin shown.
    showMargin(state_.marginPercent);
    tbsOptions_.placeToolTips();
    if (tips_) tips_->fitToDpi(change.dpi);
  }
  win::moveToSuggested(hwnd(), change.suggested);
  // The history's preview box lost its drawing with its old size.
  if (!lastPreviewed_.empty()) {
    lastPreviewed_.clear();
    historyList_Click();
  }
}

}  // namespace rivano
