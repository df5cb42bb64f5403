// Answers the dialog boxes this test process shows, from a second thread,
// the way a user would: each box is read, noted, and its button pressed.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace rivano::testing {

struct AnsweredBox {
  std::wstring title;
  std::wstring text;  // the message text of a message box; empty otherwise
  HICON icon = nullptr;  // the icon a message box shows
};

class BoxAnswerer {
 public:
  // `button` is pressed on every box (IDOK, IDYES, IDNO ...).
  explicit BoxAnswerer(int button = IDOK) : button_(button) {
    thread_ = CreateThread(nullptr, 0, &BoxAnswerer::run, this, 0, nullptr);
  }
  ~BoxAnswerer() {
    stop_ = true;
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
  }
  BoxAnswerer(const BoxAnswerer&) = delete;
  BoxAnswerer& operator=(const BoxAnswerer&) = delete;

  std::vector<AnsweredBox> seen() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return seen_;
  }

 private:
  static std::wstring textOf(HWND hwnd) {
    if (!hwnd) return {};
    wchar_t buffer[2048] = {};
    GetWindowTextW(hwnd, buffer, 2048);
    return buffer;
  }

  static BOOL CALLBACK visit(HWND hwnd, LPARAM param) {
    auto* self = reinterpret_cast<BoxAnswerer*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t name[16] = {};
    GetClassNameW(hwnd, name, 16);
    if (pid == GetCurrentProcessId() && IsWindowVisible(hwnd) && wcscmp(name, L"#32770") == 0 &&
        !self->answered_.contains(hwnd))
      self->answer(hwnd);
    return TRUE;
  }

  void answer(HWND box) {
    answered_.insert(box);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      // A message box gives its text control the id 0xFFFF.
      // Its icon control is 0x14 on Windows and 0x440 on Wine.
      HWND icon = GetDlgItem(box, 0x14);
      if (!icon) icon = GetDlgItem(box, 0x440);
      seen_.push_back({textOf(box), textOf(GetDlgItem(box, 0xFFFF)),
                       icon ? reinterpret_cast<HICON>(SendMessageW(icon, STM_GETICON, 0, 0)) : nullptr});
    }
    if (HWND button = GetDlgItem(box, button_)) SendMessageW(button, BM_CLICK, 0, 0);
    else PostMessageW(box, WM_COMMAND, static_cast<WPARAM>(button_), 0);
  }

  static DWORD WINAPI run(void* param) {
    auto* self = static_cast<BoxAnswerer*>(param);
    while (!self->stop_) {
      EnumWindows(&BoxAnswerer::visit, reinterpret_cast<LPARAM>(self));
      Sleep(20);
    }
    return 0;
  }

  int button_;
  HANDLE thread_ = nullptr;
  std::atomic<bool> stop_{false};
  std::set<HWND> answered_;  // touched by the answering thread only
  mutable std::mutex mutex_;
  std::vector<AnsweredBox> seen_;
};

}  // namespace rivano::testing
