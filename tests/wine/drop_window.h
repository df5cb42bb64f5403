// The other side of a drag out of the program: a window of the test that
// takes dropped file lists as the shell does, with the helpers a drag needs
// from the test's thread.
#pragma once

#include <windows.h>
// needs windows.h first
#include <ole2.h>
#include <shellapi.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/wine/test_support.h"

namespace rivano::testing {

// Takes dropped file lists as the shell does and reads the file at once,
// as a copy would; a move takes it away afterwards.
class DropWindow final : public IDropTarget {
 public:
  DropWindow() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"RivanoDragOutTarget";
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    RegisterClassW(&wc);
    hwnd = CreateWindowExW(WS_EX_TOPMOST, L"RivanoDragOutTarget", L"drop", WS_POPUP | WS_VISIBLE | WS_BORDER, 0, 0,
                           160, 160, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    registered = SUCCEEDED(RegisterDragDrop(hwnd, this));
  }
  ~DropWindow() {
    if (registered) RevokeDragDrop(hwnd);
    DestroyWindow(hwnd);
  }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override {
    if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDropTarget)) {
      *out = static_cast<IDropTarget*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject*, DWORD, POINTL, DWORD* effect) override {
    *effect = DROPEFFECT_COPY;
    over = true;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override {
    *effect = DROPEFFECT_COPY;
    over = true;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DragLeave() override {
    over = false;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
    over = false;
    allowedEffects = *effect;
    FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    if (SUCCEEDED(data->GetData(&format, &medium))) {
      auto drop = static_cast<HDROP>(medium.hGlobal);
      files = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
      wchar_t path[MAX_PATH * 2] = {};
      DragQueryFileW(drop, 0, path, MAX_PATH * 2);
      dropped = path;
      bytes = readFileBytes(dropped);
      ReleaseStgMedium(&medium);
    }
    // A move takes the file away once it is read.
    if (moves && !dropped.empty()) DeleteFileW(dropped.c_str());
    *effect = moves ? DROPEFFECT_MOVE : DROPEFFECT_COPY;
    return S_OK;
  }

  HWND hwnd = nullptr;
  bool registered = false;
  bool moves = false;
  bool over = false;  // a drag is over the window, not yet dropped
  std::wstring dropped;
  std::vector<std::uint8_t> bytes;
  UINT files = 0;
  DWORD allowedEffects = 0;
};

// A hand's pace along a drag: the drag samples the pointer on a timer of
// its own, which a test cannot see, so the steps take their time while
// this thread answers the calls the drag makes into it.
inline void handPause() {
  const DWORD until = GetTickCount() + 80;
  waitUntil([&] { return static_cast<LONG>(until - GetTickCount()) <= 0; }, 80);
}

// Puts the pointer on a point of the screen, once it is there.
inline bool pointerTo(POINT at) {
  SetCursorPos(at.x, at.y);
  return waitUntil([&] {
    POINT now{};
    return GetCursorPos(&now) && now.x == at.x && now.y == at.y;
  }, 5000);
}

// Whether the window's thread holds the mouse for that window, as a list
// does from the press of a button until it is let go or a drag takes over.
inline bool holdsMouse(HWND window) {
  GUITHREADINFO info{sizeof info};
  return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) && info.hwndCapture == window;
}

inline void mouse(DWORD flags) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = flags;
  SendInput(1, &in, sizeof in);
}

}  // namespace rivano::testing
