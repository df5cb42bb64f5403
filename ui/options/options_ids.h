// Control numbers of the options dialog. OK and Cancel carry the dialog
// manager's own numbers, so that Enter and Esc reach them as in a dialog.
#pragma once

#include <windows.h>

namespace rivano::options_ids {

enum Control : int {
  cmdOkbutton = IDOK,
  cmdCancel = IDCANCEL,
  tbsOptions = 3001,
  fraOptions0,  // to fraOptions0 + 5, the frame of tab i + 1
  noChangeCheckBox = fraOptions0 + 6,
  frameBox0,  // the frame's own border, to frameBox0 + 5
  // history
  historyList = frameBox0 + 6,
  picMain,
  pbrMain,
  viewerCheckBox,
  cmdChange,
  cmdLstDel,
  // start-up
  chkIconSt,
  chkTimeOut,
  chkActive,
  fraSld,
  sldTimeInt,
  lblTime0,  // to lblTime0 + 5
  lblTimeInt = lblTime0 + 6,
  lblTimeTxt,
  // shortcuts
  startupShortcutButton,
  startupWithoutWindowCheckBox,
  cmdDesktop,
  cmdUnInstall,
  linSp0,
  linSp1,
  // fitting
  chkZoomIn,
  sldDsp,
  shpDspSize,
  shpDspMag,
  lblReMagUp,
  lblReMagDown,
  lblDspMes,
  // drop: the tile mode's buttons are never, always and by the counts below
  tileModeButton0,
  tileModeButton1,
  tileModeButton2,
  downCountBox,
  acrossCountBox,
  downLabel,
  downUnitLabel,
  acrossLabel,
  acrossUnitLabel,
  tileRuleLabel,
  lblMesDrop,
  // the wallpaper options of the sixth tab
  chkDrawEvenly,
  chkNoRepeat,
  chkPerMonitor,
  chkFillScreen,
};

inline constexpr int kTabCount = 6;

}  // namespace rivano::options_ids
