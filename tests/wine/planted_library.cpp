// A stranger's library planted beside a program under the name of one the
// program loads. Loading it leaves a file beside it named after it with
// ".loaded" added, which is all the tests look for. It answers the version
// functions as having nothing, so a program that takes it goes on running.
#include <windows.h>

#include <string>

#include "platform/unique_handle.h"

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  wchar_t path[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameW(self, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return TRUE;
  const std::wstring marker = std::wstring(path, n) + L".loaded";
  rivano::win::UniqueFile file(
      CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  return TRUE;
}

extern "C" DWORD WINAPI plantedSize(LPCWSTR, LPDWORD) { return 0; }
extern "C" BOOL WINAPI plantedInfo(LPCWSTR, DWORD, DWORD, LPVOID) { return FALSE; }
extern "C" BOOL WINAPI plantedQuery(LPCVOID, LPCWSTR, LPVOID*, PUINT) { return FALSE; }
