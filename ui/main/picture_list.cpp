// The picture list: the pictures of the current source, their columns,
// sorting and view, and the file on disk behind an item. The rows live in
// pictureRows_; the list control only draws them.
#include <windows.h>
// needs windows.h first
#include <commctrl.h>

#include <new>

#include "archive/archive_access.h"
#include "archive/member_text.h"
#include "engine/file_row.h"
#include "engine/path_kind.h"
#include "platform/collation.h"
#include "platform/controls.h"
#include "platform/cursor.h"
#include "platform/file_system.h"
#include "resources/resource_ids.h"
#include "common/run_error.h"
#include "shell/file_type_name.h"
#include "shell/folder_pictures.h"
#include "shell/path_parts.h"
#include "shell/shell_helpers.h"
#include "ui/main/frm_main.h"
#include "ui/main/main_ids.h"

namespace rivano {

using namespace main_ids;

std::wstring FrmMain::selectedSource() const {
  const int s = lvwMain_.selected();
  return s < 0 ? std::wstring() : lvwMain_.text(s);
}

std::wstring FrmMain::selectedPicture() const {
  const int s = lvwFile_.selected();
  return pictureRows_.holds(s) ? pictureRows_[static_cast<std::size_t>(s)].name : std::wstring();
}

void FrmMain::clearPictureList() { showPictureRows({}); }

void FrmMain::showPictureRows(PictureRows rows) {
  selecting_ = true;
  lvwFile_.clearSelection();
  pictureRows_ = std::move(rows);
  if (sortOn_) pictureRows_.sort(listSortKey_, listSortOrder_ == 1, win::collationKey, -1);
  lvwFile_.setItemCount(pictureCount());
  lvwFile_.redrawAll();
  selecting_ = false;
}

bool FrmMain::myAccessFile(const std::wstring& source) {
  win::ScopedHourglass hourglass;
  try {
    const std::wstring kind = dataType(source);
    if (kind == L"DIR") return listFolder(withBackslash(source));
    if (!isArchiveKind(kind)) return false;
    return listArchive(source);
  } catch (const RunError& e) {
    showError(IDS_TITLE_ACCESS_FILE, e.number(), PictureAdvice::generic);
    return false;
  } catch (const std::bad_alloc&) {
    showError(IDS_TITLE_ACCESS_FILE, err::outOfMemory, PictureAdvice::generic);
    return false;
  }
}

bool FrmMain::listFolder(const std::wstring& folder) {
  enableFileDeletion(true);
  PictureRows rows;
  // A folder without any plain file leaves the list as it was.
  if (!listFolderPictures(folder, services_.system, rows)) return false;
  showPictureRows(std::move(rows));
  return true;
}

bool FrmMain::listArchive(const std::wstring& archive) {
  enableFileDeletion(false);
  if (!win::fileExists(archive)) return false;
  clearPictureList();
  EnableWindow(lvwFile_.hwnd(), FALSE);
  struct Reenable {
    HWND list;
    ~Reenable() { EnableWindow(list, TRUE); }
  } reenable{lvwFile_.hwnd()};
  showPictureRows(myArchiveRows(*archives_, hwnd(), archive));
  return true;
}

bool FrmMain::isArchiveKind(const std::wstring& kind) const {
  return !kind.empty() && kind != L"DIR" && myArchiveType(kind) == kind;
}

std::wstring FrmMain::myPictureFile(const std::wstring& source, const std::wstring& name) {
  const std::wstring kind = dataType(source);
  if (kind == L"DIR") {
    const std::wstring folder = withBackslash(source);
    // The picture itself, when it is a plain file, answers whether the
    // folder holds one; only otherwise is the folder searched.
    const bool found = win::isNormalFile(folder + name) || win::folderHasNormalFile(folder);
    return found ? folder + name : std::wstring();
  }
  if (!isArchiveKind(kind)) return {};
  // The member's name comes from the archive: before it is used as a path
  // at all, it must stay inside the temporary folder ("..\\x" would name a
  // file outside, which the reuse test below would hand out).
  if (!memberNameStaysInside(name)) return {};
  const std::wstring target = state_.gUnPakTmp + L"\\" + name;
  const auto copy = extractedFrom_.find(target);
  const bool ours = copy != extractedFrom_.end() && copy->second == source;
  if (ours && (target == gLastExtracted || win::fileExists(target))) return target;
  if (myArchiveCheck(*archives_, source) == 0) return {};
  // A copy of another archive's member of that name, or one left by an
  // earlier run, is not this picture.
  extractedFrom_.erase(target);
  DeleteFileW(target.c_str());
  gLastExtracted = target;
  if (state_.gPreviewResolved) {
    // The archiver may take the focus with its own window; give it back.
    EnableWindow(lvwFile_.hwnd(), FALSE);
    EnableWindow(lvwFile_.hwnd(), TRUE);
  }
  const std::wstring extracted = myArchiveExtract(*archives_, source, name);
  if (state_.gPreviewResolved) {
    SetForegroundWindow(hwnd());
    SetFocus(lvwFile_.hwnd());
  }
  if (extracted.empty()) return {};
  if (win::fileExists(target)) extractedFrom_[target] = source;
  return target;
}

void FrmMain::myOpenPicture() {
  if (pictureRows_.empty()) return;
  const std::wstring source = selectedSource();
  const std::wstring name = selectedPicture();
  if (source.empty() || name.empty()) return;
  if (dataType(source) == L"DIR") {
    myShellExecute(withBackslash(source) + name);
    return;
  }
  try {
    // Through the same resolution as the preview: the copy of this very
    // archive, never one of another archive holding that name.
    const std::wstring extracted = myPictureFile(source, name);
    if (!extracted.empty()) myShellExecute(extracted);
  } catch (const RunError& e) {
    showError(IDS_TITLE_SHELL_EXECUTE, e.number(), PictureAdvice::generic);
  }
}

void FrmMain::applySort() {
  if (!sortOn_ || pictureRows_.empty()) return;
  const int before = lvwFile_.selected();
  const int after = pictureRows_.sort(listSortKey_, listSortOrder_ == 1, win::collationKey, before);
  if (after != before) {
    selecting_ = true;
    lvwFile_.clearSelection();
    if (after >= 0) lvwFile_.select(after);
    selecting_ = false;
  }
  lvwFile_.redrawAll();
}

LRESULT FrmMain::onPictureListNotify(NMHDR& header) {
  switch (header.code) {
    case LVN_GETDISPINFOW: {
      auto& request = reinterpret_cast<NMLVDISPINFOW&>(header);
      if (pictureRows_.holds(request.item.iItem))
        win::answerDisplayText(request, pictureRows_[static_cast<std::size_t>(request.item.iItem)].column(
                                            request.item.iSubItem));
      return 0;
    }
    case LVN_ODFINDITEMW: {
      // Typing the start of a name moves to it, as in any list.
      const auto& find = reinterpret_cast<const NMLVFINDITEMW&>(header);
      if (!(find.lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) || !find.lvfi.psz) return -1;
      return pictureRows_.findPrefix(find.lvfi.psz, find.iStart, (find.lvfi.flags & LVFI_WRAP) != 0,
                                     win::startsWithIgnoringCase);
    }
    case LVN_ITEMCHANGED: {
      const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
      if (!selecting_ && change.iItem >= 0 && (change.uNewState & LVIS_SELECTED) &&
          !(change.uOldState & LVIS_SELECTED))
        lvwFile_ItemClick(change.iItem);
      return 0;
    }
    case NM_CLICK: lvwFile_Click(); return 0;
    case NM_DBLCLK:
      if (!(!state_.gListWide && win::isChecked(item(chkViwerON)))) myOpenPicture();
      return 0;
    case LVN_COLUMNCLICK:
      lvwFile_ColumnClick(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem + 1);
      return 0;
  }
  return 0;
}

void FrmMain::lvwFile_ColumnClick(int column) {
  if (column - 1 == state_.gSortKey) {
    state_.gSortOrder = state_.gSortOrder == 0 ? 1 : 0;
    checkMenu(mnuSortOrder0, state_.gSortOrder == 0);
    checkMenu(mnuSortOrder1, state_.gSortOrder == 1);
  }
  state_.gSortKey = static_cast<std::int16_t>(column - 1);
  listSortKey_ = state_.gSortKey;
  listSortOrder_ = state_.gSortOrder;
  sortOn_ = true;
  applySort();
}

void FrmMain::mnuSort_Click(int k) {
  for (int i = 0; i < 6; ++i) checkMenu(mnuSort0 + i, i == k);
  state_.gSortKey = static_cast<std::int16_t>(k - 1);
  if (state_.gSortKey <= 0) {
    // The name item too: only a click on the name column sorts by name.
    sortOn_ = false;
    return;
  }
  listSortKey_ = state_.gSortKey;
  listSortOrder_ = state_.gSortOrder;
  sortOn_ = true;
  applySort();
}

void FrmMain::mnuSortOrder_Click(int k) {
  state_.gSortOrder = static_cast<std::int16_t>(k);
  checkMenu(mnuSortOrder0, k == 0);
  checkMenu(mnuSortOrder1, k == 1);
  listSortOrder_ = static_cast<std::int16_t>(k);
  applySort();
}

void FrmMain::mnuLstType_Click(int k) {
  state_.gListView = static_cast<std::int16_t>(k);
  checkMenu(mnuLstType0, k == 0);
  checkMenu(mnuLstType1, k == 1);
  lvwFile_.setView(k == 0 ? LV_VIEW_DETAILS : LV_VIEW_SMALLICON);
}

}  // namespace rivano
