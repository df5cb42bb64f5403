// The picture list: the pictures of the current source, their columns,
// sorting and view, and the file on disk behind an item. The rows live in
// pictureRows_; the list control only draws them.
#include <windows.h>
// needs windows.h first
#include <commctrl.h>

#include <new>

#include "archive/archive_access.h"
#include "engine/file_row.h"
#include "engine/path_kind.h"
#include "flow/picture_file.h"
#include "flow/source_listing.h"
#include "platform/collation.h"
#include "platform/controls.h"
#include "platform/cursor.h"
#include "platform/file_system.h"
#include "platform/message_box.h"
#include "resources/resource_ids.h"
#include "common/run_error.h"
#include "shell/file_type_name.h"
#include "shell/folder_pictures.h"
#include "shell/path_parts.h"
#include "shell/shell_helpers.h"
#include "ui/main/archiver_notice.h"
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

bool FrmMain::showSourcePictures(const std::wstring& source) {
  win::ScopedHourglass hourglass;
  try {
    const SourceKind kind = dataType(source);
    if (kind == SourceKind::folder) return listFolder(withBackslash(source));
    if (!isArchive(kind)) return false;
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
  showPictureRows(
      withArchiverNotice(hwnd(), [&] { return listArchivePictures(*archives_, hwnd(), archive); }, PictureRows{}));
  return true;
}

std::wstring FrmMain::pictureFile(const std::wstring& source, const std::wstring& name) {
  const SourceKind kind = dataType(source);
  if (kind == SourceKind::folder) return folderPictureFile(source, name);
  if (!isArchive(kind)) return {};
  // Before the name is used as a path at all: "..\\x" would name a file
  // outside the folder, which the reuse test below would hand out.
  const std::wstring target = memberCopyPath(state_.unpackFolder, name);
  if (target.empty()) return {};
  const auto copy = extractedFrom_.find(target);
  const bool ours = copy != extractedFrom_.end() && copy->second == source;
  if (ours && (target == lastExtracted_ || win::fileExists(target))) return target;
  // A copy of another archive's member of that name is not this picture.
  extractedFrom_.erase(target);
  lastExtracted_ = target;
  if (previewResolved_) {
    // The archiver may take the focus with its own window; give it back.
    EnableWindow(lvwFile_.hwnd(), FALSE);
    EnableWindow(lvwFile_.hwnd(), TRUE);
  }
  const bool taken =
      withArchiverNotice(hwnd(), [&] { return takeOutMember(*archives_, source, name, target); }, false);
  if (previewResolved_) {
    SetForegroundWindow(hwnd());
    SetFocus(lvwFile_.hwnd());
  }
  if (!taken) return {};
  if (win::fileExists(target)) extractedFrom_[target] = source;
  return target;
}

void FrmMain::openSelectedPicture() {
  if (pictureRows_.empty()) return;
  const std::wstring source = selectedSource();
  const std::wstring name = selectedPicture();
  if (source.empty() || name.empty()) return;
  if (dataType(source) == SourceKind::folder) {
    if (const int error = openDocument(withBackslash(source) + name))
      win::showErrorDialog(nullptr, IDS_TITLE_SHELL_EXECUTE, error, PictureAdvice::generic);
    return;
  }
  try {
    // Through the same resolution as the preview: the copy of this very
    // archive, never one of another archive holding that name.
    const std::wstring extracted = pictureFile(source, name);
    if (extracted.empty()) return;
    if (const int error = openDocument(extracted))
      win::showErrorDialog(nullptr, IDS_TITLE_SHELL_EXECUTE, error, PictureAdvice::generic);
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
      if (!(!listWide_ && win::isChecked(item(chkViewer)))) openSelectedPicture();
      return 0;
    case LVN_COLUMNCLICK:
      lvwFile_ColumnClick(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem + 1);
      return 0;
  }
  return 0;
}

void FrmMain::lvwFile_ColumnClick(int column) {
  if (column - 1 == sortKey_) {
    sortOrder_ = sortOrder_ == 0 ? 1 : 0;
    checkMenu(mnuSortOrder0, sortOrder_ == 0);
    checkMenu(mnuSortOrder1, sortOrder_ == 1);
  }
  sortKey_ = static_cast<std::int16_t>(column - 1);
  listSortKey_ = sortKey_;
  listSortOrder_ = sortOrder_;
  sortOn_ = true;
  applySort();
}

void FrmMain::mnuSort_Click(int k) {
  for (int i = 0; i < 6; ++i) checkMenu(mnuSort0 + i, i == k);
  sortKey_ = static_cast<std::int16_t>(k - 1);
  if (sortKey_ <= 0) {
    // The name item too: only a click on the name column sorts by name.
    sortOn_ = false;
    return;
  }
  listSortKey_ = sortKey_;
  listSortOrder_ = sortOrder_;
  sortOn_ = true;
  applySort();
}

void FrmMain::mnuSortOrder_Click(int k) {
  sortOrder_ = static_cast<std::int16_t>(k);
  checkMenu(mnuSortOrder0, k == 0);
  checkMenu(mnuSortOrder1, k == 1);
  listSortOrder_ = static_cast<std::int16_t>(k);
  applySort();
}

void FrmMain::mnuLstType_Click(int k) {
  listView_ = static_cast<std::int16_t>(k);
  checkMenu(mnuLstType0, k == 0);
  checkMenu(mnuLstType1, k == 1);
  lvwFile_.setView(k == 0 ? LV_VIEW_DETAILS : LV_VIEW_SMALLICON);
}

}  // namespace rivano
