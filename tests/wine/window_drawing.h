// Reading what windows show. A window of this process is read from its own
// drawing, which no other window, tool tip or pointer can cover; a window
// of another process only from the screen, and only where nothing lies
// over it, since Wine neither prints another process's window nor keeps
// what is covered.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <thread>
#include <vector>

namespace rivano::testing {

// A window of the program's code run on a thread of the test: `run` shows
// it and returns when it closes. The window is found by its class once it
// shows; on destruction it is closed and the thread joined.
class WindowOnThread {
 public:
  WindowOnThread(std::function<void()> run, const wchar_t* className, DWORD milliseconds);
  ~WindowOnThread();
  WindowOnThread(const WindowOnThread&) = delete;
  WindowOnThread& operator=(const WindowOnThread&) = delete;
  HWND window() const { return window_; }
  HWND control(int id) const { return GetDlgItem(window_, id); }

 private:
  std::thread thread_;
  HWND window_ = nullptr;
};

// True once neither the window nor any of its children waits for a paint.
bool paintedAll(HWND window);

// The pixels a window of this process has painted of itself, frame and
// controls included, copied from the window's own surface into a bitmap
// of the test.
class WindowDrawing {
 public:
  explicit WindowDrawing(HWND window);
  bool read() const { return read_; }
  // The colour at a point of the screen inside the window.
  COLORREF at(POINT screen) const;
  // How many pixels of the colour lie inside a part of the window, given
  // in screen coordinates.
  int count(const RECT& screen, COLORREF colour) const;
  int count(HWND control, COLORREF colour) const;

 private:
  RECT outer_{};
  int width_ = 0;
  int height_ = 0;
  bool read_ = false;
  std::vector<std::uint32_t> pixels_;
};

// The colour the screen shows at a point, read only while the top-level
// window there is the given window's own: nothing (a tool tip, a box,
// another program) covers the spot.
std::optional<COLORREF> uncoveredPixel(HWND window, POINT screen);
// The colour at the middle of a control, read the same way.
std::optional<COLORREF> uncoveredCentre(HWND control);
// True while the window's own top-level window lies over the corners and
// the middle of a part of the screen.
bool uncovered(HWND window, const RECT& screen);

}  // namespace rivano::testing
