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
#include "shell/folder_pictures.h"
#include "platform/collation.h"
#include "shell/path_parts.h"
#include "common/run_error.h"
#include "ui/main/frm_main.h"
#include "ui/main/main_ids.h"

namespace rivano {

using namespace main_ids;

namespace {

constexpr std::array<const wchar_t*, 9> kKinds = {L"DIR", L"LZH", L"ARJ", L"ZIP", L"CAB",
                                                  L"TAR", L"TGZ", L"BZ2", L"RAR"};

int kindImage(const std::wstring& kind) {
  for (std::size_t i = 0; i < kKinds.size(); ++i)
    if (kind == kKinds[i]) return static_cast<int>(i);
  return -1;
}

// Frees an item identifier list with the shell's allocator.
struct ItemIdList {
  PIDLIST_ABSOLUTE pidl = nullptr;
  ~ItemIdList() {
    if (pidl) CoTaskMemFree(pidl);
  }
};

}  // namespace

std::wstring FrmMain::dataType(const std::wstring& path) {
  return myDataType(path, win::pathAttributes,
                    [&](int number) { showError(IDS_TITLE_DATA_TYPE, number, PictureAdvice::generic); });
}

void FrmMain::setKindIcon(int listItem, const std::wstring& kind) {
  lvwMain_.setImage(listItem, kindImage(kind));
  lvwMain_.setText(listItem, 1, kind);
}

void FrmMain::myLoadWallList() {
  SettingsStore store(services_.settings);
  state_.wall = wallListAtStart(readWallList(store), win::windowsFolder());
  state_.gEntryCount = static_cast<std::int16_t>(state_.wall.size());
  state_.gCurEntry = -1;
  setupFolderList();

  std::vector<std::size_t> candidates;
  selecting_ = true;
  lvwMain_.clear();
  for (std::size_t i = 0; i < state_.wall.size(); ++i) {
    const int listItem = lvwMain_.addItem(state_.wall.gList[i]);
    const std::wstring kind = dataType(state_.wall.gList[i]);
    if (kind.empty()) continue;  // stays unticked whatever its stored check
    setKindIcon(listItem, kind);
    if (state_.wall.gLSelect[i]) {
      lvwMain_.setChecked(listItem, true);
      candidates.push_back(i);
    }
  }
  selecting_ = false;

  if (state_.gNoRandom) {
    state_.gNoRandom = false;
    return;
  }
  if (candidates.empty()) return;
  if (extras_.drawEvenly || extras_.noRepeat) {
    preselectFromPool(candidates);
    return;
  }
  selectEntry(static_cast<int>(candidates[random_.pick(candidates.size())]));
}

// The start's draw over every checked source's pictures, or over the one
// source drawn first, away from the recent ones when asked: the same draw
// the logon run makes, over the pictures each list would show.
void FrmMain::preselectFromPool(const std::vector<std::size_t>& candidates) {
  std::vector<SourceCandidate> sources;
  sources.reserve(candidates.size());
  for (std::size_t i : candidates) sources.push_back({i, state_.wall.gList[i], dataType(state_.wall.gList[i])});
  const auto listed = [this](const SourceCandidate& s) { return listedNames(s.path, s.kind); };
  // The load reads the history only after this draw; the draw needs it now.
  const std::vector<std::wstring> history =
      extras_.noRepeat ? readHistory(SettingsStore(services_.settings)) : std::vector<std::wstring>{};
  std::optional<SourcePick> pick =
      drawPictureFromSources(sources, extras_.drawEvenly, extras_.noRepeat, history, listed, random_);
  if (!pick) return;
  preselectedPicture_ = std::move(pick->name);
  selectEntry(static_cast<int>(sources[pick->candidate].entry));
  preselectedPicture_.reset();
}

std::vector<std::wstring> FrmMain::listedNames(const std::wstring& source, const std::wstring& kind) {
  PictureRows rows;
  try {
    if (kind == L"DIR") {
      if (!listFolderPictures(withBackslash(source), services_.system, rows)) return {};
    } else if (isArchiveKind(kind) && win::fileExists(source)) {
      rows = myArchiveRows(*archives_, hwnd(), source);
    }
  } catch (const RunError&) {
    return {};  // the source's own click reports it, if the draw lands there
  } catch (const std::bad_alloc&) {
    return {};
  }
  if (sortOn_) rows.sort(listSortKey_, listSortOrder_ == 1, win::collationKey, -1);
  std::vector<std::wstring> names;
  names.reserve(rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) names.push_back(rows[i].name);
  return names;
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
  if (state_.gCurEntry >= 0) storeTileCounts(static_cast<std::size_t>(state_.gCurEntry));
  if (state_.gCurEntry == listItem) return;
  if (!myAccessFile(lvwMain_.text(listItem))) {
    clearPreview();
    clearPictureList();
    state_.gCurEntry = -1;
    return;
  }
  const int n = pictureCount();
  if (n == 0) {
    clearPreview();
    return;
  }
  state_.gCurEntry = listItem;
  showTileSettings(static_cast<std::size_t>(listItem));
  int picture = preselectedPicture_ ? pictureRows_.find(*preselectedPicture_) : -1;
  if (picture < 0) picture = static_cast<int>(random_.pick(static_cast<std::size_t>(n)));
  selectPictureSilently(picture);
  state_.gPreviewResolved = false;
  lvwFile_ItemClick(picture);
}

void FrmMain::lvwMain_ItemCheck(int listItem) {
  if (listItem < 0 || static_cast<std::size_t>(listItem) >= state_.wall.size()) return;
  state_.wall.gLSelect[static_cast<std::size_t>(listItem)] = lvwMain_.checked(listItem);
}

// The dialogs' wide forms: a folder or archive whose name the ANSI code
// page cannot hold is registered as it is, not as question marks.
std::wstring FrmMain::myBrowseFolder() {
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

std::wstring FrmMain::myOpenArchiveDialog() {
  const std::wstring title = win::loadString(IDS_OPEN_ARCHIVE);
  // Display name and pattern, each closed by a NUL, and the list by another.
  std::wstring filter = win::loadString(IDS_ARCHIVE_FILTER_NAME);
  filter.push_back(L'\0');
  filter += L"*.LZH;*.ARJ;*.ZIP;*.CAB;*.TAR;*.TGZ;*.BZ2;*.RAR";
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

void FrmMain::myAddWallEntry(const std::wstring& path) {
  // The table first: the check box below raises its event for this entry.
  state_.wall.append({path, true, 2, 2, 2});
  selecting_ = true;
  const int listItem = lvwMain_.addItem(path);
  selecting_ = false;
  setKindIcon(listItem, dataType(path));
  lvwMain_.setChecked(listItem, true);
  showTileDefaults();
}

void FrmMain::cmdFolder_Click() { addChosenSource(myBrowseFolder()); }

void FrmMain::cmdArchiver_Click() { addChosenSource(myOpenArchiveDialog()); }

void FrmMain::addChosenSource(const std::wstring& path) {
  if (path.empty()) return;  // the dialog was cancelled
  // The counts typed for the current entry are kept before the panel
  // shows the new entry's defaults over them.
  if (state_.gCurEntry >= 0) storeTileCounts(static_cast<std::size_t>(state_.gCurEntry));
  myAddWallEntry(path);
  // The panel shows the new entry's defaults: nothing is stored into the
  // previous entry when the new one is selected.
  state_.gCurEntry = -1;
  selectEntry(lvwMain_.count() - 1);
}

void FrmMain::moveEntry(int from, int to) {
  const std::wstring text = lvwMain_.text(from);
  const std::wstring kind = lvwMain_.text(from, 1);
  const bool checked = lvwMain_.checked(from);
  selecting_ = true;
  lvwMain_.deleteItem(from);
  const int moved = lvwMain_.insertItem(to, text, kindImage(kind));
  lvwMain_.setText(moved, 1, kind);
  lvwMain_.select(moved);
  lvwMain_.ensureVisible(moved);
  state_.wall.swapEntries(static_cast<std::size_t>(from), static_cast<std::size_t>(to));
  // The current entry moves with its item; the one it changed places with
  // moves the other way.
  if (state_.gCurEntry == from) state_.gCurEntry = to;
  else if (state_.gCurEntry == to) state_.gCurEntry = from;
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
  state_.wall.remove(static_cast<std::size_t>(removed));
  state_.gCurEntry = -1;
  if (lvwMain_.count() == 0) {
    clearPictureList();
    clearPreview();
    return;
  }
  selectEntry(removed < lvwMain_.count() ? removed : removed - 1);
}

}  // namespace rivano
