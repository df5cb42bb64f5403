#include "ui/main/frm_main.h"

#include <windows.h>
// needs windows.h first
#include <commctrl.h>

#include "common/dpi_scale.h"
#include "flow/run_end.h"
#include "flow/window_place.h"
#include "platform/cursor.h"
#include "platform/dpi.h"
#include "platform/file_system.h"
#include "platform/message_box.h"
#include "platform/ole_drop_target.h"
#include "platform/string_table.h"
#include "resources/resource_ids.h"
#include "settings/settings_layout.h"
#include "ui/main/main_ids.h"
#include "ui/main/main_layout.h"
#include "ui/about/frm_about.h"
#include "ui/options/frm_options.h"

namespace rivano {

using namespace main_ids;

using main_layout::kWindowHeight;
using main_layout::kWindowWidth;

FrmMain::FrmMain(ProgramState& state, Services& services) : state_(state), services_(services) {}

// The menu bar goes with the window it is attached to.
FrmMain::~FrmMain() = default;

void FrmMain::load() {
  CreateArgs args;
  args.className = L"RivanoMain";
  args.icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_RIVANO));
  args.style = WS_OVERLAPPEDWINDOW & ~WS_MAXIMIZEBOX & ~WS_THICKFRAME;
  // At the system's DPI until the window has one of its own.
  const int dpi = win::windowDpi(nullptr);
  args.width = twipsToPixels(kWindowWidth, dpi);
  args.height = twipsToPixels(kWindowHeight, dpi);
  if (!create(args)) return;
  createControls();
  archives_ = std::make_unique<ArchiveAccess>(
      ArchiveAccess{services_.archivers, services_.system, L"", hwnd(), false});

  // The temporary extraction folder.
  archives_->unpackFolder = state_.unpackFolder;
  if (!win::directoryExists(state_.unpackFolder)) {
    CreateDirectoryW(state_.unpackFolder.c_str(), nullptr);
    win::processPendingMessages();
  }

  SettingsStore store(services_.settings);
  // A stored position that is missing or no number keeps the place the
  // window has at load: centred, as on a first run.
  MainLoadDefaults defaults;
  const WindowPlace centred = centredPlace();
  defaults.left = centred.left * state_.screen.twipsPerPixelX;
  defaults.top = centred.top * state_.screen.twipsPerPixelY;
  const MainLoadValues v = readMainLoadValues(store, defaults);
  extras_ = readWallpaperExtras(store);
  // The picture list with the saved view and sort state.
  sortKey_ = v.sortKey.value_or(-1);
  sortOrder_ = static_cast<std::int16_t>(v.sortOrder.value_or(0) != 0 ? 1 : 0);
  listView_ = v.listView.value_or(0);
  setupPictureList();
  if (sortKey_ > 0) {
    listSortKey_ = sortKey_;
    listSortOrder_ = sortOrder_;
    sortOn_ = true;
  }
  // Check marks of the view and sort menus.
  createMenus();
  if (sortKey_ + 1 >= 0 && sortKey_ + 1 <= 5) checkMenu(mnuSort0 + sortKey_ + 1, true);
  checkMenu(sortOrder_ == 1 ? mnuSortOrder1 : mnuSortOrder0, true);
  checkMenu(listView_ != 0 ? mnuLstType1 : mnuLstType0, true);
  // Captions, tool tips; the progress bar hidden.
  setTexts();
  ShowWindow(item(pbrMain), SW_HIDE);
  // The widened picture list is restored with its own command, once the
  // button has its picture and tip to swap.
  if (v.listWidth.value_or(false)) cmdWiden_Click();
  // Placement.
  placeWindow(v);
  // Start minimised.
  if (v.freeIcon == 1) startMinimised_ = true;
  // The auto-exit countdown. A count that is no number fails the step:
  // no countdown at all rather than one of some other length.
  if (v.freeEnd == 1 && v.tmrCount) {
    autoExitSeconds_ = *v.tmrCount;
    SetTimer(hwnd(), kAutoExitTimer, 1000, nullptr);
    pauseExitWhenRestored_ = v.actStop.value_or(0);
  }
  // Viewer, automatic change, fitting.
  const std::int16_t viewer = v.viewer.value_or(1);
  win::setChecked(item(chkViewer), viewer == 1);
  checkMenu(mnuPicViewer, viewer == 1);
  checkMenu(mnuNoWall, v.noWallpaper.value_or(false));
  state_.shrinkLarge = v.picReSize.value_or(false);
  state_.marginPercent = v.picReMag.value_or(0);
  // The folder list and the start-up random selection.
  currentEntry_ = -1;
  loadWallList();
  // The history.
  state_.history = readHistory(store);
  registerDropTargets();
}

