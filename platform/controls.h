// Child controls made from twips positions, with the window's font and
// tool tips, and small helpers for their text and state.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "platform/unique_handle.h"

namespace rivano::win {

struct TwipsRect {
  int left, top, width, height;
};

// Makes a window's controls at the window's own DPI and keeps each one's
// place in twips, so that a change of DPI (the window moved to another
// monitor, the scaling changed) lays every control out again from its
// twips rather than from rounded pixels.
class ControlFactory {
 public:
  ControlFactory(HWND parent, int dpi);
  HWND create(const wchar_t* className, DWORD style, const TwipsRect& where, int id,
              const std::wstring& text = {}, DWORD exStyle = 0) const;
  // A control made elsewhere (a window class of ours) joins the layout.
  void keep(HWND control, const TwipsRect& where) const;
  // Moves a control at run time; a later change of DPI keeps the new place.
  void move(HWND control, const TwipsRect& where) const;
  // The same for a kept control keeping its size.
  void moveTo(HWND control, int left, int top) const;
  // Every kept control to its place at `dpi`, with the font made anew; a
  // control showing another font than ours keeps it (its owner remakes it).
  void rescale(int dpi);
  int dpi() const { return dpi_; }
  RECT toPixels(const TwipsRect& r) const;
  int pixelsX(int twips) const;
  int pixelsY(int twips) const;
  HFONT font() const { return static_cast<HFONT>(font_.get()); }

 private:
  struct Placement {
    HWND control;
    TwipsRect where;
  };
  HWND parent_;
  int dpi_;
  UniqueGdiObject font_;
  // Bookkeeping of what was made, not part of how the factory makes it:
  // kept by the const creating calls.
  mutable std::vector<Placement> placed_;
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
  // Long tips wrap at the same width in inches at any DPI.
  void fitToDpi(int dpi) const;

 private:
  HWND owner_;
  HWND tips_;
};

std::wstring windowText(HWND hwnd);
void setWindowText(HWND hwnd, const std::wstring& text);
bool isChecked(HWND button);
void setChecked(HWND button, bool checked);

}  // namespace rivano::win
