// A tab strip: its tabs, the selected one, and the tool tip of each tab
// (the strip asks its parent for a tab's text with TTN_GETDISPINFO).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace rivano::win {

class TabStrip {
 public:
  void attach(HWND strip) { strip_ = strip; }
  HWND hwnd() const { return strip_; }
  // Inserts a tab at `index` (0 first); its key stays with it as item data.
  void insert(int index, const std::wstring& caption);
  void setToolTip(int index, const std::wstring& text);
  int count() const;
  int selected() const;
  // Selects by program: like the system, this sends no TCN_SELCHANGE.
  void select(int index);
  // Rows of tabs change places with the selection: the tools follow.
  void placeToolTips() const;
  // Passes the strip's mouse messages to its tool tip, for strips that
  // leave that to the message loop.
  void relay(const MSG& msg) const;
  // The tool tip answer, when `header` is the strip's tool tip asking.
  bool answerToolTip(NMHDR& header) const;

 private:
  HWND strip_ = nullptr;
  std::vector<std::wstring> tips_;
};

}  // namespace rivano::win
