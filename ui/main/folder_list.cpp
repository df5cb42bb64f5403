// The folder list: the registered sources, their check boxes and icons,
// the random choice at start, and adding, moving and removing entries.
#include <windows.h>
// needs windows.h first
#include <commdlg.h>
#include <shlobj.h>

#include <array>

#include "engine/data_type.h"
#include "platform/file_system.h"
#include "platform/string_table.h"
#include "resources/resource_ids.h"
#include "settings/settings_layout.h"
#include "engine/fair_draw.h"
#include "flow/source_listing.h"
#include "flow/start_draw.h"
#include "ui/main/archiver_notice.h"
#include "ui/main/frm_main.h"
#include "ui/main/main_ids.h"

namespace rivano {

using namespace main_ids;

namespace {

// Frees an item identifier list with the shell's allocator.
struct ItemIdList {
  PIDLIST_ABSOLUTE pidl = nullptr;
  ~ItemIdList() {
    if (pidl) CoTaskMemFree(pidl);
  }
};

}  // namespace

SourceKind FrmMain::dataType(const std::wstring& path) {
  return sourceKindOf(path, win::pathAttributes,
                    [&](int number) { showError(IDS_TITLE_DATA_TYPE, number, PictureAdvice::generic); });
}

void FrmMain::setKindIcon(int listItem, SourceKind kind) {
  lvwMain_.setImage(listItem, rowIndexOf(kind));
  lvwMain_.setText(listItem, 1, std::wstring(kindText(kind)));
}

void FrmMain::loadWallList() {
  SettingsStore store(services_.settings);
  state_.wallList = wallListAtStart(readWallList(store), win::windowsFolder());
  currentEntry_ = -1;
  setupFolderList();

  std::vector<std::size_t> candidates;
  selecting_ = true;
  lvwMain_.clear();
  for (std::size_t i = 0; i < state_.wallList.size(); ++i) {
    const int listItem = lvwMain_.addItem(state_.wallList[i].path);
    const SourceKind kind = dataType(state_.wallList[i].path);
    if (kind == SourceKind::none) continue;  // stays unticked whatever its stored check
    setKindIcon(listItem, kind);
    if (state_.wallList[i].checked) {
      lvwMain_.setChecked(listItem, true);
      candidates.push_back(i);
    }
  }
  selecting_ = false;

  if (state_.skipStartDraw) {
    state_.skipStartDraw = false;
    return;
  }
  std::optional<StartChoice> choice =
      drawAtStart(candidates.size(), extras_, [&] { return poolPick(candidates); }, random_);
  if (!choice) return;
  preselectedPicture_ = std::move(choice->picture);
  selectEntry(static_cast<int>(candidates[choice->candidate]));
  preselectedPicture_.reset();
}

// The start's draw over every checked source's pictures, or over the one
// source drawn first, away from the recent ones when asked, over the
// pictures each list would show.
std::optional<SourcePick> FrmMain::poolPick(const std::vector<std::size_t>& candidates) {
  std::vector<SourceCandidate> sources;
  sources.reserve(candidates.size());
  for (std::size_t i : candidates) sources.push_back({i, state_.wallList[i].path, dataType(state_.wallList[i].path)});
  // The source's own click reports a listing that fails, if the draw lands there.
  const auto listed = [this](const SourceCandidate& s) {
    return withArchiverNotice(hwnd(), [&] {
      return listedPictureNames(*archives_, hwnd(), services_.system, s.path, s.kind,
                                {sortOn_, listSortKey_, listSortOrder_ == 1});
    }, std::vector<std::wstring>{});
  };
  // The load reads the history only after this draw; the draw needs it now.
  const std::vector<std::wstring> history =
      extras_.noRepeat ? readHistory(SettingsStore(services_.settings)) : std::vector<std::wstring>{};
  return drawPictureFromSources(sources, extras_.drawEvenly, extras_.noRepeat, history, listed, random_);
}

void FrmMain::selectEntry(int listItem) {
  selecting_ = true;
  lvwMain_.select(listItem);
  lvwMain_.ensureVisible(listItem);
  selecting_ = false;
  lvwMain_ItemClick(listItem);
}

void FrmMain::lvwMain_ItemClick(int listItem) {
  if (lvwMain_.count() == 0) return;
  if (currentEntry_ >= 0) storeTileCounts(static_cast<std::size_t>(currentEntry_));
  if (currentEntry_ == listItem) return;
  if (!showSourcePictures(lvwMain_.text(listItem))) {
    clearPreview();
    clearPictureList();
    currentEntry_ = -1;
    return;
  }
  const int n = pictureCount();
  if (n == 0) {
    clearPreview();
    return;
  }
  currentEntry_ = listItem;
  showTileSettings(static_cast<std::size_t>(listItem));
  int picture = preselectedPicture_ ? pictureRows_.find(*preselectedPicture_) : -1;
  if (picture < 0) picture = static_cast<int>(random_.pick(static_cast<std::size_t>(n)));
  selectPictureSilently(picture);
  previewResolved_ = false;
  lvwFile_ItemClick(picture);
}

void FrmMain::lvwMain_ItemCheck(int listItem) {
  if (listItem < 0 || static_cast<std::size_t>(listItem) >= state_.wallList.size()) return;
  state_.wallList[static_cast<std::size_t>(listItem)].checked = lvwMain_.checked(listItem);
}

// The dialogs' wide forms: a folder or archive whose name the ANSI code
// page cannot hold is registered as it is, not as question marks.
std::wstring FrmMain::browseForFolder() {
  const std::wstring title = win::loadString(IDS_CHOOSE_FOLDER);
  BROWSEINFOW info{};
  info.hwndOwner = hwnd();
  info.lpszTitle = title.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  ItemIdList chosen{SHBrowseForFolderW(&info)};
  if (!chosen.pidl) return {};
  std::array<wchar_t, MAX_PATH> path{};
  if (!SHGetPathFromIDListW(chosen.pidl, path.data())) return {};
  return path.data();
}

std::wstring FrmMain::chooseArchiveFile() {
  const std::wstring title = win::loadString(IDS_OPEN_ARCHIVE);
  // Display name and pattern, each closed by a NUL, and the list by another.
  std::wstring filter = win::loadString(IDS_ARCHIVE_FILTER_NAME);
  filter.push_back(L'\0');
  filter += archivePattern();
  filter.push_back(L'\0');
  filter.push_back(L'\0');
  std::array<wchar_t, MAX_PATH> file{}, fileTitle{}, current{};
  GetCurrentDirectoryW(static_cast<DWORD>(current.size()), current.data());
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = hwnd();
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrFileTitle = fileTitle.data();
  ofn.nMaxFileTitle = static_cast<DWORD>(fileTitle.size());
  ofn.lpstrInitialDir = current.data();
  ofn.lpstrTitle = title.c_str();
  ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;  // 0x81804
  if (!GetOpenFileNameW(&ofn)) return {};
  return file.data();
}

void FrmMain::addWallEntry(const std::wstring& path) {
  // The table first: the check box below raises its event for this entry.
  state_.wallList.append({path, true, 2, 2, 2});
  selecting_ = true;
  const int listItem = lvwMain_.addItem(path);
  selecting_ = false;
  setKindIcon(listItem, dataType(path));
  lvwMain_.setChecked(listItem, true);
  showTileDefaults();
}

void FrmMain::cmdFolder_Click() { addChosenSource(browseForFolder()); }

void FrmMain::cmdArchiver_Click() { addChosenSource(chooseArchiveFile()); }

void FrmMain::addChosenSource(const std::wstring& path) {
  if (path.empty()) return;  // the dialog was cancelled
  // The counts typed for the current entry are kept before the panel
  // shows the new entry's defaults over them.
  if (currentEntry_ >= 0) storeTileCounts(static_cast<std::size_t>(currentEntry_));
  addWallEntry(path);
  // The panel shows the new entry's defaults: nothing is stored into the
  // previous entry when the new one is selected.
  currentEntry_ = -1;
  selectEntry(lvwMain_.count() - 1);
}

void FrmMain::moveEntry(int from, int to) {
  const std::wstring text = lvwMain_.text(from);
  const std::wstring kind = lvwMain_.text(from, 1);  // as shown
  const bool checked = lvwMain_.checked(from);
  selecting_ = true;
  lvwMain_.deleteItem(from);
  const int moved = lvwMain_.insertItem(to, text, rowIndexOf(kindFromText(kind)));
  lvwMain_.setText(moved, 1, kind);
  lvwMain_.select(moved);
  lvwMain_.ensureVisible(moved);
  state_.wallList.swapEntries(static_cast<std::size_t>(from), static_cast<std::size_t>(to));
  // The current entry moves with its item; the one it changed places with
  // moves the other way.
  if (currentEntry_ == from) currentEntry_ = to;
  else if (currentEntry_ == to) currentEntry_ = from;
  lvwMain_.setChecked(moved, checked);
  selecting_ = false;
}

void FrmMain::cmdUp_Click() {
  const int s = lvwMain_.selected();
  if (lvwMain_.count() == 0 || s <= 0) return;
  moveEntry(s, s - 1);
}

void FrmMain::cmdDown_Click() {
  const int s = lvwMain_.selected();
  if (lvwMain_.count() == 0 || s < 0 || s + 1 >= lvwMain_.count()) return;
  moveEntry(s, s + 1);
}

void FrmMain::cmdDel_Click() {
  const int removed = lvwMain_.selected();
  if (lvwMain_.count() == 0 || removed < 0) return;
  selecting_ = true;
  lvwMain_.deleteItem(removed);
  selecting_ = false;
  state_.wallList.remove(static_cast<std::size_t>(removed));
  currentEntry_ = -1;
  if (lvwMain_.count() == 0) {
    clearPictureList();
    clearPreview();
    return;
  }
  selectEntry(removed < lvwMain_.count() ? removed : removed - 1);
}

}  // namespace rivano
