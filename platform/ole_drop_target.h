// A window that takes the shell's file lists (CF_HDROP) dropped on it by
// OLE drag and drop, from Explorer or any other program.
#pragma once

#include <windows.h>
// needs windows.h first
#include <ole2.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace rivano::win {

// The paths of the file list a data object carries; empty when it carries
// none. Wide throughout: a name outside the ANSI code page stays intact.
std::vector<std::wstring> droppedFiles(IDataObject* data);

class FileDropTarget final : public IDropTarget {
 public:
  // Called with the dropped paths after the drop has returned to its
  // source: the source is not kept waiting on the shell's dialogs or on
  // message boxes that the handling may show.
  using Handler = std::function<void(std::vector<std::wstring> files)>;
  // Says whether the window refuses every drop just now. A refused drop is
  // still taken, with or without a file list, so that the handler can tell
  // the user why; its source hears that nothing was done.
  using Refusal = std::function<bool()>;

  // Registers `window` as a drop target. The window must outlive this.
  FileDropTarget(HWND window, Handler handler, Refusal refuses = {});
  ~FileDropTarget();
  FileDropTarget(const FileDropTarget&) = delete;
  FileDropTarget& operator=(const FileDropTarget&) = delete;
  bool registered() const { return registered_; }
  // Targets of one window that must not run their handlers at once: a drop
  // on one waits while another's handler runs (its question or message box
  // open), so that the first drop's files never land in a list the second
  // has refilled.
  void takeTurnsWith(const FileDropTarget& other) { handling_ = other.handling_; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override;
  // The owner's lifetime rules, not the count: the registration is
  // revoked before the object goes.
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL at, DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL at, DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE DragLeave() override;
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL at, DWORD* effect) override;

 private:
  class Deferred;
  friend class Deferred;
  void runNext();
  DWORD offer(DWORD allowed) const;

  HWND window_;
  Handler handler_;
  Refusal refuses_;
  std::unique_ptr<Deferred> deferred_;  // a message-only window that runs the handler later
  // Set while the handler runs; shared with the run, since the handler may
  // end this object.
  std::shared_ptr<bool> handling_ = std::make_shared<bool>(false);
  bool registered_ = false;
  bool carriesFiles_ = false;
  bool refusing_ = false;
  std::vector<std::vector<std::wstring>> pending_;
};

}  // namespace rivano::win
