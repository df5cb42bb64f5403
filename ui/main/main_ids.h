// Control and menu command numbers of the main window.
#pragma once

namespace rivano::main_ids {

enum Control : int {
  lvwMain = 1001,
  lvwFile,
  cmdFolder,
  cmdArchiver,
  cmdUp,
  cmdDown,
  cmdDel,
  cmdChange,
  cmdEnd,
  cmdFilDel,
  cmdButton,
  fraPic,
  fraOption,
  optTairu0,
  optTairu1,
  optTairu2,
  lblTate0,
  lblTate1,
  lblYoko0,
  lblYoko1,
  lblBun,
  txtTate,
  txtYoko,
  chkViwerON,
  picMain,
  pbrMain,
};

enum Command : int {
  munLstFolder = 2001,
  mnuLstArchive,
  mnuLstUp,
  mnuLstDown,
  mnuLstDel,
  mnuLstEnd,
  mnuPicChange,
  mnuPicDel,
  mnuPicViw,
  mnuPicLstWidth,
  mnuLstType0,
  mnuLstType1,
  mnuSort0,  // to mnuSort0 + 5
  mnuSortOrder0 = mnuSort0 + 6,
  mnuSortOrder1,
  mnuOpOption,
  mnuNoWall,
  mnuHeHelp,
  mnuHomePage,
  mnuHeVer,
};

inline constexpr unsigned kAutoExitTimer = 1;

}  // namespace rivano::main_ids
