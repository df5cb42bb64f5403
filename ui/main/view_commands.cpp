// The picture list's view commands: widening it over the preview and back,
// and the viewer's menu twin.
#include <windows.h>

#include "platform/controls.h"
#include "platform/dpi.h"
#include "platform/string_table.h"
#include "resources/resource_ids.h"
#include "ui/main/frm_main.h"
#include "ui/main/main_ids.h"
#include "ui/main/main_layout.h"

namespace rivano {

using namespace main_ids;

void FrmMain::showWidenButton(int bitmapId, int tipId) {
  widenBitmap_.reset(win::loadBitmapForDpi(GetModuleHandleW(nullptr), bitmapId, factory_->dpi(),
                                          LR_LOADTRANSPARENT | LR_LOADMAP3DCOLORS));
  SendMessageW(item(cmdWiden), BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(widenBitmap_.get()));
  tips_->set(item(cmdWiden), win::loadString(tipId));
}

// Widened, the list covers the preview with its check box and progress
// bar; they are hidden rather than painted over, so that neither the mouse
// nor Tab reaches a control the user cannot see.
void FrmMain::cmdWiden_Click() {
  using namespace main_layout;
  const bool widen = !listWide_;
  win::TwipsRect list = inPictureFrame(kPictureList);
  list.width = widen ? kPictureListWideWidth : kPictureListWidth;
  if (widen) {
    showWidenButton(IDB_NARROW, IDS_NARROW_TIP);
    for (int id : {picMain, chkViewer, pbrMain}) ShowWindow(item(id), SW_HIDE);
    factory_->move(lvwFile_.hwnd(), list);
    listWide_ = true;
    checkMenu(mnuPicLstWidth, true);
    EnableMenuItem(menu_, mnuPicViewer, MF_BYCOMMAND | MF_GRAYED);
    return;
  }
  showWidenButton(IDB_WIDEN, IDS_WIDEN_TIP);
  factory_->move(lvwFile_.hwnd(), list);
  for (int id : {picMain, chkViewer}) ShowWindow(item(id), SW_SHOW);
  listWide_ = false;
  checkMenu(mnuPicLstWidth, false);
  EnableMenuItem(menu_, mnuPicViewer, MF_BYCOMMAND | MF_ENABLED);
  if (win::isChecked(item(chkViewer))) viewerCheck_Click();
}

// The menu item leads; the check box follows, and its change of value runs
// the viewer switch as a click on it does.
void FrmMain::mnuPicViewer_Click() {
  // Off while the list is wide, whichever way the item was reached.
  if (listWide_) return;
  const bool on = !menuChecked(mnuPicViewer);
  checkMenu(mnuPicViewer, on);
  win::setChecked(item(chkViewer), on);
  viewerCheck_Click();
}

}  // namespace rivano
