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

void runModalLoop(HWND dialog, const bool& done, const std::function<bool(MSG&)>& route) {
  MSG msg;
  while (!done && IsWindow(dialog)) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    if (route(msg)) continue;
    if (IsWindow(dialog) && IsDialogMessageW(dialog, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
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
