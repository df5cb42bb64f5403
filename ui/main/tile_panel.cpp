// The tiling panel: the current entry's rule (never, always, automatic)
// and its across and down thresholds.
#include <windows.h>

#include "platform/controls.h"
#include "settings/number_text.h"
#include "common/run_error.h"
#include "ui/main/frm_main.h"
#include "ui/main/main_ids.h"

namespace rivano {

using namespace main_ids;

void FrmMain::updateTileControls(int option) {
  const BOOL automatic = option == 2 ? TRUE : FALSE;
  for (int id : {txtDown, txtAcross, lblDown0, lblDown1, lblAcross0, lblAcross1, lblSentence})
    EnableWindow(item(id), automatic);
}

// The chosen option button carries the group's tab stop, so that Tab
// lands on it as in any dialog.
void FrmMain::showTileOption(int option) {
  for (int i = 0; i < 3; ++i) {
    HWND button = item(optTile0 + i);
    win::setChecked(button, i == option);
    const bool stop = i == option || ((option < 0 || option > 2) && i == 0);
    const LONG_PTR style = GetWindowLongPtrW(button, GWL_STYLE);
    SetWindowLongPtrW(button, GWL_STYLE, stop ? style | WS_TABSTOP : style & ~static_cast<LONG_PTR>(WS_TABSTOP));
  }
}

void FrmMain::showTileSettings(std::size_t entry) {
  const int option = state_.wallList[entry].tileOpt;
  updateTileControls(option);
  showTileOption(option);
  win::setWindowText(item(txtDown), std::to_wstring(state_.wallList[entry].tileY));
  win::setWindowText(item(txtAcross), std::to_wstring(state_.wallList[entry].tileX));
}

void FrmMain::showTileDefaults() {
  updateTileControls(2);
  showTileOption(2);
  win::setWindowText(item(txtDown), L"2");
  win::setWindowText(item(txtAcross), L"2");
}

void FrmMain::storeTileCounts(std::size_t entry) {
  if (entry >= state_.wallList.size()) return;
  // An emptied box, or one above 32767, keeps the entry's previous value:
  // nothing sensible can be stored from it and the list must not be lost.
  try {
    state_.wallList[entry].tileY = textToInt16(win::windowText(item(txtDown)));
  } catch (const RunError&) {
  }
  try {
    state_.wallList[entry].tileX = textToInt16(win::windowText(item(txtAcross)));
  } catch (const RunError&) {
  }
}

// Backspace and the digits pass; every other character is swallowed, the
// control characters of the editing shortcuts (Ctrl+V among them) too. A
// paste from the box's own menu is no key and is not filtered.
bool FrmMain::swallowThresholdKey(const MSG& msg) const {
  if (msg.message != WM_CHAR || (msg.hwnd != item(txtDown) && msg.hwnd != item(txtAcross))) return false;
  const WPARAM c = msg.wParam;
  return !(c == VK_BACK || (c >= L'0' && c <= L'9'));
}

void FrmMain::tileRule_Click(int index) {
  if (lvwMain_.count() == 0) return;
  updateTileControls(index);
  showTileOption(index);
  const int selected = lvwMain_.selected();
  if (selected >= 0 && static_cast<std::size_t>(selected) < state_.wallList.size())
    state_.wallList[static_cast<std::size_t>(selected)].tileOpt = static_cast<std::int16_t>(index);
}

}  // namespace rivano
