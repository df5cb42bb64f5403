// One small base for the program's windows: the window procedure finds the
// object through the window's user data and forwards every message to it.
// Nothing thrown inside a handler leaves the window procedure.
#pragma once

#include <windows.h>

#include <string>

namespace rivano::win {

class Window {
 public:
  Window() = default;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  virtual ~Window();

  HWND hwnd() const { return hwnd_; }
  bool isCreated() const { return hwnd_ != nullptr; }
  void destroy();

 protected:
  struct CreateArgs {
    const wchar_t* className = nullptr;
    std::wstring title;
    DWORD style = WS_OVERLAPPEDWINDOW;
    DWORD exStyle = 0;
    int x = CW_USEDEFAULT, y = CW_USEDEFAULT, width = CW_USEDEFAULT, height = CW_USEDEFAULT;
    HWND parent = nullptr;
    HMENU menu = nullptr;
    HICON icon = nullptr;
  };
  // Registers the class once per process and creates the window.
  bool create(const CreateArgs& args);

  virtual LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT defaultHandling(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  static LRESULT CALLBACK procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
  HWND hwnd_ = nullptr;
};

}  // namespace rivano::win
