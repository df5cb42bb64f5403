// The options dialog's controls in their frames, captions and tool tips.
#include <windows.h>
// needs windows.h first
#include <commctrl.h>

#include "platform/dpi.h"
#include "platform/string_table.h"
#include "resources/resource_ids.h"
#include "ui/options/frm_options.h"
#include "ui/options/options_ids.h"

namespace rivano {

using namespace options_ids;
using win::loadString;
using win::TwipsRect;

namespace {

constexpr TwipsRect kTabStrip{120, 120, 4695, 3735};
constexpr TwipsRect kCancel{120, 3960, 1095, 375};
constexpr TwipsRect kOk{3720, 3960, 1095, 375};
constexpr TwipsRect kNoChangeCheckBox{600, 840, 3735, 420};
constexpr int kFrameWidth = 4455;
constexpr int kFrameHeights[kTabCount] = {2385, 2985, 2985, 2985, 3015, 2985};
constexpr DWORD kCheck = WS_TABSTOP | BS_AUTOCHECKBOX;
constexpr DWORD kButton = WS_TABSTOP | BS_PUSHBUTTON;

}  // namespace

void FrmOptions::createControls() {
  factory_ = std::make_unique<win::ControlFactory>(hwnd(), win::windowDpi(hwnd()));
  const win::ControlFactory& f = *factory_;
  // The strip's own tool tips show the tabs' texts; the five captions take
  // two rows at this width.
  tbsOptions_.attach(
      f.create(WC_TABCONTROLW, WS_TABSTOP | WS_CLIPSIBLINGS | TCS_TOOLTIPS | TCS_MULTILINE, kTabStrip, tbsOptions));
  f.create(L"BUTTON", kCheck | WS_CLIPSIBLINGS, kNoChangeCheckBox, noChangeCheckBox);
  for (int i = 0; i < kTabCount; ++i) {
    // Tab 1's frame in its place; the others away until chosen.
    const TwipsRect where{i == 0 ? 240 : -20000, i == 0 ? 1320 : 720, kFrameWidth, kFrameHeights[i]};
    auto& frame = frames_[static_cast<std::size_t>(i)];
    frame.create(hwnd(), f.toPixels(where), fraOptions0 + i);
    f.keep(frame.hwnd(), where);
    if (i != 0) EnableWindow(frame.hwnd(), FALSE);
    frameFactories_[static_cast<std::size_t>(i)] = std::make_unique<win::ControlFactory>(frame.hwnd(), f.dpi());
    frameFactories_[static_cast<std::size_t>(i)]->create(L"BUTTON", BS_GROUPBOX, {0, 0, kFrameWidth, kFrameHeights[i]},
                                                          frameBox0 + i);
  }
  f.create(L"BUTTON", kButton, kCancel, cmdCancel);
  f.create(L"BUTTON", kButton | BS_DEFPUSHBUTTON, kOk, cmdOkbutton);
  createHistoryFrame();
  createStartupFrame();
  createShortcutFrame();
  createFittingFrame();
  createDropFrame();
  createExtrasFrame();
  // Front to back, which is also the order of the Tab key: the frames lie
  // in front of the history tab's check box, which lies on the strip.
  HWND order[] = {frames_[0].hwnd(), frames_[1].hwnd(), frames_[2].hwnd(), frames_[3].hwnd(),
                  frames_[4].hwnd(), frames_[5].hwnd(), item(noChangeCheckBox), tbsOptions_.hwnd(),
                  item(cmdCancel), item(cmdOkbutton)};
  for (HWND w : order) SetWindowPos(w, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  // Each frame's border first in its frame, as a group box leads its group:
  // its access key moves the focus to the control after it, and that is
  // then the frame's own first control. The box paints only its edge and
  // caption and lets the mouse through, so it hides none of them.
  for (int i = 0; i < kTabCount; ++i)
    SetWindowPos(GetDlgItem(frames_[static_cast<std::size_t>(i)].hwnd(), frameBox0 + i), HWND_TOP, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  tips_ = std::make_unique<win::ToolTips>(hwnd());
}

void FrmOptions::createHistoryFrame() {
  const win::ControlFactory& f = *frameFactories_[0];
  historyList_.attach(f.create(L"LISTBOX", WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                             {120, 300, 1800, 1590}, historyList, {}, WS_EX_CLIENTEDGE));
  f.create(L"BUTTON", kCheck, {120, 1980, 1800, 300}, viewerCheckBox);
  picMain_.create(frames_[0].hwnd(), f, {2010, 300, 2325, 1170}, picMain);
  f.create(PROGRESS_CLASSW, 0, {2010, 1500, 2325, 150}, pbrMain);
  f.create(L"BUTTON", kButton, {2010, 1680, 2325, 300}, cmdChange);
  f.create(L"BUTTON", kButton, {2010, 2010, 2325, 300}, cmdLstDel);
}

void FrmOptions::createStartupFrame() {
  const win::ControlFactory& f = *frameFactories_[1];
  f.create(L"BUTTON", kCheck, {240, 180, 3975, 300}, chkIconSt);
  f.create(L"BUTTON", kCheck, {240, 510, 3975, 300}, chkTimeOut);
  HWND active = f.create(L"BUTTON", kCheck | BS_MULTILINE, {480, 840, 3735, 480}, chkActive);
  EnableWindow(active, FALSE);
  f.create(L"BUTTON", BS_GROUPBOX, {120, 1380, 4215, 1500}, fraSld);
  // The six scale labels over the places of 5 s and 1 to 5 min.
  constexpr int kSlideLeft = 240, kSlideWidth = 3975, kThumbRoom = 165;
  for (int i = 0; i < 6; ++i) {
    const int seconds = i == 0 ? 5 : i * 60;
    const int centre = kSlideLeft + kThumbRoom + (kSlideWidth - 2 * kThumbRoom) * (seconds - 5) / 295;
    f.create(L"STATIC", SS_CENTER, {centre - 270, 1650, 540, 225}, lblTime0 + i);
  }
  sldTimeInt_.attach(f.create(TRACKBAR_CLASSW, WS_TABSTOP | TBS_HORZ | TBS_TOP,
                              {kSlideLeft, 1890, kSlideWidth, 450}, sldTimeInt));
  sldTimeInt_.setup(5, 300, 5, 60, 60);
  sldTimeInt_.setValue(5);
  f.create(L"STATIC", SS_RIGHT, {240, 2460, 720, 240}, lblTimeInt);
  f.create(L"STATIC", 0, {1020, 2460, 3195, 240}, lblTimeTxt);
}

void FrmOptions::createShortcutFrame() {
  const win::ControlFactory& f = *frameFactories_[2];
  f.create(L"BUTTON", kButton, {240, 240, 3975, 420}, startupShortcutButton);
  f.create(L"BUTTON", kCheck | BS_MULTILINE, {480, 720, 3735, 480}, startupWithoutWindowCheckBox);
  f.create(L"STATIC", SS_ETCHEDHORZ, {120, 1350, 4215, 30}, linSp0);
  f.create(L"BUTTON", kButton, {240, 1530, 3975, 420}, cmdDesktop);
  f.create(L"STATIC", SS_ETCHEDHORZ, {120, 2100, 4215, 30}, linSp1);
  f.create(L"BUTTON", kButton, {240, 2280, 3975, 420}, cmdUnInstall);
}

void FrmOptions::createFittingFrame() {
  const win::ControlFactory& f = *frameFactories_[3];
  f.create(L"BUTTON", kCheck, {120, 240, 4215, 300}, chkZoomIn);
  sldDsp_.attach(f.create(TRACKBAR_CLASSW, WS_TABSTOP | TBS_VERT | TBS_RIGHT, {360, 780, 450, 1800}, sldDsp));
  sldDsp_.setup(0, 20, 1, 5, 10);
  sldDsp_.setValue(0);
  EnableWindow(sldDsp_.hwnd(), FALSE);
  f.create(L"STATIC", 0, {840, 840, 1500, 240}, lblReMagUp);
  f.create(L"STATIC", 0, {840, 2280, 1500, 240}, lblReMagDown);
  // The margin in words beside the slider, between its two end labels: at
  // 20 % the inner rectangle is narrower than the text, so inside the
  // sketch the words would hide it.
  f.create(L"STATIC", 0, {840, 1380, 1500, 840}, lblDspMes);
  // The sketch: the screen draws itself with the inner rectangle in it
  // (which only holds the rectangle's place).
  HWND inner = f.create(L"STATIC", SS_WHITEFRAME, {2400, 1080, 1815, 1335}, shpDspMag);
  ShowWindow(inner, SW_HIDE);
  f.create(L"STATIC", SS_OWNERDRAW, {2400, 1080, 1815, 1335}, shpDspSize);
}

void FrmOptions::createDropFrame() {
  const win::ControlFactory& f = *frameFactories_[4];
  for (int i = 0; i < 3; ++i)
    f.create(L"BUTTON", BS_AUTORADIOBUTTON | (i == 0 ? WS_GROUP | WS_TABSTOP : 0), {240, 300 + i * 330, 3975, 300},
             tileModeButton0 + i);
  f.create(L"STATIC", WS_GROUP, {240, 1380, 3975, 480}, lblMesDrop);
  f.create(L"STATIC", SS_RIGHT, {240, 2010, 600, 240}, downLabel);
  f.create(L"EDIT", WS_TABSTOP | ES_AUTOHSCROLL, {900, 1980, 450, 285}, downCountBox, {}, WS_EX_CLIENTEDGE);
  f.create(L"STATIC", 0, {1410, 2010, 720, 240}, downUnitLabel);
  f.create(L"STATIC", SS_RIGHT, {240, 2370, 600, 240}, acrossLabel);
  f.create(L"EDIT", WS_TABSTOP | ES_AUTOHSCROLL, {900, 2340, 450, 285}, acrossCountBox, {}, WS_EX_CLIENTEDGE);
  f.create(L"STATIC", 0, {1410, 2370, 720, 240}, acrossUnitLabel);
  f.create(L"STATIC", 0, {2160, 2010, 2175, 720}, tileRuleLabel);
}

// Four switches, each a line of two: what it does, and when it applies.
void FrmOptions::createExtrasFrame() {
  const win::ControlFactory& f = *frameFactories_[5];
  const int ids[] = {chkDrawEvenly, chkNoRepeat, chkPerMonitor, chkFillScreen};
  for (int i = 0; i < 4; ++i) f.create(L"BUTTON", kCheck | BS_MULTILINE, {240, 300 + i * 630, 3975, 480}, ids[i]);
}

void FrmOptions::setTexts() {
  win::setWindowText(hwnd(), loadString(IDS_OPTIONS_TITLE));
  win::setWindowText(item(cmdCancel), loadString(IDS_CANCEL));
  win::setWindowText(item(cmdOkbutton), loadString(IDS_OK));
  // The tabs, their captions and their tool tips.
  static_assert(kTabCount <= IDS_OPTIONS_TAB_ROOM, "the string table has no caption or tip for another tab");
  for (int i = 0; i < kTabCount; ++i) tbsOptions_.insert(i, loadString(IDS_OPTIONS_TAB_FIRST + i));
  for (int i = 0; i < kTabCount; ++i) tbsOptions_.setToolTip(i, loadString(IDS_OPTIONS_TAB_TIP_FIRST + i));
  const std::pair<int, int> captions[] = {
      {frameBox0, IDS_HISTORY_FRAME}, {viewerCheckBox, IDS_USE_VIEWER}, {cmdLstDel, IDS_NOT_WANTED},
      {cmdChange, IDS_CHANGE_WALLPAPER}, {noChangeCheckBox, IDS_NO_CHANGE},
      {chkIconSt, IDS_START_MINIMIZED}, {chkTimeOut, IDS_AUTO_EXIT}, {fraSld, IDS_AUTO_EXIT_FRAME},
      {lblTime0, IDS_AUTO_EXIT_MARK_FIRST}, {lblTime0 + 1, IDS_AUTO_EXIT_MARK_FIRST + 1},
      {lblTime0 + 2, IDS_AUTO_EXIT_MARK_FIRST + 2}, {lblTime0 + 3, IDS_AUTO_EXIT_MARK_FIRST + 3},
      {lblTime0 + 4, IDS_AUTO_EXIT_MARK_FIRST + 4}, {lblTime0 + 5, IDS_AUTO_EXIT_MARK_FIRST + 5},
      {lblTimeTxt, IDS_AUTO_EXIT_TEXT}, {startupShortcutButton, IDS_STARTUP_SHORTCUT},
      {cmdDesktop, IDS_DESKTOP_SHORTCUT}, {cmdUnInstall, IDS_UNINSTALL}, {chkZoomIn, IDS_SHRINK_LARGE},
      {lblReMagUp, IDS_FILL_SCREEN_MARK}, {lblReMagDown, IDS_SMALLER_MARK},
      {frameBox0 + 4, IDS_DROP_TILE_FRAME}, {tileModeButton0, IDS_TILE_NEVER},
      {tileModeButton1, IDS_TILE_ALWAYS}, {tileModeButton2, IDS_TILE_AUTO}, {downLabel, IDS_TILE_DOWN},
      {downUnitLabel, IDS_TILE_COUNT_UNIT}, {acrossLabel, IDS_TILE_ACROSS},
      {acrossUnitLabel, IDS_TILE_COUNT_UNIT}, {frameBox0 + 5, IDS_EXTRAS_FRAME},
      {chkDrawEvenly, IDS_DRAW_EVENLY}, {chkNoRepeat, IDS_NO_REPEAT}, {chkPerMonitor, IDS_PER_MONITOR},
      {chkFillScreen, IDS_FILL_SCREEN}};
  for (const auto& [id, text] : captions) win::setWindowText(item(id), loadString(text));
  win::setWindowText(item(chkActive),
                     loadString(IDS_STAY_WHILE_ACTIVE_LINE1) + L"\r" + loadString(IDS_STAY_WHILE_ACTIVE_LINE2));
  win::setWindowText(item(startupWithoutWindowCheckBox), loadString(IDS_STARTUP_WITHOUT_WINDOW_LINE1) + L"\r" +
                                                             loadString(IDS_STARTUP_WITHOUT_WINDOW_LINE2));
  win::setWindowText(item(lblMesDrop), loadString(IDS_DROP_TILE_LINE1) + L"\r\n" + loadString(IDS_DROP_TILE_LINE2));
  win::setWindowText(item(tileRuleLabel), loadString(IDS_TILE_RULE_LINE1) + loadString(IDS_TILE_RULE_LINE2));

  const std::pair<int, int> tips[] = {
      {cmdLstDel, IDS_SHIFT_DELETES_TIP}, {cmdChange, IDS_CHANGE_WALLPAPER_TIP},
      {historyList, IDS_HISTORY_LIST_TIP}, {picMain, IDS_PREVIEW_TIP},
      {noChangeCheckBox, IDS_NO_CHANGE_TIP}, {chkIconSt, IDS_START_MINIMIZED_TIP},
      {chkTimeOut, IDS_AUTO_EXIT_TIP}, {chkActive, IDS_STAY_WHILE_ACTIVE_TIP},
      {startupWithoutWindowCheckBox, IDS_STARTUP_WITHOUT_WINDOW_TIP}, {tileModeButton0, IDS_TILE_NEVER_TIP},
      {tileModeButton1, IDS_TILE_ALWAYS_TIP}, {tileModeButton2, IDS_TILE_AUTO_TIP},
      {downCountBox, IDS_TILE_DOWN_TIP}, {acrossCountBox, IDS_TILE_ACROSS_TIP},
      {chkDrawEvenly, IDS_DRAW_EVENLY_TIP}, {chkNoRepeat, IDS_NO_REPEAT_TIP},
      {chkPerMonitor, IDS_PER_MONITOR_TIP}, {chkFillScreen, IDS_FILL_SCREEN_TIP}};
  for (const auto& [id, text] : tips) tips_->set(item(id), loadString(text));
}

}  // namespace rivano
