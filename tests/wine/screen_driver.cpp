// Drives the running program for the screenshots: "options" opens the
// options dialog from the main window's menu, "tab" moves the dialog to its
// next tab as Ctrl+Tab does, "about" opens the version dialog.
#include <windows.h>

#include <cstring>

#include "ui/main/main_ids.h"

namespace {

void pressCtrlTab() {
  INPUT keys[4] = {};
  const WORD order[4] = {VK_CONTROL, VK_TAB, VK_TAB, VK_CONTROL};
  for (int i = 0; i < 4; ++i) {
    keys[i].type = INPUT_KEYBOARD;
    keys[i].ki.wVk = order[i];
    keys[i].ki.dwFlags = i >= 2 ? KEYEVENTF_KEYUP : 0;
  }
  SendInput(4, keys, sizeof(INPUT));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  if (std::strcmp(argv[1], "options") == 0) {
    HWND main = FindWindowW(L"RivanoMain", nullptr);
    if (!main) return 1;
    PostMessageW(main, WM_COMMAND, MAKEWPARAM(rivano::main_ids::mnuOpOption, 0), 0);
    return 0;
  }
  if (std::strcmp(argv[1], "about") == 0) {
    HWND main = FindWindowW(L"RivanoMain", nullptr);
    if (!main) return 1;
    PostMessageW(main, WM_COMMAND, MAKEWPARAM(rivano::main_ids::mnuHeVer, 0), 0);
    return 0;
  }
  if (std::strcmp(argv[1], "tab") == 0) {
    HWND dialog = FindWindowW(L"RivanoOptions", nullptr);
    if (!dialog) return 1;
    SetForegroundWindow(dialog);
    Sleep(200);
    pressCtrlTab();
    return 0;
  }
  return 2;
}
