#include "shell/shell_helpers.h"

#include <new>

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

bool deleteFileByShell(win::ShellOperations& shell, const std::wstring& path, HWND owner, bool forGood) {
  shell.deleteFile(owner, path, !forGood);
  return !shell.fileExists(path);
}

bool deleteFileByShell(const std::wstring& path, HWND owner, bool forGood) {
  return deleteFileByShell(realShell(), path, owner, forGood);
}

int openDocument(win::ShellOperations& shell, const std::wstring& path) {
  try {
    shell.openDocument(path);
  } catch (const RunError& e) {
    return e.number();
  } catch (const std::bad_alloc&) {
    return err::outOfMemory;
  } catch (const std::exception&) {
    return kInternalError;
  }
  return 0;
}

int openDocument(const std::wstring& path) { return openDocument(realShell(), path); }

std::wstring logonUserName(win::ShellOperations& shell) {
  if (auto name = shell.userName()) return *name;
  return win::loadString(IDS_LICENSED_TO);
}

std::wstring logonUserName() { return logonUserName(realShell()); }

}  // namespace rivano
