#include "platform/list_view.h"

#include <algorithm>
#include <vector>

#include "common/dpi_scale.h"
#include "platform/dpi.h"
#include "platform/unique_handle.h"

namespace rivano::win {

void ListView::addColumn(const std::wstring& text, int widthPixels, int format) {
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
  column.fmt = format;
  column.cx = widthPixels;
  column.pszText = const_cast<wchar_t*>(text.c_str());
  const int index = Header_GetItemCount(ListView_GetHeader(hwnd_));
  SendMessageW(hwnd_, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column));
}

int ListView::count() const { return static_cast<int>(SendMessageW(hwnd_, LVM_GETITEMCOUNT, 0, 0)); }

int ListView::insertItem(int index, const std::wstring& text, int image) {
  LVITEMW item{};
  // Without an explicit image an item shows image 0, the folder icon.
  item.mask = LVIF_TEXT | LVIF_IMAGE;
  item.iItem = index;
  item.pszText = const_cast<wchar_t*>(text.c_str());
  item.iImage = image >= 0 ? image : I_IMAGENONE;
  return static_cast<int>(SendMessageW(hwnd_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

void ListView::setText(int item, int column, const std::wstring& text) {
  LVITEMW lv{};
  lv.iSubItem = column;
  lv.pszText = const_cast<wchar_t*>(text.c_str());
  SendMessageW(hwnd_, LVM_SETITEMTEXTW, item, reinterpret_cast<LPARAM>(&lv));
}

std::wstring ListView::text(int item, int column) const {
  std::vector<wchar_t> buffer(1024);
  for (;;) {
    LVITEMW lv{};
    lv.iSubItem = column;
    lv.pszText = buffer.data();
    lv.cchTextMax = static_cast<int>(buffer.size());
    const int n = static_cast<int>(SendMessageW(hwnd_, LVM_GETITEMTEXTW, item, reinterpret_cast<LPARAM>(&lv)));
    if (n < static_cast<int>(buffer.size()) - 1) return std::wstring(buffer.data(), static_cast<std::size_t>(n));
    buffer.resize(buffer.size() * 4);
  }
}

void ListView::setImage(int item, int image) {
  LVITEMW lv{};
  lv.mask = LVIF_IMAGE;
  lv.iItem = item;
  lv.iImage = image >= 0 ? image : I_IMAGENONE;
  SendMessageW(hwnd_, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&lv));
}

void ListView::deleteItem(int item) { SendMessageW(hwnd_, LVM_DELETEITEM, item, 0); }
void ListView::clear() { SendMessageW(hwnd_, LVM_DELETEALLITEMS, 0, 0); }

void ListView::setItemCount(int n) { SendMessageW(hwnd_, LVM_SETITEMCOUNT, static_cast<WPARAM>(n), 0); }

void ListView::redrawAll() { InvalidateRect(hwnd_, nullptr, TRUE); }

void ListView::clearSelection() {
  LVITEMW lv{};
  lv.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  lv.state = 0;
  SendMessageW(hwnd_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&lv));
}

void answerDisplayText(NMLVDISPINFOW& request, const std::wstring& text) {
  if (!(request.item.mask & LVIF_TEXT) || !request.item.pszText || request.item.cchTextMax <= 0) return;
  const std::size_t room = static_cast<std::size_t>(request.item.cchTextMax) - 1;
  const std::size_t n = std::min(room, text.size());
  text.copy(request.item.pszText, n);
  request.item.pszText[n] = L'\0';
}

int ListView::selected() const {
  return static_cast<int>(SendMessageW(hwnd_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void ListView::select(int item) {
  LVITEMW lv{};
  lv.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  lv.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(hwnd_, LVM_SETITEMSTATE, item, reinterpret_cast<LPARAM>(&lv));
}

void ListView::ensureVisible(int item) { SendMessageW(hwnd_, LVM_ENSUREVISIBLE, item, FALSE); }

bool ListView::checked(int item) const {
  const auto state = SendMessageW(hwnd_, LVM_GETITEMSTATE, item, LVIS_STATEIMAGEMASK);
  return ((state & LVIS_STATEIMAGEMASK) >> 12) == 2;
}

void ListView::setChecked(int item, bool on) {
  LVITEMW lv{};
  lv.stateMask = LVIS_STATEIMAGEMASK;
  lv.state = INDEXTOSTATEIMAGEMASK(on ? 2 : 1);
  SendMessageW(hwnd_, LVM_SETITEMSTATE, item, reinterpret_cast<LPARAM>(&lv));
}

void ListView::setView(DWORD view) { SendMessageW(hwnd_, LVM_SETVIEW, view, 0); }

void ListView::scaleColumns(int to, int from) {
  if (to <= 0 || from <= 0 || to == from) return;
  const int columns = Header_GetItemCount(ListView_GetHeader(hwnd_));
  for (int i = 0; i < columns; ++i) {
    const int width = static_cast<int>(SendMessageW(hwnd_, LVM_GETCOLUMNWIDTH, i, 0));
    SendMessageW(hwnd_, LVM_SETCOLUMNWIDTH, i, MAKELPARAM(MulDiv(width, to, from), 0));
  }
}

ImageList::ImageList(int basePixels, int dpi, int capacity)
    : dpi_(dpi),
      size_(picturePixels(basePixels, dpi)),
      list_(ImageList_Create(size_, size_, ILC_COLOR24 | ILC_MASK, capacity, 4)) {}

ImageList::~ImageList() {
  if (list_) ImageList_Destroy(list_);
}

int ImageList::addBitmapResource(int id) {
  UniqueGdiObject bitmap(loadBitmapForDpi(GetModuleHandleW(nullptr), id, dpi_, LR_CREATEDIBSECTION));
  if (!bitmap || !list_) return -1;
  return ImageList_AddMasked(list_, static_cast<HBITMAP>(bitmap.get()), RGB(0, 255, 0));
}

HIMAGELIST ImageList::release() {
  HIMAGELIST list = list_;
  list_ = nullptr;
  return list;
}

}  // namespace rivano::win