WindowPlace FrmMain::centredPlace() const {
  RECT r{};
  GetWindowRect(hwnd(), &r);
  return rivano::centredPlace({r.right - r.left, r.bottom - r.top},
                              {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
}

void FrmMain::placeWindow(const MainLoadValues& v) {
  const WindowPlace at =
      placeAtStart(v, centredPlace(), state_.screen.twipsPerPixelX, state_.screen.twipsPerPixelY);
  MoveWindow(hwnd(), at.left, at.top, factory_->pixelsX(kWindowWidth), factory_->pixelsY(kWindowHeight), FALSE);
}

bool FrmMain::routeMessage(MSG& msg) {
  if (!hwnd()) return false;
  if (tips_) tips_->relay(msg);
  previewKey(msg);
  if (swallowThresholdKey(msg)) return true;
  return IsDialogMessageW(hwnd(), &msg) != FALSE;
}

void FrmMain::show() {
  if (!hwnd()) return;
  ShowWindow(hwnd(), startMinimised_ ? SW_SHOWMINNOACTIVE : SW_SHOWNORMAL);
  UpdateWindow(hwnd());
}

void FrmMain::unload() {
  if (exiting_ || !hwnd()) return;
  exiting_ = true;
  KillTimer(hwnd(), kAutoExitTimer);
  // The automatic change; whatever it meets, the settings are saved.
  changeAtClose();
  // The temporary folder, then the settings.
  endRun(services_.settings, state_.unpackFolder, exitValues(), state_.wallList, state_.history);
  revokeDropTargets();
  // Other windows go with the main one; the run ends.
  destroy();
  PostQuitMessage(0);
}

MainExitValues FrmMain::exitValues() const {
  MainExitValues v;
  v.sortKey = listSortKey_;
  v.sortOrder = listSortOrder_;
  v.listView = listView_;
  v.listWidth = menuChecked(mnuPicLstWidth);
  v.windowNormal = !IsIconic(hwnd()) && !IsZoomed(hwnd());
  RECT r{};
  GetWindowRect(hwnd(), &r);
  v.left = r.left * state_.screen.twipsPerPixelX;
  v.top = r.top * state_.screen.twipsPerPixelY;
  v.viewer = win::isChecked(item(chkViewer)) ? 1 : 0;
  return v;
}

void FrmMain::tmrMain_Timer() {
  if (autoExitCounter_ == autoExitSeconds_) {
    unload();
    return;
  }
  ++autoExitCounter_;
}

void FrmMain::onResize() {
  if (pauseExitWhenRestored_ != 1 || exiting_) return;
  const bool normal = !IsIconic(hwnd()) && !IsZoomed(hwnd());
  if (normal) KillTimer(hwnd(), kAutoExitTimer);
  else SetTimer(hwnd(), kAutoExitTimer, 1000, nullptr);
}

bool FrmMain::menuChecked(int id) const {
  return menu_ && (GetMenuState(menu_, static_cast<UINT>(id), MF_BYCOMMAND) & MF_CHECKED) != 0;
}

void FrmMain::checkMenu(int id, bool checked) {
  if (menu_) CheckMenuItem(menu_, static_cast<UINT>(id), MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void FrmMain::showError(int titleId, int number, PictureAdvice advice) {
  win::showErrorDialog(hwnd(), titleId, number, advice);
}

LRESULT FrmMain::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      onCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_NOTIFY:
      return onNotify(*reinterpret_cast<NMHDR*>(lParam));
    case WM_NEXTDLGCTL:
      win::moveDialogFocus(hwnd(), wParam, lParam);
      return 0;
    case DM_GETDEFID:
      // Enter presses the focused button, as in a dialog.
      if (HWND button = win::focusedPushButton(hwnd())) return MAKELRESULT(GetDlgCtrlID(button), DC_HASDEFID);
      return 0;
    case WM_ACTIVATE:
      focus_.onActivate(hwnd(), wParam);
      return 0;
    case WM_ENABLE:
      // A modal window of ours is open over this one (the options dialog,
      // a message box): a tip of this window must not stand above it.
      if (tips_) tips_->activate(wParam != FALSE);
      return 0;
    case WM_TIMER:
      if (wParam == kAutoExitTimer) tmrMain_Timer();
      return 0;
    case WM_SIZE:
      onResize();
      break;
    case win::kDpiChangedMessage:
      onDpiChanged(wParam, lParam);
      return 0;
    case WM_CLOSE:
      unload();
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      // Windows is shutting down or the user logs off: the exit sequence
      // runs now, as the process will not see another message.
      if (wParam) unload();
      return 0;
  }
  return defaultHandling(message, wParam, lParam);
}

void FrmMain::onCommand(int id, int code) {
  switch (id) {
    case cmdEnd:
    case mnuLstEnd:
      unload();
      return;
    case cmdFolder:
    case mnuLstFolder: cmdFolder_Click(); return;
    case cmdArchiver:
    case mnuLstArchive: cmdArchiver_Click(); return;
    case cmdUp:
    case mnuLstUp: cmdUp_Click(); return;
    case cmdDown:
    case mnuLstDown: cmdDown_Click(); return;
    case cmdDel:
    case mnuLstDel: cmdDel_Click(); return;
    case cmdChange:
    case mnuPicChange: cmdChange_Click(); return;
    case chkViewer:
      if (code == BN_CLICKED) viewerCheck_Click();
      return;
    case mnuPicViewer: mnuPicViewer_Click(); return;
    case cmdFilDel:
    case mnuPicDel: cmdFilDel_Click(); return;
    case cmdWiden:
    case mnuPicLstWidth: cmdWiden_Click(); return;
    case optTile0:
    case optTile1:
    case optTile2:
      if (code == BN_CLICKED) tileRule_Click(id - optTile0);
      return;
    case picMain:
      if (code == STN_DBLCLK) openSelectedPicture();
      return;
    case mnuOpOption: {
      // What the options dialog may touch of this window, and nothing more.
      OptionsHost host;
      host.noWallChecked = [this] { return menuChecked(mnuNoWall); };
      host.setNoWall = [this](bool on) { checkMenu(mnuNoWall, on); };
      host.forgetPreview = [this] { lastPreviewed_.clear(); };
      host.pictureFile = [this](const std::wstring& source, const std::wstring& name) {
        return pictureFile(source, name);
      };
      host.extrasChanged = [this](const WallpaperExtras& extras) {
        extras_ = extras;
        // A picture loaded for the old fitting would be drawn at a size
        // the new one does not ask for.
        imgFile_.reset();
        imgFilePicture_.clear();
      };
      FrmOptions(state_, services_, std::move(host)).showModal(hwnd());
      return;
    }
    case mnuHeHelp: openHelpFile(state_, hwnd()); return;
    case mnuHomePage: openHomePage(); return;
    case mnuHeVer: FrmAbout(state_).showModal(hwnd()); return;
    case mnuNoWall: {
      const bool off = !menuChecked(mnuNoWall);
      checkMenu(mnuNoWall, off);
      SettingsStore store(services_.settings);
      store.writeTruth(value::noWallpaper, off);
      return;
    }
    case mnuLstType0:
    case mnuLstType1: mnuLstType_Click(id - mnuLstType0); return;
    case mnuSortOrder0:
    case mnuSortOrder1: mnuSortOrder_Click(id - mnuSortOrder0); return;
    default:
      if (id >= mnuSort0 && id < mnuSort0 + 6) mnuSort_Click(id - mnuSort0);
      return;
  }
}

LRESULT FrmMain::onNotify(NMHDR& header) {
  const int id = static_cast<int>(header.idFrom);
  if (id == lvwMain && header.code == LVN_ITEMCHANGED) {
    const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
    if (selecting_ || change.iItem < 0) return 0;
    if ((change.uChanged & LVIF_STATE) && ((change.uNewState ^ change.uOldState) & LVIS_STATEIMAGEMASK) &&
        (change.uOldState & LVIS_STATEIMAGEMASK) != 0)
      lvwMain_ItemCheck(change.iItem);
    if ((change.uNewState & LVIS_SELECTED) && !(change.uOldState & LVIS_SELECTED)) lvwMain_ItemClick(change.iItem);
    return 0;
  }
  if (id == lvwFile && header.code == LVN_BEGINDRAG) {
    lvwFile_OLEStartDrag();
    return 0;
  }
  if (id == lvwFile) return onPictureListNotify(header);
  return 0;
}

}  // namespace rivano
