// Child controls made from twips positions, with the window's font and
// tool tips, and small helpers for their text and state.
#pragma once

#include <windows.h>

#include <string>

#include "engine/wallpaper.h"
#include "platform/unique_handle.h"

namespace rivano::win {

struct TwipsRect {
  int left, top, width, height;
};

class ControlFactory {
 public:
  ControlFactory(HWND parent, const ScreenMetrics& screen);
  HWND create(const wchar_t* className, DWORD style, const TwipsRect& where, int id,
              const std::wstring& text = {}, DWORD exStyle = 0) const;
  RECT toPixels(const TwipsRect& r) const;
  int pixelsX(int twips) const { return twips / screen_.twipsPerPixelX; }
  int pixelsY(int twips) const { return twips / screen_.twipsPerPixelY; }
  HFONT font() const { return static_cast<HFONT>(font_.get()); }

 private:
  HWND parent_;
  ScreenMetrics screen_;
  UniqueGdiObject font_;
};

// Tool tips of a window's controls. The controls are not subclassed: the
// message loop relays their mouse messages, which keeps every other
// message to them free of the subclass machinery (costly under Wine).
// Number boxes take their digits from the keyboard alone: without an input
// method, composed text cannot slip past their key filter.
void withoutInputMethod(HWND edit);

class ToolTips {
 public:
  explicit ToolTips(HWND owner);
  ~ToolTips();
  ToolTips(const ToolTips&) = delete;
  ToolTips& operator=(const ToolTips&) = delete;
  void set(HWND control, const std::wstring& text);
  // Called for every message the loop takes; passes on the mouse ones.
  void relay(const MSG& msg) const;
  // Inactive, no tip shows, and one on show goes at once.
  void activate(bool on) const;

 private:
  HWND owner_;
  HWND tips_;
};

std::wstring windowText(HWND hwnd);
void setWindowText(HWND hwnd, const std::wstring& text);
bool isChecked(HWND button);
void setChecked(HWND button, bool checked);

}  // namespace rivano::win
