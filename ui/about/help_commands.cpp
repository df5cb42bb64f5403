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
    if (const int error = openDocument(help))
      win::showErrorDialog(nullptr, IDS_TITLE_SHELL_EXECUTE, error, PictureAdvice::generic);
    return;
  }
  win::showMessage(owner, win::loadString(IDS_FILE_MISSING), MB_OK | MB_ICONEXCLAMATION);
}

void openHomePage() {
  if (const int error = openDocument(win::loadString(IDS_HOME_PAGE)))
    win::showErrorDialog(nullptr, IDS_TITLE_SHELL_EXECUTE, error, PictureAdvice::generic);
}

}  // namespace rivano
