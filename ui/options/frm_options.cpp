#include "ui/options/frm_options.h"

#include <windows.h>
// needs windows.h first
#include <commctrl.h>

#include "common/dpi_scale.h"
#include "platform/dialog_keys.h"
#include "platform/dpi.h"
#include "platform/string_table.h"
#include "resources/resource_ids.h"
#include "settings/settings_layout.h"
#include "ui/options/options_ids.h"

namespace rivano {

using namespace options_ids;

namespace {
constexpr int kDialogWidthTwips = 5040;
constexpr int kDialogHeightTwips = 4710;
constexpr int kFrameLeft = 240;
constexpr int kAwayLeft = -20000;
}  // namespace

FrmOptions::FrmOptions(ProgramState& state, Services& services, OptionsHost host)
    : state_(state), services_(services), host_(std::move(host)) {}

FrmOptions::~FrmOptions() = default;

HWND FrmOptions::item(int id) const {
  // The tab controls live in their frames; every number is unique.
  if (HWND direct = GetDlgItem(hwnd(), id)) return direct;
  for (const OptionFrame& frame : frames_)
    if (frame.hwnd())
      if (HWND inner = GetDlgItem(frame.hwnd(), id)) return inner;
  return nullptr;
}

void FrmOptions::showModal(HWND owner) {
  owner_ = owner;
  load();
  if (!hwnd()) return;
  EnableWindow(owner_, FALSE);
  ShowWindow(hwnd(), SW_SHOWNORMAL);
  SetForegroundWindow(hwnd());
  SetFocus(item(cmdOkbutton));
  win::runModalLoop(hwnd(), done_, [this](MSG& msg) {
    if (tips_) tips_->relay(msg);
    tbsOptions_.relay(msg);
    return previewKey(msg) || watchHistoryDrag(msg);
  });
  // The owner takes the activation back before the dialog goes.
  EnableWindow(owner_, TRUE);
  if (hwnd()) {
    SetActiveWindow(owner_);
    destroy();
  }
}

void FrmOptions::unloadDialog() { done_ = true; }

void FrmOptions::load() {
  CreateArgs args;
  args.className = L"RivanoOptions";
  args.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  args.exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  args.parent = owner_;
  // At the owner's DPI: the dialog opens over it.
  const int dpi = win::windowDpi(owner_);
  args.width = twipsToPixels(kDialogWidthTwips, dpi);
  args.height = twipsToPixels(kDialogHeightTwips, dpi);
  RECT ownerRect{};
  GetWindowRect(owner_, &ownerRect);
  args.x = ownerRect.left + ((ownerRect.right - ownerRect.left) - args.width) / 2;
  args.y = ownerRect.top + ((ownerRect.bottom - ownerRect.top) - args.height) / 2;
  if (!create(args)) return;
  // Controls, the tabs, captions and tool tips.
  createControls();
  ShowWindow(item(pbrMain), SW_HIDE);
  setTexts();
  // The stored settings: each that cannot be shown is skipped.
  showStoredValues();
  // The size, the time label and the history.
  SetWindowPos(hwnd(), nullptr, 0, 0, args.width, args.height, SWP_NOMOVE | SWP_NOZORDER);
  sldTimeInt_Scroll();
  fillHistoryList();
}

void FrmOptions::showStoredValues() {
  SettingsStore store(services_.settings);
  const OptionsLoadValues v = readOptionsLoadValues(store);
  // A check box takes 0 or 1; anything else leaves it as designed.
  auto check = [&](int id, const std::optional<std::int16_t>& digit) {
    if (digit == 0 || digit == 1) win::setChecked(item(id), *digit == 1);
  };
  check(chkIconSt, v.freeIcon);
  check(chkTimeOut, v.freeEnd);
  chkTimeOut_Click();
  check(chkActive, v.actStop);
  // A count the slider cannot show keeps its design value.
  if (v.tmrCount && *v.tmrCount >= 5 && *v.tmrCount <= 300) sldTimeInt_.setValue(*v.tmrCount);
  check(viewerCheckBox, v.historyViewer);
  check(startupWithoutWindowCheckBox, v.straShow);
  // A number no option button stands for selects none, yet is kept as the
  // stored rule: OK writes it back unless the user picks another.
  if (v.dragOpt) {
    dropOption_ = *v.dragOpt;
    if (*v.dragOpt >= 0 && *v.dragOpt <= 2) {
      for (int i = 0; i < 3; ++i) win::setChecked(item(tileModeButton0 + i), i == *v.dragOpt);
      tileModeButton_Click(*v.dragOpt);
    }
  }
  win::setWindowText(item(downCountBox), v.dropTileDown);
  win::setWindowText(item(acrossCountBox), v.dropTileAcross);
  if (state_.shrinkLarge) {
    win::setChecked(item(chkZoomIn), true);
    chkZoomIn_Click();
  }
  // A margin the slider cannot show is left in use as it is: the slider
  // keeps its design value without taking it over.
  if (state_.marginPercent >= 0 && state_.marginPercent <= 20) {
    sldDsp_.setValue(state_.marginPercent);
    sldDsp_Change();
  } else {
    showMargin(state_.marginPercent);
  }
  win::setChecked(item(noChangeCheckBox), host_.noWallChecked && host_.noWallChecked());
  // The wallpaper options, read after all the others.
  const WallpaperExtras extras = readWallpaperExtras(store);
  win::setChecked(item(chkDrawEvenly), extras.drawEvenly);
  win::setChecked(item(chkNoRepeat), extras.noRepeat);
  win::setChecked(item(chkPerMonitor), extras.perMonitor);
  win::setChecked(item(chkFillScreen), extras.fillScreen);
  storedFillScreen_ = extras.fillScreen;
}

void FrmOptions::tbsOptions_Click() {
  const int shown = tbsOptions_.selected();
  for (int i = 0; i < kTabCount; ++i) {
    HWND frame = frames_[static_cast<std::size_t>(i)].hwnd();
    if (i == shown) {
      const int top = shown == 0 ? 1320 : 720;
      factory_->moveTo(frame, kFrameLeft, top);
      EnableWindow(frame, TRUE);
    } else {
      factory_->moveTo(frame, kAwayLeft, 720);
      EnableWindow(frame, FALSE);
    }
  }
  // The check box lies behind the other tabs' frames; hidden there, no key
  // reaches it unseen.
  ShowWindow(item(noChangeCheckBox), shown == 0 ? SW_SHOWNA : SW_HIDE);
  // A control of the tab just left would keep taking the keys out of
  // sight: the strip takes them instead.
  if (!reachable(GetFocus())) SetFocus(tbsOptions_.hwnd());
}

bool FrmOptions::reachable(HWND control) const {
  if (!control || !IsChild(hwnd(), control)) return false;
  // The frames of the other tabs are disabled, and so out of reach with
  // everything in them.
  for (HWND w = control; w && w != hwnd(); w = GetParent(w))
    if (!IsWindowVisible(w) || !IsWindowEnabled(w)) return false;
  return true;
}

void FrmOptions::selectNextTab() {
  const int next = (tbsOptions_.selected() + 1) % tbsOptions_.count();
  tbsOptions_.select(next);
  tbsOptions_Click();
}

bool FrmOptions::previewKey(const MSG& msg) {
  if (!hwnd() || (msg.hwnd != hwnd() && !IsChild(hwnd(), msg.hwnd))) return false;
  if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) {
    const bool ctrl = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
    const bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0 || msg.wParam == VK_SHIFT;
    const bool alt = (GetKeyState(VK_MENU) & 0x8000) != 0;
    if (msg.wParam == VK_TAB && ctrl && !shift && !alt) {
      selectNextTab();
      return true;
    }
    if (shift && !shiftDown_) {
      shiftDown_ = true;
      win::setWindowText(item(cmdLstDel), win::loadString(IDS_DELETE_FOR_GOOD));
    }
  } else if (msg.message == WM_KEYUP || msg.message == WM_SYSKEYUP) {
    resetShiftState();
  }
  return false;
}

