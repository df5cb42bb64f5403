#include "platform/shell_operations.h"

#include <shellapi.h>

#include "platform/ansi.h"
#include "platform/file_system.h"

namespace rivano::win {

void Win32Shell::deleteFile(HWND owner, const std::wstring& path, bool toRecycleBin) {
  // The source is a list of names ended by an empty one: without the
  // second NUL the shell reads on into whatever follows in memory.
  std::string from = toAnsi(path);
  from.push_back('\0');
  from.push_back('\0');
  SHFILEOPSTRUCTA op{};
  op.hwnd = owner;
  op.wFunc = FO_DELETE;
  op.pFrom = from.data();
  op.pTo = nullptr;
  op.fFlags = toRecycleBin ? static_cast<FILEOP_FLAGS>(FOF_ALLOWUNDO) : 0;
  SHFileOperationA(&op);
}

bool Win32Shell::fileExists(const std::wstring& path) { return win::fileExists(path); }

void Win32Shell::openDocument(const std::wstring& path) {
  const std::string file = toAnsi(path);
  ShellExecuteA(GetDesktopWindow(), "open", file.c_str(), nullptr, nullptr, SW_SHOW);
}

std::optional<std::wstring> Win32Shell::userName() {
  char buffer[128] = {};
  DWORD size = sizeof buffer;
  if (!GetUserNameA(buffer, &size)) return std::nullopt;
  return fromAnsi(std::string_view(buffer, strnlen(buffer, sizeof buffer)));
}

}  // namespace rivano::win
