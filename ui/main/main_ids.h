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
  cmdWiden,
  fraPic,
  fraOption,
  optTile0,
  optTile1,
  optTile2,
  lblDown0,
  lblDown1,
  lblAcross0,
  lblAcross1,
  lblSentence,
  txtDown,
  txtAcross,
  chkViewer,
  picMain,
  pbrMain,
};

enum Command : int {
  mnuLstFolder = 2001,
  mnuLstArchive,
  mnuLstUp,
  mnuLstDown,
  mnuLstDel,
  mnuLstEnd,
  mnuPicChange,
  mnuPicDel,
  mnuPicViewer,
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
