#include "platform/data_folder.h"

#include <windows.h>
// needs windows.h first
#include <shlobj.h>

#include <vector>

#include "platform/file_system.h"

namespace rivano::win {

bool canWriteIn(const std::wstring& folder) {
  std::vector<wchar_t> probe(folder.size() + MAX_PATH + 1);
  // Makes a file of a name nobody else uses.
  if (GetTempFileNameW(folder.c_str(), L"Riv", 0, probe.data()) == 0) return false;
  return DeleteFileW(probe.data()) != FALSE;
}

std::wstring localAppDataFolder() {
  std::vector<wchar_t> value(MAX_PATH);
  for (;;) {
    const DWORD n = GetEnvironmentVariableW(L"LOCALAPPDATA", value.data(), static_cast<DWORD>(value.size()));
    if (n == 0) break;
    if (n < value.size()) return std::wstring(value.data(), n);
    value.resize(n);
  }
  // Systems before Vista set no such variable; only the shell knows.
  wchar_t path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path)))
    return {};
  return path;
}

std::wstring dataFolder(const std::wstring& programFolder, const std::function<std::wstring()>& localAppData) {
  if (canWriteIn(programFolder)) return programFolder;
  std::wstring base = localAppData();
  if (base.empty()) return programFolder;
  if (base.back() != L'\\') base += L'\\';
  const std::wstring own = base + L"Rivano\\";
  if (!directoryExists(own) && !CreateDirectoryW(own.c_str(), nullptr) && !directoryExists(own))
    return programFolder;
  return own;
}

}  // namespace rivano::win
