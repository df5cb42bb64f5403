// A program that loads the version library the way Rivano does, for a test
// that plants a library beside it. It imports only kernel32 and the C
// runtime, so nothing loads the version library before it asks for it.
//   library_search_host delayed     the first call of a version function,
//                                   bound at that call as the program's are
//   library_search_host restricted  the search limited as at the program's
//                                   start, then "version.dll" loaded by name
//                                   as a system library would load it
//   library_search_host plain       "version.dll" loaded by name, with the
//                                   system's search as it comes
//   library_search_host cabinet <file>
//                                   the archive opened by cab32.dll from the
//                                   host's folder, which loads cabinet.dll
// Prints the path of the library it holds (version.dll, or cabinet.dll);
// exit code 0 when it holds one, 2 for a wrong argument.
#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/system_libraries.h"

int wmain(int argc, wchar_t** argv) {
  const std::wstring mode = argc > 1 ? argv[1] : L"";
  if (mode == L"delayed") {
    DWORD handle = 0;
    GetFileVersionInfoSizeW(L"kernel32.dll", &handle);
  } else if (mode == L"restricted" || mode == L"plain") {
    if (mode == L"restricted") rivano::win::limitLibrarySearchToSystemFolder();
    LoadLibraryW(L"version.dll");
  } else if (mode == L"cabinet" && argc > 2) {
    HMODULE cab = LoadLibraryW(L"cab32.dll");
    using Open = HANDLE(WINAPI*)(HWND, LPCSTR, DWORD);
    using Close = int(WINAPI*)(HANDLE);
    // GetProcAddress hands out a generic pointer; the archiver interface
    // fixes the signatures.
    const auto open = reinterpret_cast<Open>(reinterpret_cast<void*>(GetProcAddress(cab, "CabOpenArchive")));
    const auto close = reinterpret_cast<Close>(reinterpret_cast<void*>(GetProcAddress(cab, "CabCloseArchive")));
    if (!open || !close) return 3;
    char path[MAX_PATH] = {};
    WideCharToMultiByte(CP_ACP, 0, argv[2], -1, path, MAX_PATH, nullptr, nullptr);
    if (HANDLE archive = open(nullptr, path, 0)) close(archive);
  } else {
    return 2;
  }
  HMODULE version = GetModuleHandleW(mode == L"cabinet" ? L"cabinet.dll" : L"version.dll");
  wchar_t path[MAX_PATH] = {};
  if (!version || GetModuleFileNameW(version, path, MAX_PATH) == 0) return 1;
  std::printf("%ls\n", path);
  return 0;
}
