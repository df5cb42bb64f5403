// Files dropped on the main window's lists: folders and archives on the
// folder list are registered; pictures on the picture list are copied into
// the selected folder.
#include <windows.h>

#include <utility>

#include "engine/file_row.h"
#include "engine/path_kind.h"
#include "platform/cursor.h"
#include "platform/file_system.h"
#include "platform/message_box.h"
#include "platform/ole_drop_target.h"
#include "platform/shell_copy.h"
#include "platform/string_table.h"
#include "shell/file_type_name.h"
#include "shell/path_parts.h"
#include "flow/source_listing.h"
#include "ui/main/frm_main.h"
#include "ui/main/main_ids.h"

namespace rivano {

namespace {

constexpr int kNoDropOnArchive = 121;

std::wstring withoutTrailingBackslash(std::wstring path) {
  while (path.size() > 1 && path.back() == L'\\') path.pop_back();
  return path;
}

bool sameName(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                              TRUE) == CSTR_EQUAL;
}

// Whether two spellings name one folder: the file system ignores case and
// a trailing backslash, and so must the test that keeps a picture from
// being copied onto itself.
bool sameFolder(const std::wstring& a, const std::wstring& b) {
  auto full = [](const std::wstring& path) {
    // With its backslash: "C:" alone would name the drive's current folder.
    const std::wstring plain = withoutTrailingBackslash(path) + L"\\";
    const DWORD length = GetFullPathNameW(plain.c_str(), 0, nullptr, nullptr);
    if (length == 0) return withoutTrailingBackslash(plain);
    std::wstring result(length, L'\0');
    result.resize(GetFullPathNameW(plain.c_str(), length, result.data(), nullptr));
    return withoutTrailingBackslash(result);
  };
  return sameName(full(a), full(b));
}

bool isFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

void FrmMain::registerDropTargets() {
  lvwMainDrop_ = std::make_unique<win::FileDropTarget>(
      lvwMain_.hwnd(), [this](std::vector<std::wstring> files) { lvwMain_OLEDragDrop(files); });
  // The picture list of an archive (or of a folder that is gone) takes no
  // drop, and says so whatever is dropped.
  const auto refusesPictures = [this] {
    return !exiting_ && lvwMain_.selected() >= 0 && dataType(selectedSource()) != SourceKind::folder;
  };
  lvwFileDrop_ = std::make_unique<win::FileDropTarget>(
      lvwFile_.hwnd(), [this](std::vector<std::wstring> files) { lvwFile_OLEDragDrop(files); }, refusesPictures);
  // Another program's drag finds the window under the cursor without asking
  // the windows of this one, and so takes the picture frame, which lies
  // above the list, for the window hit: a drop there is a drop on the list.
  fraPicDrop_ = std::make_unique<win::FileDropTarget>(
      item(main_ids::fraPic), [this](std::vector<std::wstring> files) { lvwFile_OLEDragDrop(files); },
      refusesPictures);
  lvwFileDrop_->takeTurnsWith(*lvwMainDrop_);
  fraPicDrop_->takeTurnsWith(*lvwMainDrop_);
}

void FrmMain::revokeDropTargets() {
  lvwMainDrop_.reset();
  lvwFileDrop_.reset();
  fraPicDrop_.reset();
}

void FrmMain::lvwMain_OLEDragDrop(const std::vector<std::wstring>& files) {
  if (files.empty() || exiting_) return;
  int registered = 0;
  {
    win::ScopedHourglass hourglass;
    // Registering shows the defaults in the tile panel: what the user typed
    // there for the current entry is kept first, as a click elsewhere would.
    if (currentEntry_ >= 0) storeTileCounts(static_cast<std::size_t>(currentEntry_));
    for (const std::wstring& path : files) {
      const SourceKind kind = dataType(path);
      if (kind != SourceKind::folder && !isArchive(kind)) continue;  // pictures and other files
      addWallEntry(path);
      ++registered;
    }
  }
  InvalidateRect(lvwMain_.hwnd(), nullptr, TRUE);
  if (registered == 0) return;
  currentEntry_ = -1;
  selectEntry(lvwMain_.count() - 1);
}

void FrmMain::lvwFile_OLEDragDrop(const std::vector<std::wstring>& files) {
  if (exiting_ || lvwMain_.selected() < 0) return;
  const std::wstring target = selectedSource();
  if (dataType(target) != SourceKind::folder) {
    win::showMessage(hwnd(), win::loadString(kNoDropOnArchive), MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  if (files.empty()) return;
  // Pictures of the entry's own folder are there already.
  if (sameFolder(folderOfPath(files.front()), target)) return;
  int shown = -1;
  {
    win::ScopedHourglass hourglass;
    for (const std::wstring& file : files) {
      if (!isPictureName(file) || isFolder(file)) continue;
      // Never a file onto itself, wherever it stands in the list.
      if (sameFolder(folderOfPath(file), target)) continue;
      const std::wstring name = fileNameOfPath(file);
      if (name.empty()) continue;
      const std::wstring copy = withoutTrailingBackslash(target) + L"\\" + name;
      // A refused, failed or cancelled copy adds and selects nothing: the
      // shell has told the user why.
      if (!win::copyFileByShell(hwnd(), file, copy) || !win::fileExists(copy)) continue;
      shown = showDroppedPicture(name, copy);
    }
  }
  if (shown < 0) return;
  selecting_ = true;
  lvwFile_.clearSelection();
  lvwFile_.select(shown);
  lvwFile_.ensureVisible(shown);
  selecting_ = false;
  SetForegroundWindow(hwnd());
  SetFocus(lvwFile_.hwnd());
  lvwFile_ItemClick(shown);
  // A picture the loader refuses is told now, not at some later click.
  lvwFile_Click();
}

// The row of a copied picture: a new name gets a new row at the end,
// whatever the sort; a replaced file's row shows the new file. Returns the
// row.
int FrmMain::showDroppedPicture(const std::wstring& name, const std::wstring& file) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data)) return -1;
  FILETIME local;
  SYSTEMTIME when;
  FileTimeToLocalFileTime(&data.ftLastWriteTime, &local);
  FileTimeToSystemTime(&local, &when);
  const std::uint64_t size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  PictureRow row{name, fileSizeText(size), fileTypeName(services_.system, file),
                 fileDateText(when.wYear, when.wMonth, when.wDay), fileAttributeText(data.dwFileAttributes)};
  // The file system ignores case: "A.JPG" dropped where "a.jpg" is listed
  // replaced that file, and must not list it twice.
  for (std::size_t i = 0; i < pictureRows_.size(); ++i) {
    if (!sameName(pictureRows_[i].name, name)) continue;
    row.name = pictureRows_[i].name;  // the name the folder keeps
    pictureRows_.replace(i, std::move(row));
    // The preview and the manual change must not go on using the picture
    // that was replaced.
    const std::wstring picture = selectedSource() + L"\\" + pictureRows_[i].name;
    if (sameName(lastPreviewed_, picture)) lastPreviewed_.clear();
    if (sameName(imgFilePicture_, picture)) imgFilePicture_.clear();
    lvwFile_.redrawAll();
    return static_cast<int>(i);
  }
  pictureRows_.add(std::move(row));
  lvwFile_.setItemCount(pictureCount());
  lvwFile_.redrawAll();
  return pictureCount() - 1;
}

}  // namespace rivano
