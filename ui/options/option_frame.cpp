#include "ui/options/option_frame.h"

namespace rivano {

bool OptionFrame::create(HWND dialog, const RECT& r, int id) {
  CreateArgs args;
  args.className = L"RivanoOptionsFrame";
  args.style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
  // The dialog keys walk into the frame's controls.
  args.exStyle = WS_EX_CONTROLPARENT;
  args.x = r.left;
  args.y = r.top;
  args.width = r.right - r.left;
  args.height = r.bottom - r.top;
  args.parent = dialog;
  args.menu = reinterpret_cast<HMENU>(static_cast<INT_PTR>(id));
  return Window::create(args);
}

LRESULT OptionFrame::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_DRAWITEM:
      return SendMessageW(GetParent(hwnd()), message, wParam, lParam);
    default:
      return defaultHandling(message, wParam, lParam);
  }
}

}  // namespace rivano
