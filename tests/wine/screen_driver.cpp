// Drives the running program for the screenshots: "options" opens the
// options dialog from the main window's menu, "tab" moves the dialog to its
// next tab as Ctrl+Tab does, "about" opens the version dialog, "shift" and
// "unshift" press and let go the Shift key over the main window, "widen"
// presses the widen button, "plainlist" chooses the plain list view and
// "tile0" to "tile2" choose a tiling mode; every command, "away" alone
// included, first moves the pointer out of the way.
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

void shiftKey(bool down) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = VK_SHIFT;
  in.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
  SendInput(1, &in, sizeof in);
}

// Keys go to the foreground window: they wait until it is the one meant
// (or give up after five seconds and go wherever they go).
void bringToFront(HWND window) {
  SetForegroundWindow(window);
  for (int tries = 0; tries < 250; ++tries) {
    if (GetForegroundWindow() == window) return;
    Sleep(20);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  // The pointer out of the way, so that no tool tip covers a screenshot.
  SetCursorPos(0, 0);
  if (std::strcmp(argv[1], "away") == 0) return 0;
  HWND mainWindow = FindWindowW(L"RivanoMain", nullptr);
  if (std::strcmp(argv[1], "shift") == 0 || std::strcmp(argv[1], "unshift") == 0) {
    if (!mainWindow) return 1;
    bringToFront(mainWindow);
    shiftKey(std::strcmp(argv[1], "shift") == 0);
    return 0;
  }
  if (std::strcmp(argv[1], "widen") == 0 || std::strcmp(argv[1], "plainlist") == 0) {
    if (!mainWindow) return 1;
    const int command = std::strcmp(argv[1], "widen") == 0 ? int{rivano::main_ids::cmdWiden} : int{rivano::main_ids::mnuLstType1};
    PostMessageW(mainWindow, WM_COMMAND, MAKEWPARAM(command, 0), 0);
    return 0;
  }
  if (std::strncmp(argv[1], "tile", 4) == 0 && argv[1][4] >= '0' && argv[1][4] <= '2') {
    if (!mainWindow) return 1;
    PostMessageW(GetDlgItem(mainWindow, rivano::main_ids::optTile0 + (argv[1][4] - '0')), BM_CLICK, 0, 0);
    return 0;
  }
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
    bringToFront(dialog);
    pressCtrlTab();
    return 0;
  }
  return 2;
}
