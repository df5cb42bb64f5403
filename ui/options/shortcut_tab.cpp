// The shortcuts tab: links in the Startup folder and on the desktop, and
// the removal of every setting of the program.
#include <windows.h>

#include "platform/controls.h"
#include "platform/message_box.h"
#include "platform/shell_link.h"
#include "platform/string_table.h"
#include "resources/resource_ids.h"
#include "settings/settings_layout.h"
#include "ui/options/frm_options.h"
#include "ui/options/options_ids.h"

namespace rivano {

using namespace options_ids;
using win::loadString;

namespace {

std::wstring withoutFinalBackslash(std::wstring path) {
  while (path.size() > 3 && path.back() == L'\\') path.pop_back();
  return path;
}

}  // namespace

void FrmOptions::cmdStratUp_Click() {
  win::ShellLinkFields link;
  link.target = state_.gAppPath + L"Rivano.exe";
  link.workingFolder = withoutFinalBackslash(state_.gAppPath);
  link.iconFile = link.target;
  link.arguments = win::isChecked(item(chkStratUpOpt)) ? L"/S" : L"";
  const std::wstring folder = win::userFolder(win::UserFolder::startup);
  if (folder.empty() || !win::saveShellLink(folder + L"\\Rivano.lnk", link)) {
    // Never claim a shortcut that was not made.
    win::showErrorDialog(hwnd(), IDS_APP_TITLE, 75, PictureAdvice::generic);
    return;
  }
  win::showMessage(hwnd(), loadString(118), MB_OK | MB_ICONINFORMATION);
}

void FrmOptions::cmdDesktop_Click() {
  win::ShellLinkFields link;
  link.target = state_.gAppPath + L"Rivano.exe";
  link.iconFile = link.target;
  const std::wstring folder = win::userFolder(win::UserFolder::desktop);
  if (folder.empty() || !win::saveShellLink(folder + L"\\Rivano.lnk", link)) {
    win::showErrorDialog(hwnd(), IDS_APP_TITLE, 75, PictureAdvice::generic);
    return;
  }
  win::showMessage(hwnd(), loadString(119), MB_OK | MB_ICONINFORMATION);
}

void FrmOptions::cmdUnInstall_Click() {
  if (win::showMessage(hwnd(), loadString(901) + L"\r" + loadString(902), MB_YESNO | MB_ICONQUESTION) != IDYES)
    return;
  SettingsStore store(services_.registry);
  store.deleteProgramKey();
  win::showMessage(hwnd(),
                   loadString(903) + L"\r\r" + loadString(904) + L"\r" + loadString(905),
                   MB_OK | MB_ICONINFORMATION);
  // The run ends here: no exit sequence, so nothing is written back and
  // the wallpaper stays as it is.
  destroy();
  ExitProcess(0);
}

}  // namespace rivano
