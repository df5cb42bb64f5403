// The history tab: the pictures made wallpaper, previewed, applied again,
// opened, dragged out or deleted. The list and the history agree index
// for index at all times.
#include <windows.h>
// needs windows.h first
#include <commctrl.h>

#include <new>
#include <optional>

#include "common/run_error.h"
#include "engine/fill_screen.h"
#include "platform/cursor.h"
#include "platform/file_drag.h"
#include "platform/file_system.h"
#include "platform/message_box.h"
#include "platform/string_table.h"
#include "resources/resource_ids.h"
#include "shell/shell_helpers.h"
#include "ui/common/preview_picture.h"
#include "ui/options/frm_options.h"
#include "ui/options/history_entry.h"
#include "ui/options/options_ids.h"

namespace rivano {

using namespace options_ids;

namespace {

// The errors after which an entry leaves the history: its file is gone or
// is no picture.
bool removesEntry(int number) {
  return number == err::fileNotFound || number == err::pathNotFound || number == err::invalidPicture;
}

std::wstring fileName(const std::wstring& entry) {
  const std::size_t last = entry.rfind(L'\\');
  return last == std::wstring::npos ? entry : entry.substr(last + 1);
}

}  // namespace

void FrmOptions::fillHistoryList() {
  for (std::size_t i = 0; i < state_.history.size(); ++i)
    historyList_.insert(static_cast<int>(i), fileName(state_.history[i]));
}

std::wstring FrmOptions::entryFile(const std::wstring& entry) {
  const HistoryEntry e = splitHistoryEntry(entry, [](const std::wstring& p) { return win::isNormalFile(p); });
  if (!e.inArchive) return entry;
  // The member taken out into the temporary folder, as the main window's
  // preview takes it.
  return host_.pictureFile ? host_.pictureFile(e.source, e.name) : std::wstring();
}

void FrmOptions::historyList_Click() {
  // A selection made here after a removal runs this again: a run of
  // missing files goes one after another, and the list is finite.
  for (;;) {
    const int s = historyList_.selected();
    if (s < 0 || static_cast<std::size_t>(s) >= state_.history.size()) return;
    const std::wstring entry = state_.history[static_cast<std::size_t>(s)];
    if (entry == lastPreviewed_) return;
    lastPreviewed_ = entry;
    const HistoryEntry e = splitHistoryEntry(entry, [](const std::wstring& p) { return win::isNormalFile(p); });
    EnableWindow(item(cmdLstDel), !e.inArchive && win::directoryExists(e.source + L"\\"));
    if (!win::isChecked(item(viewerCheckBox))) return;
    try {
      const std::wstring file = entryFile(entry);
      if (!file.empty() && win::fileExists(file)) {
        win::ScopedHourglass hourglass;
        imgFile_.reset();
        imgFileEntry_.clear();
        imgFile_ = services_.pictures.load(
            file, previewAndWallpaperTargets(picMain_, state_.screen, state_.shrinkLarge, state_.marginPercent));
        imgFileEntry_ = entry;
        drawPreview(*imgFile_, picMain_, item(pbrMain), state_.screen);
        return;
      }
    } catch (const RunError& error) {
      ShowWindow(item(pbrMain), SW_HIDE);
      showHistoryError(IDS_TITLE_OPTIONS_HISTORY, error.number());
      if (removesEntry(error.number())) removeSelectedHistoryEntry();
      return;
    } catch (const std::bad_alloc&) {
      ShowWindow(item(pbrMain), SW_HIDE);
      showHistoryError(IDS_TITLE_OPTIONS_HISTORY, err::outOfMemory);
      return;
    }
    // The file went away: the entry goes, its neighbour takes its place.
    removeSelectedHistoryEntry();
    const int n = historyList_.count();
    if (n == 0) return;
    historyList_.select(s == n ? s - 1 : s);
  }
}

void FrmOptions::viewerCheckBox_Click() {
  if (historyList_.selected() < 0) return;
  if (win::isChecked(item(viewerCheckBox))) {
    lastPreviewed_.clear();
    historyList_Click();
    return;
  }
  picMain_.clear();
  if (host_.forgetPreview) host_.forgetPreview();
}

void FrmOptions::cmdChange_Click() {
  const int s = historyList_.selected();
  if (s < 0 || static_cast<std::size_t>(s) >= state_.history.size()) return;
  const std::wstring entry = state_.history[static_cast<std::size_t>(s)];
  win::ScopedHourglass hourglass;
  try {
    // The picture applied is always the selected entry's: one the preview
    // did not load (viewer off, or a failed preview) is loaded now, an
    // archived one taken out first.
    if (!imgFile_ || imgFileEntry_ != entry || !win::isChecked(item(viewerCheckBox))) {
      imgFile_.reset();
      imgFileEntry_.clear();
      const std::wstring file = entryFile(entry);
      if (file.empty()) throw RunError(err::fileNotFound);
      imgFile_ = services_.pictures.load(
          file, wallpaperTargets(state_.screen, state_.shrinkLarge, state_.marginPercent, storedFillScreen_));
      imgFileEntry_ = entry;
    }
    // The desktop's tile setting stays as the last change left it; a
    // filled picture covers the screen whatever it says.
    std::optional<PixelImage> filled;
    if (state_.shrinkLarge && storedFillScreen_) filled = filledImage(*imgFile_, state_.screen, state_.marginPercent);
    services_.bitmapFile.write(state_.wallpaperBitmap, filled ? *filled
                                                       : wallpaperImage(*imgFile_, state_.screen, state_.shrinkLarge,
                                                                        state_.marginPercent));
    services_.desktop.setWallpaper(state_.wallpaperBitmap);
  } catch (const RunError& error) {
    showHistoryError(IDS_TITLE_OPTIONS_CHANGE, error.number());
    if (removesEntry(error.number())) removeSelectedHistoryEntry();
  } catch (const std::bad_alloc&) {
    showHistoryError(IDS_TITLE_OPTIONS_CHANGE, err::outOfMemory);
  }
}

void FrmOptions::cmdLstDel_Click() {
  const int s = historyList_.selected();
  if (s >= 0 && static_cast<std::size_t>(s) < state_.history.size()) {
    const std::wstring entry = state_.history[static_cast<std::size_t>(s)];
    // Only a file is offered to the shell: an entry that names a folder
    // (written by hand) or nothing at all just leaves the list, and a file
    // the user kept keeps its entry.
    if (!win::fileExists(entry) || deleteFileByShell(entry, hwnd(), shiftDown_)) removeSelectedHistoryEntry();
  }
  resetShiftState();
}

bool FrmOptions::watchHistoryDrag(const MSG& msg) {
  if (msg.hwnd != historyList_.hwnd()) return false;
  const POINT at{static_cast<short>(LOWORD(msg.lParam)), static_cast<short>(HIWORD(msg.lParam))};
  switch (msg.message) {
    case WM_LBUTTONDOWN:
      pressedAt_ = historyList_.itemAt(at) >= 0 ? std::optional<POINT>(at) : std::nullopt;
      return false;
    case WM_LBUTTONUP:
      pressedAt_.reset();
      return false;
    case WM_MOUSEMOVE:
      if (!pressedAt_ || !(msg.wParam & MK_LBUTTON) || !win::leftDragRectangle(*pressedAt_, at)) return false;
      pressedAt_.reset();
      // The list lets go of the mouse; the drag takes it from here.
      ReleaseCapture();
      historyList_OLEStartDrag();
      return true;
    default:
      return false;
  }
}

void FrmOptions::historyList_OLEStartDrag() {
  const int s = historyList_.selected();
  if (s < 0 || static_cast<std::size_t>(s) >= state_.history.size()) return;
  std::wstring file;
  try {
    file = entryFile(state_.history[static_cast<std::size_t>(s)]);
  } catch (const RunError&) {
    return;  // dragging has no error dialog of its own
  }
  if (file.empty()) return;
  win::dragFileOut(file);
  // As after a key release: the delete button reads as without Shift.
  shiftDown_ = true;
  resetShiftState();
}

void FrmOptions::removeSelectedHistoryEntry() {
  const int s = historyList_.selected();
  if (s < 0 || static_cast<std::size_t>(s) >= state_.history.size()) return;
  historyList_.remove(s);
  state_.history.erase(state_.history.begin() + s);
  historyList_.select(-1);
  picMain_.clear();
}

void FrmOptions::openSelectedHistoryEntry() {
  const int s = historyList_.selected();
  if (s < 0 || static_cast<std::size_t>(s) >= state_.history.size()) return;
  try {
    const std::wstring file = entryFile(state_.history[static_cast<std::size_t>(s)]);
    if (file.empty()) removeSelectedHistoryEntry();
    else if (const int error = openDocument(file))
      win::showErrorDialog(nullptr, IDS_TITLE_SHELL_EXECUTE, error, PictureAdvice::generic);
  } catch (const RunError& error) {
    win::showErrorDialog(hwnd(), IDS_TITLE_SHELL_EXECUTE, error.number(), PictureAdvice::generic);
    giveFocusToList();
  }
}

void FrmOptions::showHistoryError(int titleId, int number) {
  win::showErrorDialog(hwnd(), titleId, number, PictureAdvice::handled);
  giveFocusToList();
}

void FrmOptions::giveFocusToList() {
  // The box took the focus away with it; the user goes on in the list,
  // whichever of the tab's controls led to the box.
  focus_.remember(historyList_.hwnd());
  SetFocus(historyList_.hwnd());
}

}  // namespace rivano
