#include "platform/window.h"

#include <cstdio>
#include <exception>

namespace rivano::win {

Window::~Window() { destroy(); }

void Window::destroy() {
  if (hwnd_) DestroyWindow(hwnd_);
}

bool Window::create(const CreateArgs& args) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW existing{sizeof existing};
  if (!GetClassInfoExW(instance, args.className, &existing)) {
    WNDCLASSEXW wc{sizeof wc};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &Window::procedure;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = args.className;
    wc.hIcon = args.icon;
    wc.hIconSm = args.icon;
    if (!RegisterClassExW(&wc)) return false;
  }
  return CreateWindowExW(args.exStyle, args.className, args.title.c_str(), args.style, args.x, args.y,
                         args.width, args.height, args.parent, args.menu, instance, this) != nullptr;
}

LRESULT Window::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return defaultHandling(message, wParam, lParam);
}

LRESULT Window::defaultHandling(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK Window::procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (message == WM_NCCREATE) {
    self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
  LRESULT result = 0;
  try {
    result = self->handleMessage(message, wParam, lParam);
  } catch (const std::exception& e) {
    // Handlers catch their own run-time errors; anything else is a defect
    // we record rather than let unwind through the system's code.
    OutputDebugStringA(e.what());
    result = DefWindowProcW(hwnd, message, wParam, lParam);
  } catch (...) {
    OutputDebugStringA("unexpected exception in a window procedure");
    result = DefWindowProcW(hwnd, message, wParam, lParam);
  }
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
  }
  return result;
}

}  // namespace rivano::win
