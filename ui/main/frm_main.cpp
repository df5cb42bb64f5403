#include "ui/main/frm_main.h"

#include "platform/string_table.h"
#include "resources/resource_ids.h"

namespace rivano {

FrmMain::FrmMain(ProgramState& state, Services& services) : state_(state), services_(services) {}

void FrmMain::load() {
  CreateArgs args;
  args.className = L"RivanoMain";
  args.title = win::loadString(IDS_MAIN_TITLE);
  args.icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_RIVANO));
  // 7200 × 6075 twips at the screen's twips per pixel.
  args.width = 7200 / state_.screen.twipsPerPixelX;
  args.height = 6075 / state_.screen.twipsPerPixelY;
  create(args);
}

void FrmMain::show() {
  if (hwnd()) ShowWindow(hwnd(), SW_SHOWNORMAL);
}

void FrmMain::unload() {
  destroy();
  PostQuitMessage(0);
}

LRESULT FrmMain::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    unload();
    return 0;
  }
  return defaultHandling(message, wParam, lParam);
}

}  // namespace rivano