void FrmOptions::resetShiftState() {
  if (!shiftDown_) return;
  shiftDown_ = false;
  win::setWindowText(item(cmdLstDel), win::loadString(IDS_NOT_WANTED));
}

void FrmOptions::cmdOkbutton_Click() {
  SettingsStore store(services_.settings);
  OptionsOkValues v;
  v.freeIcon = win::isChecked(item(chkIconSt));
  v.freeEnd = win::isChecked(item(chkTimeOut));
  v.actStop = win::isChecked(item(chkActive));
  v.tmrCount = sldTimeInt_.value();
  v.historyViewer = win::isChecked(item(viewerCheckBox));
  v.noWallpaper = win::isChecked(item(noChangeCheckBox));
  v.straShow = win::isChecked(item(startupWithoutWindowCheckBox));
  state_.shrinkLarge = win::isChecked(item(chkZoomIn));
  v.picReSize = state_.shrinkLarge;
  // The margin in use, which the slider sets whenever it moves: one it
  // cannot show stays as it was unless the user moves it.
  v.picReMag = state_.marginPercent;
  v.dragOpt = dropOption_;
  v.dropTileDown = win::windowText(item(downCountBox));
  v.dropTileAcross = win::windowText(item(acrossCountBox));
  writeOptionsOkValues(store, v);
  WallpaperExtras extras;
  extras.drawEvenly = win::isChecked(item(chkDrawEvenly));
  extras.noRepeat = win::isChecked(item(chkNoRepeat));
  extras.perMonitor = win::isChecked(item(chkPerMonitor));
  extras.fillScreen = win::isChecked(item(chkFillScreen));
  writeWallpaperExtras(store, extras);
  if (host_.extrasChanged) host_.extrasChanged(extras);
  unloadDialog();
}

