// The floor of a run: a program with the same system libraries as Rivano
// that starts, creates one window and ends. Nothing the program does can
// be faster than this under the same Wine.
#include <windows.h>
// needs windows.h first
#include <commctrl.h>
#include <commdlg.h>
#include <objbase.h>
#include <oleauto.h>
#include <shellapi.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  const bool ole = SUCCEEDED(OleInitialize(nullptr));
  WNDCLASSEXW wc{sizeof wc};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = instance;
  wc.lpszClassName = L"RivanoFloor";
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  RegisterClassExW(&wc);
  HWND window = CreateWindowExW(0, wc.lpszClassName, L"floor", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                                nullptr, instance, nullptr);
  // One call into each of the other libraries the program imports, so that
  // the loader maps the same set.
  DragAcceptFiles(window, FALSE);
  CommDlgExtendedError();
  SysFreeString(nullptr);
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, &key) == ERROR_SUCCESS) RegCloseKey(key);
  DestroyWindow(window);
  if (ole) OleUninitialize();
  return 0;
}
