#include "shell/shell_helpers.h"

#include <new>

#include "platform/message_box.h"
#include "platform/string_table.h"
#include "resources/resource_ids.h"
#include "common/run_error.h"

namespace rivano {
namespace {

// The shell keeps no state, so one instance serves every caller.
win::ShellOperations& realShell() {
  static win::Win32Shell shell;
  return shell;
}

// The run-time's "internal error", for failures that carry no number of their own.
constexpr int kInternalError = 51;

}  // namespace

bool myDeleteFile(win::ShellOperations& shell, const std::wstring& path, HWND owner, bool forGood) {
  shell.deleteFile(owner, path, !forGood);
  return !shell.fileExists(path);
}

bool myDeleteFile(const std::wstring& path, HWND owner, bool forGood) {
  return myDeleteFile(realShell(), path, owner, forGood);
}

bool myShellExecute(win::ShellOperations& shell, const std::wstring& path) {
  int number = 0;
  try {
    shell.openDocument(path);
  } catch (const RunError& e) {
    number = e.number();
  } catch (const std::bad_alloc&) {
    number = err::outOfMemory;
  } catch (const std::exception&) {
    number = kInternalError;
  }
  if (number != 0)
    win::showErrorDialog(nullptr, IDS_TITLE_SHELL_EXECUTE, number, PictureAdvice::generic);
  return true;
}

bool myShellExecute(const std::wstring& path) { return myShellExecute(realShell(), path); }

std::wstring myUserName(win::ShellOperations& shell) {
  if (auto name = shell.userName()) return *name;
  return win::loadString(IDS_LICENSED_TO);
}

std::wstring myUserName() { return myUserName(realShell()); }

}  // namespace rivano
