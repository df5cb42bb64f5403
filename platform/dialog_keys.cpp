#include "platform/dialog_keys.h"

namespace rivano::win {
namespace {

bool isEditBox(HWND control) {
  return (SendMessageW(control, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) != 0;
}

void focusControl(HWND control) {
  if (!control) return;
  SetFocus(control);
  if (isEditBox(control)) SendMessageW(control, EM_SETSEL, 0, -1);
}

}  // namespace

void moveDialogFocus(HWND window, WPARAM wParam, LPARAM lParam) {
  if (LOWORD(lParam)) {
    // A given control: the arrow keys of a group and access keys.
    focusControl(reinterpret_cast<HWND>(wParam));
    return;
  }
  HWND current = GetFocus();
  if (!current || !IsChild(window, current)) current = nullptr;
  focusControl(GetNextDlgTabItem(window, current, wParam != 0));
}

HWND focusedPushButton(HWND window) {
  HWND focus = GetFocus();
  if (!focus || !IsChild(window, focus)) return nullptr;
  const LRESULT code = SendMessageW(focus, WM_GETDLGCODE, 0, 0);
  return (code & (DLGC_UNDEFPUSHBUTTON | DLGC_DEFPUSHBUTTON)) ? focus : nullptr;
}

void FocusKeeper::onActivate(HWND window, WPARAM wParam) {
  if (LOWORD(wParam) == WA_INACTIVE) {
    HWND focus = GetFocus();
    if (focus && IsChild(window, focus)) saved_ = focus;
    return;
  }
  if (HIWORD(wParam)) return;  // minimised: the focus stays with the frame
  if (!saved_ || !IsWindow(saved_) || !IsWindowEnabled(saved_) || !IsWindowVisible(saved_))
    saved_ = GetNextDlgTabItem(window, nullptr, FALSE);
  if (saved_) SetFocus(saved_);
}

}  // namespace rivano::win
