// The shortcuts tab: links in the Startup folder and on the desktop, and
// the removal of every setting of the program.
#include <windows.h>

#include <cwchar>

#include "platform/controls.h"
#include "platform/file_system.h"
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

bool isAccessDenied(HRESULT hr) {
  return hr == E_ACCESSDENIED || hr == STG_E_ACCESSDENIED || hr == STG_E_SHAREVIOLATION ||
         hr == STG_E_LOCKVIOLATION || hr == HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION) ||
         hr == HRESULT_FROM_WIN32(ERROR_WRITE_PROTECT);
}

std::wstring hexCode(HRESULT hr) {
  wchar_t text[16] = {};
  swprintf(text, 16, L"0x%08lX", static_cast<unsigned long>(hr));
  return text;
}

// Why the link is not there, from what the folder is now rather than from
// the code alone: the link object reports a missing folder in more than
// one way.
std::wstring failureReason(const std::wstring& folder, HRESULT hr) {
  if (folder.empty()) return loadString(IDS_SHORTCUT_FOLDER_UNKNOWN);
  if (!win::directoryExists(folder + L"\\")) return loadString(IDS_SHORTCUT_FOLDER_MISSING);
  if (isAccessDenied(hr)) return loadString(IDS_SHORTCUT_ACCESS_DENIED);
  return loadString(IDS_SHORTCUT_UNKNOWN_REASON) + hexCode(hr);
}

}  // namespace

bool FrmOptions::saveShortcut(win::UserFolder where, const win::ShellLinkFields& link) {
  const std::wstring folder = win::userFolder(where);
  const HRESULT hr = folder.empty() ? E_FAIL : win::saveShellLink(folder + L"\\Rivano.lnk", link);
  if (SUCCEEDED(hr)) return true;
  // Never claim a shortcut that was not made; say where and why instead.
  win::showMessage(hwnd(),
                   loadString(IDS_SHORTCUT_FAILED) + L"\r" + loadString(IDS_SHORTCUT_FOLDER) + folder + L"\r" +
                       failureReason(folder, hr),
                   MB_OK | MB_ICONEXCLAMATION);
  return false;
}

void FrmOptions::startupShortcutButton_Click() {
  win::ShellLinkFields link;
  link.target = state_.appFolder + L"Rivano.exe";
  link.workingFolder = withoutFinalBackslash(state_.appFolder);
  link.iconFile = link.target;
  link.arguments = win::isChecked(item(startupWithoutWindowCheckBox)) ? L"/S" : L"";
  if (saveShortcut(win::UserFolder::startup, link))
    win::showMessage(hwnd(), loadString(IDS_STARTUP_SHORTCUT_MADE), MB_OK | MB_ICONINFORMATION);
}

void FrmOptions::cmdDesktop_Click() {
  win::ShellLinkFields link;
  link.target = state_.appFolder + L"Rivano.exe";
  link.iconFile = link.target;
  if (saveShortcut(win::UserFolder::desktop, link))
    win::showMessage(hwnd(), loadString(IDS_DESKTOP_SHORTCUT_MADE), MB_OK | MB_ICONINFORMATION);
}

void FrmOptions::cmdUnInstall_Click() {
  if (win::showMessage(hwnd(), loadString(IDS_ERASE_SETTINGS_LINE1) + L"\r" + loadString(IDS_ERASE_SETTINGS_LINE2), MB_YESNO | MB_ICONQUESTION) != IDYES)
    return;
  SettingsStore store(services_.settings);
  store.deleteProgramKey();
  win::showMessage(hwnd(),
                   loadString(IDS_SETTINGS_ERASED_LINE1) + L"\r\r" + loadString(IDS_SETTINGS_ERASED_LINE2) + L"\r" + loadString(IDS_SETTINGS_ERASED_LINE3),
                   MB_OK | MB_ICONINFORMATION);
  // The run ends here: no exit sequence, so nothing is written back and
  // the wallpaper stays as it is.
  destroy();
  ExitProcess(0);
}

}  // namespace rivano
