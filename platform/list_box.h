// A list box of texts: the history list of the options dialog.
#pragma once

#include <windows.h>

#include <string>

namespace rivano::win {

class ListBox {
 public:
  void attach(HWND list) { list_ = list; }
  HWND hwnd() const { return list_; }
  void insert(int index, const std::wstring& text);
  void remove(int index);
  int count() const;
  int selected() const;  // -1 when none
  void select(int index);  // -1 clears the selection; no LBN_SELCHANGE
  // The item under a point of the list's client area, or -1.
  int itemAt(POINT client) const;

 private:
  HWND list_ = nullptr;
};

}  // namespace rivano::win
