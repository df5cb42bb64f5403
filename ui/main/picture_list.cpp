// The picture list: the pictures of the current source, their columns,
// sorting and view, and the file on disk behind an item.
#include <windows.h>
// needs windows.h first
#include <commctrl.h>

#include <map>
#include <new>

#include "archive/archive_access.h"
#include "engine/file_row.h"
#include "engine/path_kind.h"
#include "platform/controls.h"
#include "platform/cursor.h"
#include "platform/file_system.h"
#include "resources/resource_ids.h"
#include "settings/run_error.h"
#include "shell/file_type_name.h"
#include "shell/path_parts.h"
#include "shell/shell_helpers.h"
#include "ui/main/frm_main.h"
#include "ui/main/main_ids.h"

namespace rivano {

using namespace main_ids;

namespace {

std::wstring withBackslash(std::wstring path) {
  if (path.empty() || path.back() != L'\\') path += L'\\';
  return path;
}

// Rows of an archive's listing go straight into the list view.
class ListViewRows final : public PictureListRows {
 public:
  explicit ListViewRows(win::ListView& list) : list_(list) {}
  void addRow(const std::wstring& name, const std::wstring& size, const std::wstring& type,
              const std::wstring& date, const std::wstring& attributes) override {
    const int row = list_.addItem(name);
    list_.setText(row, 1, size);
    list_.setText(row, 2, type);
    list_.setText(row, 3, date);
    list_.setText(row, 4, attributes);
  }

 private:
  win::ListView& list_;
};

}  // namespace

std::wstring FrmMain::selectedSource() const {
  const int s = lvwMain_.selected();
  return s < 0 ? std::wstring() : lvwMain_.text(s);
}

std::wstring FrmMain::selectedPicture() const {
  const int s = lvwFile_.selected();
  return s < 0 ? std::wstring() : lvwFile_.text(s);
}

void FrmMain::clearPictureList() {
  selecting_ = true;
  lvwFile_.clear();
  selecting_ = false;
}

bool FrmMain::myAccessFile(const std::wstring& source) {
  win::ScopedHourglass hourglass;
  try {
    const std::wstring kind = dataType(source);
    if (kind == L"DIR") {
      EnableWindow(item(cmdFilDel), TRUE);
      const std::wstring folder = withBackslash(source);
      if (!win::folderHasNormalFile(folder)) return false;
      clearPictureList();
      ShowWindow(lvwFile_.hwnd(), SW_HIDE);
      SendMessageW(lvwFile_.hwnd(), WM_SETREDRAW, FALSE, 0);
      // One class-table lookup per extension, not per file: a folder of
      // thousands of JPEGs asks the registry once.
      std::map<std::wstring, std::wstring> typeNames;
      WIN32_FIND_DATAW data;
      HANDLE find = FindFirstFileW((folder + L"*.*").c_str(), &data);
      if (find != INVALID_HANDLE_VALUE) {
        do {
          // Read-only, hidden and system files are listed; folders are not.
          if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
          const std::wstring name = data.cFileName;
          if (!myPictureCheck(name)) continue;
          FILETIME local;
          SYSTEMTIME when;
          FileTimeToLocalFileTime(&data.ftLastWriteTime, &local);
          FileTimeToSystemTime(&local, &when);
          const std::uint64_t size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
          selecting_ = true;
          const int row = lvwFile_.addItem(name);
          selecting_ = false;
          lvwFile_.setText(row, 1, fileSizeText(size));
          const std::wstring extension = myPathExt(name);
          auto type = typeNames.find(extension);
          if (type == typeNames.end())
            type = typeNames.emplace(extension, myFileTypeName(services_.registry, folder + name)).first;
          lvwFile_.setText(row, 2, type->second);
          lvwFile_.setText(row, 3, fileDateText(when.wYear, when.wMonth, when.wDay));
          lvwFile_.setText(row, 4, fileAttributeText(data.dwFileAttributes));
        } while (FindNextFileW(find, &data));
        FindClose(find);
      }
      SendMessageW(lvwFile_.hwnd(), WM_SETREDRAW, TRUE, 0);
      ShowWindow(lvwFile_.hwnd(), SW_SHOW);
      applySort();
      return true;
    }
    if (!isArchiveKind(kind)) return false;
    EnableWindow(item(cmdFilDel), FALSE);
    if (!win::fileExists(source)) return false;
    clearPictureList();
    EnableWindow(lvwFile_.hwnd(), FALSE);
    ListViewRows rows(lvwFile_);
    selecting_ = true;
    try {
      myArchiveList(*archives_, hwnd(), rows, source);
    } catch (...) {
      selecting_ = false;
      EnableWindow(lvwFile_.hwnd(), TRUE);
      throw;
    }
    selecting_ = false;
    EnableWindow(lvwFile_.hwnd(), TRUE);
    applySort();
    return true;
  } catch (const RunError& e) {
    SendMessageW(lvwFile_.hwnd(), WM_SETREDRAW, TRUE, 0);
    ShowWindow(lvwFile_.hwnd(), SW_SHOW);
    selecting_ = false;
    showError(IDS_TITLE_ACCESS_FILE, e.number(), PictureAdvice::generic);
    return false;
  } catch (const std::bad_alloc&) {
    SendMessageW(lvwFile_.hwnd(), WM_SETREDRAW, TRUE, 0);
    ShowWindow(lvwFile_.hwnd(), SW_SHOW);
    selecting_ = false;
    showError(IDS_TITLE_ACCESS_FILE, err::outOfMemory, PictureAdvice::generic);
    return false;
  }
}

bool FrmMain::isArchiveKind(const std::wstring& kind) const {
  return !kind.empty() && kind != L"DIR" && myArchiveType(kind) == kind;
}

std::wstring FrmMain::myPictureFile(const std::wstring& source, const std::wstring& name) {
  const std::wstring kind = dataType(source);
  if (kind == L"DIR") {
    const std::wstring folder = withBackslash(source);
    return win::folderHasNormalFile(folder) ? folder + name : std::wstring();
  }
  if (!isArchiveKind(kind)) return {};
  const std::wstring target = state_.gUnPakTmp + L"\\" + name;
  if (target == gLastExtracted) return target;
  if (win::fileExists(target)) return target;
  if (myArchiveCheck(*archives_, source) == 0) return {};
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
  // A member whose name would leave the folder is refused: no file.
  return extracted.empty() ? std::wstring() : target;
}

void FrmMain::myOpenPicture() {
  if (lvwFile_.count() == 0) return;
  const std::wstring source = selectedSource();
  const std::wstring name = selectedPicture();
  if (source.empty() || name.empty()) return;
  if (dataType(source) == L"DIR") {
    myShellExecute(withBackslash(source) + name);
    return;
  }
  const std::wstring extracted = myArchiveExtract(*archives_, source, name);
  if (!extracted.empty()) myShellExecute(extracted);
}

void FrmMain::applySort() {
  if (!sortOn_) return;
  selecting_ = true;
  lvwFile_.sortByColumn(listSortKey_, listSortOrder_ == 1);
  selecting_ = false;
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
