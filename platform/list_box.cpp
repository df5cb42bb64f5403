#include "platform/list_box.h"

namespace rivano::win {

void ListBox::insert(int index, const std::wstring& text) {
  SendMessageW(list_, LB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.c_str()));
}

void ListBox::remove(int index) { SendMessageW(list_, LB_DELETESTRING, static_cast<WPARAM>(index), 0); }

int ListBox::count() const { return static_cast<int>(SendMessageW(list_, LB_GETCOUNT, 0, 0)); }

int ListBox::selected() const {
  const LRESULT s = SendMessageW(list_, LB_GETCURSEL, 0, 0);
  return s == LB_ERR ? -1 : static_cast<int>(s);
}

void ListBox::select(int index) { SendMessageW(list_, LB_SETCURSEL, static_cast<WPARAM>(index), 0); }

int ListBox::itemAt(POINT client) const {
  const LRESULT r = SendMessageW(list_, LB_ITEMFROMPOINT, 0, MAKELPARAM(client.x, client.y));
  if (HIWORD(r)) return -1;  // outside every item
  const int item = LOWORD(r);
  return item < count() ? item : -1;
}

}  // namespace rivano::win
