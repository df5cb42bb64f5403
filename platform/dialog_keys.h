// The keyboard of a dialog for an ordinary top-level window: the message
// loop hands its messages to the dialog manager (IsDialogMessage), which
// asks the window to move the focus; these answer it as a dialog would.
#pragma once

#include <windows.h>

#include <functional>

namespace rivano::win {

// WM_NEXTDLGCTL: Tab and Shift+Tab, arrow keys inside a group, access keys
// of labels and frames. An edit box reached this way has its text selected.
void moveDialogFocus(HWND window, WPARAM wParam, LPARAM lParam);

// The push button that has the focus, or null: Enter presses it, as in a
// dialog where the focused button is the default one.
HWND focusedPushButton(HWND window);

// The message loop of a modal window of our own: runs until `done` is set
// or the window is gone. `route` sees each message first and returns true
// when it has handled it; the rest get the dialog keys and are dispatched.
// A quit ends the loop and is posted again for the loop outside.
void runModalLoop(HWND dialog, const bool& done, const std::function<bool(MSG&)>& route);

// Keeps the control that had the focus when the window is deactivated and
// gives it back on activation (WM_ACTIVATE).
class FocusKeeper {
 public:
  void onActivate(HWND window, WPARAM wParam);
  void remember(HWND control) { saved_ = control; }

 private:
  HWND saved_ = nullptr;
};

}  // namespace rivano::win
