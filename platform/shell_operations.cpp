#include "platform/shell_operations.h"

#include <shellapi.h>

#include <array>
#include <cwchar>

#include "platform/file_system.h"

namespace rivano::win {

// The wide forms throughout: a path or a user name the ANSI code page
// cannot hold reaches the shell as it is, not as "?".

void Win32Shell::deleteFile(HWND owner, const std::wstring& path, bool toRecycleBin) {
  // The source is a list of names ended by an empty one: without the
  // second NUL the shell reads on into whatever follows in memory.
  std::wstring from = path;
  from.push_back(L'\0');
  from.push_back(L'\0');
  SHFILEOPSTRUCTW op{};
  op.hwnd = owner;
  op.wFunc = FO_DELETE;
  op.pFrom = from.data();
  op.pTo = nullptr;
  op.fFlags = toRecycleBin ? static_cast<FILEOP_FLAGS>(FOF_ALLOWUNDO) : 0;
  SHFileOperationW(&op);
}

bool Win32Shell::fileExists(const std::wstring& path) { return win::fileExists(path); }

void Win32Shell::openDocument(const std::wstring& path) {
  ShellExecuteW(GetDesktopWindow(), L"open", path.c_str(), nullptr, nullptr, SW_SHOW);
}

std::optional<std::wstring> Win32Shell::userName() {
  std::array<wchar_t, 128> buffer{};
  DWORD size = static_cast<DWORD>(buffer.size());
  if (!GetUserNameW(buffer.data(), &size)) return std::nullopt;
  return std::wstring(buffer.data(), wcsnlen(buffer.data(), buffer.size()));
}

}  // namespace rivano::win
