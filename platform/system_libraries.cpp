#include "platform/system_libraries.h"

#include <vector>

namespace rivano::win {
namespace {

// The loader flags that keep the search in the system folder came with the
// same update as these functions; where they are missing, so is the flag.
using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);

SetDefaultDllDirectoriesFunction setDefaultDllDirectories() {
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  if (!kernel) return nullptr;
  // GetProcAddress hands out a generic pointer; the signature is the
  // documented one.
  return reinterpret_cast<SetDefaultDllDirectoriesFunction>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
}

// True when the process's manifest sends the name to an assembly of its
// own (the version 6 common controls): that happens before any folder is
// searched, and a path would bypass it.
bool redirectedByManifest(const std::wstring& fileName) {
  ACTCTX_SECTION_KEYED_DATA data{};
  data.cbSize = sizeof data;
  return FindActCtxSectionStringW(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, fileName.c_str(),
                                  &data) != FALSE;
}

}  // namespace

void limitLibrarySearchToSystemFolder() {
  if (const auto set = setDefaultDllDirectories()) set(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

std::wstring systemLibraryPath(std::wstring_view fileName) {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const UINT n = GetSystemDirectoryW(buffer.data(), static_cast<UINT>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) {
      std::wstring path(buffer.data(), n);
      if (path.back() != L'\\') path += L'\\';
      return path + std::wstring(fileName);
    }
    buffer.resize(n);
  }
}

HMODULE loadSystemLibrary(std::wstring_view fileName) {
  const std::wstring name(fileName);
  if (HMODULE module = LoadLibraryExW(name.c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) return module;
  // A loader without the flag refuses it as an invalid parameter; any
  // other failure is the library's own.
  if (GetLastError() != ERROR_INVALID_PARAMETER) return nullptr;
  if (redirectedByManifest(name)) return LoadLibraryW(name.c_str());
  const std::wstring path = systemLibraryPath(fileName);
  return path.empty() ? nullptr : LoadLibraryW(path.c_str());
}

}  // namespace rivano::win