LRESULT FrmOptions::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      onCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_NOTIFY:
      return onNotify(*reinterpret_cast<NMHDR*>(lParam));
    case WM_HSCROLL:
      if (reinterpret_cast<HWND>(lParam) == sldTimeInt_.hwnd()) sldTimeInt_Scroll();
      return 0;
    case WM_VSCROLL:
      if (reinterpret_cast<HWND>(lParam) == sldDsp_.hwnd()) sldDsp_Change();
      return 0;
    case WM_CTLCOLORSTATIC: {
      // The sketch of the screen in the desktop's colour.
      const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
      if (id == shpDspSize) {
        auto dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
        SetBkColor(dc, GetSysColor(COLOR_DESKTOP));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_DESKTOP));
      }
      break;
    }
    case WM_DRAWITEM: {
      const auto& draw = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (static_cast<int>(draw.CtlID) != shpDspSize) break;
      drawMarginSketch(draw.hDC, draw.rcItem);
      return TRUE;
    }
    case DM_GETDEFID: {
      // Enter presses the focused button, otherwise OK.
      HWND focus = GetFocus();
      if (focus && IsChild(hwnd(), focus) &&
          (SendMessageW(focus, WM_GETDLGCODE, 0, 0) & (DLGC_UNDEFPUSHBUTTON | DLGC_DEFPUSHBUTTON)))
        return MAKELRESULT(GetDlgCtrlID(focus), DC_HASDEFID);
      return MAKELRESULT(cmdOkbutton, DC_HASDEFID);
    }
    case WM_NEXTDLGCTL: {
      HWND next = LOWORD(lParam) ? reinterpret_cast<HWND>(wParam)
                                 : GetNextDlgTabItem(hwnd(), GetFocus(), wParam != 0);
      if (next) SetFocus(next);
      return 0;
    }
    case WM_ACTIVATE:
      // Back from a box or another window, the control that had the focus
      // has it again, as in a dialog.
      focus_.onActivate(hwnd(), wParam);
      return 0;
    case WM_CLOSE:
      unloadDialog();
      return 0;
    case win::kDpiChangedMessage:
      onDpiChanged(wParam, lParam);
      return 0;
  }
  return defaultHandling(message, wParam, lParam);
}

void FrmOptions::onCommand(int id, int code) {
  const bool clicked = code == BN_CLICKED;
  switch (id) {
    case cmdOkbutton: cmdOkbutton_Click(); return;
    case cmdCancel: unloadDialog(); return;
    case chkTimeOut: if (clicked) chkTimeOut_Click(); return;
    case noChangeCheckBox: if (clicked) noChangeCheckBox_Click(); return;
    case chkZoomIn: if (clicked) chkZoomIn_Click(); return;
    case tileModeButton0:
    case tileModeButton1:
    case tileModeButton2: if (clicked) tileModeButton_Click(id - tileModeButton0); return;
    case startupShortcutButton: startupShortcutButton_Click(); return;
    case cmdDesktop: cmdDesktop_Click(); return;
    case cmdUnInstall: cmdUnInstall_Click(); return;
    case viewerCheckBox: if (clicked) viewerCheckBox_Click(); return;
    case cmdChange: cmdChange_Click(); return;
    case cmdLstDel: cmdLstDel_Click(); return;
    case historyList:
      if (code == LBN_SELCHANGE) historyList_Click();
      else if (code == LBN_DBLCLK && !win::isChecked(item(viewerCheckBox))) openSelectedHistoryEntry();
      return;
    case picMain: if (code == STN_DBLCLK) openSelectedHistoryEntry(); return;
    default: return;
  }
}

LRESULT FrmOptions::onNotify(NMHDR& header) {
  if (tbsOptions_.answerToolTip(header)) return 0;
  if (header.hwndFrom == tbsOptions_.hwnd() && header.code == TCN_SELCHANGE) {
    tbsOptions_.placeToolTips();
    tbsOptions_Click();
  }
  return 0;
}

}  // namespace rivano
