#include "platform/ole_drop_target.h"

#include <shellapi.h>

#include <utility>

namespace rivano::win {
namespace {

constexpr UINT kRunDropped = WM_APP + 1;
constexpr wchar_t kDeferredClass[] = L"RivanoDropDeferred";

FORMATETC fileListFormat() { return {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}; }

bool carriesFileList(IDataObject* data) {
  FORMATETC format = fileListFormat();
  return data && data->QueryGetData(&format) == S_OK;
}

// Releases a storage medium the data object handed out.
struct Medium {
  STGMEDIUM medium{};
  ~Medium() { ReleaseStgMedium(&medium); }
};

}  // namespace

std::vector<std::wstring> droppedFiles(IDataObject* data) {
  std::vector<std::wstring> files;
  if (!data) return files;
  FORMATETC format = fileListFormat();
  Medium held;
  if (FAILED(data->GetData(&format, &held.medium)) || held.medium.tymed != TYMED_HGLOBAL) return files;
  // DragQueryFile reads the list under its own lock, ANSI or wide alike.
  auto drop = static_cast<HDROP>(held.medium.hGlobal);
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    const UINT length = DragQueryFileW(drop, i, nullptr, 0);
    std::wstring path(length + 1, L'\0');
    const UINT copied = DragQueryFileW(drop, i, path.data(), length + 1);
    path.resize(copied);
    if (!path.empty()) files.push_back(std::move(path));
  }
  return files;
}

FileDropTarget::FileDropTarget(HWND window, Handler handler) : window_(window), handler_(std::move(handler)) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = &FileDropTarget::deferredProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kDeferredClass;
  RegisterClassW(&wc);  // fails harmlessly once the class exists
  deferred_ = CreateWindowExW(0, kDeferredClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  if (!deferred_) return;
  SetWindowLongPtrW(deferred_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  registered_ = SUCCEEDED(RegisterDragDrop(window_, this));
}

FileDropTarget::~FileDropTarget() {
  if (registered_) RevokeDragDrop(window_);
  if (deferred_) {
    SetWindowLongPtrW(deferred_, GWLP_USERDATA, 0);
    DestroyWindow(deferred_);
  }
}

HRESULT FileDropTarget::QueryInterface(REFIID id, void** out) {
  if (!out) return E_POINTER;
  if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDropTarget)) {
    *out = static_cast<IDropTarget*>(this);
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

// A file list is taken as a copy; anything else is refused at the door.
DWORD FileDropTarget::offer(DWORD allowed) const {
  if (!carriesFiles_) return DROPEFFECT_NONE;
  if (allowed & DROPEFFECT_COPY) return DROPEFFECT_COPY;
  return DROPEFFECT_NONE;
}

HRESULT FileDropTarget::DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) {
  if (!effect) return E_INVALIDARG;
  carriesFiles_ = carriesFileList(data);
  *effect = offer(*effect);
  return S_OK;
}

HRESULT FileDropTarget::DragOver(DWORD, POINTL, DWORD* effect) {
  if (!effect) return E_INVALIDARG;
  *effect = offer(*effect);
  return S_OK;
}

HRESULT FileDropTarget::DragLeave() {
  carriesFiles_ = false;
  return S_OK;
}

HRESULT FileDropTarget::Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) {
  if (!effect) return E_INVALIDARG;
  carriesFiles_ = carriesFileList(data);
  *effect = offer(*effect);
  // The list is read now, while the data object is ours to read; what is
  // done with it waits until the source has its answer.
  std::vector<std::wstring> files = *effect == DROPEFFECT_NONE ? std::vector<std::wstring>() : droppedFiles(data);
  carriesFiles_ = false;
  if (files.empty()) return S_OK;
  pending_.push_back(std::move(files));
  PostMessageW(deferred_, kRunDropped, 0, 0);
  return S_OK;
}

LRESULT CALLBACK FileDropTarget::deferredProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER && wParam == kRunDropped) {
    KillTimer(hwnd, kRunDropped);
    message = kRunDropped;
  }
  if (message != kRunDropped) return DefWindowProcW(hwnd, message, wParam, lParam);
  auto* self = reinterpret_cast<FileDropTarget*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self || self->pending_.empty()) return 0;
  // A drop that arrives while another is handled (the shell's question or
  // a message box is open) waits for it: the first drop's copies must not
  // land in a list that the second has refilled with another source.
  static bool handling = false;
  if (handling) {
    SetTimer(hwnd, kRunDropped, 200, nullptr);
    return 0;
  }
  std::vector<std::wstring> files = std::move(self->pending_.front());
  self->pending_.erase(self->pending_.begin());
  if (!self->pending_.empty()) PostMessageW(hwnd, kRunDropped, 0, 0);
  // The handler may end the window, and this object with it.
  Handler handler = self->handler_;
  handling = true;
  handler(std::move(files));
  handling = false;
  return 0;
}

}  // namespace rivano::win
