// The help menu's commands that open documents through the shell.
#include <windows.h>

#include "platform/file_system.h"
#include "platform/message_box.h"
#include "platform/string_table.h"
#include "resources/resource_ids.h"
#include "shell/shell_helpers.h"
#include "ui/about/frm_about.h"

namespace rivano {

void openHelpFile(const ProgramState& state, HWND owner) {
  const std::wstring help = state.appFolder + L"Rivano.HLP";
  if (win::fileExists(help)) {
    myShellExecute(help);
    return;
  }
  win::showMessage(owner, win::loadString(IDS_FILE_MISSING), MB_OK | MB_ICONEXCLAMATION);
}

void openHomePage() { myShellExecute(win::loadString(IDS_HOME_PAGE)); }

}  // namespace rivano
