// The Shift mode of the main window: while Shift is held, the delete button
// deletes for good and the close button closes without a wallpaper change.
#include <windows.h>

#include "platform/controls.h"
#include "platform/string_table.h"
#include "resources/resource_ids.h"
#include "ui/main/frm_main.h"
#include "ui/main/main_ids.h"
#include "ui/main/main_layout.h"

namespace rivano {

using namespace main_ids;

void FrmMain::previewKey(const MSG& msg) {
  if (!hwnd() || (msg.hwnd != hwnd() && !IsChild(hwnd(), msg.hwnd))) return;
  if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) {
    const int shift = (GetKeyState(VK_SHIFT) & 0x8000) || msg.wParam == VK_SHIFT ? 1 : 0;
    formKeyDown(static_cast<int>(msg.wParam), shift);
  } else if (msg.message == WM_KEYUP || msg.message == WM_SYSKEYUP) {
    formKeyUp();
  }
}

void FrmMain::formKeyDown(int keyCode, int shift) {
  if (keyCode == VK_ESCAPE) {
    PostMessageW(hwnd(), WM_COMMAND, cmdEnd, 0);
    return;
  }
  if (shiftDown_ || !(shift & 1)) return;
  shiftDown_ = true;
  win::setWindowText(item(cmdFilDel), win::loadString(IDS_DELETE_FOR_GOOD));
  factory_->move(item(cmdEnd), main_layout::inPictureFrame(main_layout::kCloseButtonShifted));
  win::setWindowText(item(cmdEnd), win::loadString(IDS_CHANGE_AND_LINE1) + L"\r\n" + win::loadString(IDS_CHANGE_AND_LINE2) + L"\r\n" +
                                       win::loadString(IDS_CLOSE));
}

void FrmMain::formKeyUp() {
  if (!shiftDown_) return;
  shiftDown_ = false;
  win::setWindowText(item(cmdFilDel), win::loadString(IDS_NOT_WANTED));
  win::setWindowText(item(cmdEnd), win::loadString(IDS_CLOSE));
  factory_->move(item(cmdEnd), main_layout::inPictureFrame(main_layout::kCloseButton));
}

void FrmMain::endShiftMode() {
  shiftDown_ = true;
  formKeyUp();
}

}  // namespace rivano
