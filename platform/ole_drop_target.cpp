#include "platform/ole_drop_target.h"

#include <shellapi.h>

#include "platform/window.h"

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

// Runs the handler from the message loop, after the drop has returned to its
// source; through the window base, so that nothing thrown leaves it.
class FileDropTarget::Deferred final : public Window {
 public:
  explicit Deferred(FileDropTarget& owner) : owner_(owner) {
    CreateArgs args;
    args.className = kDeferredClass;
    args.style = 0;
    args.x = args.y = args.width = args.height = 0;
    args.parent = HWND_MESSAGE;
    create(args);
  }

 protected:
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_TIMER && wParam == kRunDropped) {
      KillTimer(hwnd(), kRunDropped);
      message = kRunDropped;
    }
    if (message != kRunDropped) return defaultHandling(message, wParam, lParam);
    owner_.runNext();
    return 0;
  }

 private:
  FileDropTarget& owner_;
};

FileDropTarget::FileDropTarget(HWND window, Handler handler, Refusal refuses)
    : window_(window), handler_(std::move(handler)), refuses_(std::move(refuses)) {
  deferred_ = std::make_unique<Deferred>(*this);
  if (!deferred_->hwnd()) return;
  registered_ = SUCCEEDED(RegisterDragDrop(window_, this));
}

FileDropTarget::~FileDropTarget() {
  if (registered_) RevokeDragDrop(window_);
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

// A file list is taken as a copy; anything else is refused at the door,
// unless the window refuses every drop and has to say so.
DWORD FileDropTarget::offer(DWORD allowed) const {
  if (!carriesFiles_ && !refusing_) return DROPEFFECT_NONE;
  if (allowed & DROPEFFECT_COPY) return DROPEFFECT_COPY;
  return DROPEFFECT_NONE;
}

HRESULT FileDropTarget::DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) {
  if (!effect) return E_INVALIDARG;
  carriesFiles_ = carriesFileList(data);
  refusing_ = refuses_ && refuses_();
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
  refusing_ = false;
  return S_OK;
}

HRESULT FileDropTarget::Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) {
  if (!effect) return E_INVALIDARG;
  carriesFiles_ = carriesFileList(data);
  refusing_ = refuses_ && refuses_();
  *effect = offer(*effect);
  const bool refused = refusing_ && *effect != DROPEFFECT_NONE;
  // The list is read now, while the data object is ours to read; what is
  // done with it waits until the source has its answer.
  std::vector<std::wstring> files =
      *effect == DROPEFFECT_NONE || !carriesFiles_ ? std::vector<std::wstring>() : droppedFiles(data);
  carriesFiles_ = false;
  refusing_ = false;
  if (refused) *effect = DROPEFFECT_NONE;
  else if (files.empty()) return S_OK;
  pending_.push_back(std::move(files));
  PostMessageW(deferred_->hwnd(), kRunDropped, 0, 0);
  return S_OK;
}

void FileDropTarget::runNext() {
  if (pending_.empty()) return;
  // A drop that arrives while another is handled (the shell's question or
  // a message box is open) waits for it.
  if (*handling_) {
    SetTimer(deferred_->hwnd(), kRunDropped, 200, nullptr);
    return;
  }
  std::vector<std::wstring> files = std::move(pending_.front());
  pending_.erase(pending_.begin());
  if (!pending_.empty()) PostMessageW(deferred_->hwnd(), kRunDropped, 0, 0);
  // The handler may end the window, and this object with it: what the
  // run needs afterwards is its own.
  const Handler handler = handler_;
  const std::shared_ptr<bool> handling = handling_;
  struct Busy {
    bool& flag;
    explicit Busy(bool& f) : flag(f) { flag = true; }
    ~Busy() { flag = false; }
  } busy(*handling);
  handler(std::move(files));
}

}  // namespace rivano::win
