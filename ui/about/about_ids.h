// Control numbers of the version dialog. OK carries the dialog's own OK
// number, so that the dialog keys (Enter, Esc) reach it the standard way.
#pragma once

namespace rivano::about_ids {

enum : int {
  cmdOK = 1,  // IDOK
  imgRivano = 100,
  lblTitle0,
  lblTitle1,
  lblDescription,
  lblURL,
};

}  // namespace rivano::about_ids
