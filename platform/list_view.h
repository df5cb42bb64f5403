// The list view control as the two lists of the main window use it: report
// or list view, check boxes, icons by kind, columns, sorting by the text of
// a column. The picture list is an owner-data list: its rows live with the
// program and the control holds only their number and the selection.
#pragma once

#include <windows.h>
// needs windows.h first
#include <commctrl.h>

#include <string>

namespace rivano::win {

class ListView {
 public:
  void attach(HWND hwnd) { hwnd_ = hwnd; }
  HWND hwnd() const { return hwnd_; }

  void addColumn(const std::wstring& text, int widthPixels, int format);
  int count() const;
  // Appends (or inserts at `index`) an item; returns its index. An image
  // below 0 means no icon at all.
  int insertItem(int index, const std::wstring& text, int image = -1);
  int addItem(const std::wstring& text, int image = -1) { return insertItem(count(), text, image); }
  void setText(int item, int column, const std::wstring& text);
  std::wstring text(int item, int column = 0) const;
  void setImage(int item, int image);
  void deleteItem(int item);
  void clear();

  // Owner-data lists: the number of rows, set in one message, and a repaint
  // after the program changed their order or text.
  void setItemCount(int count);
  void redrawAll();
  void clearSelection();

  int selected() const;  // -1 when none
  void select(int item);
  void ensureVisible(int item);

  bool checked(int item) const;
  void setChecked(int item, bool checked);

  void setView(DWORD view);  // LV_VIEW_DETAILS, LV_VIEW_LIST, LV_VIEW_SMALLICON
  // Every column's width times to / from, as a change of DPI asks.
  void scaleColumns(int to, int from);

 private:
  HWND hwnd_ = nullptr;
};

// Answers a list's request for the text of one cell of an owner-data row:
// copied into the control's buffer, cut to fit.
void answerDisplayText(NMLVDISPINFOW& request, const std::wstring& text);

// An image list of bitmap resources with green as the mask colour, of the
// pictures drawn for one DPI.
class ImageList {
 public:
  // Images `basePixels` square at 100 %, at the size drawn nearest `dpi`.
  ImageList(int basePixels, int dpi, int capacity);
  ~ImageList();
  ImageList(const ImageList&) = delete;
  ImageList& operator=(const ImageList&) = delete;
  // Returns the image's index, or -1 when the bitmap could not be loaded.
  int addBitmapResource(int id);
  int size() const { return size_; }
  HIMAGELIST handle() const { return list_; }
  // The list view takes shared lists; this object keeps ownership.
  HIMAGELIST release();

 private:
  int dpi_;
  int size_;
  HIMAGELIST list_;
};

}  // namespace rivano::win
