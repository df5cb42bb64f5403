#include "tests/wine/test_support.h"

#include "platform/controls.h"

#include <commctrl.h>
#include <psapi.h>
#include <shellapi.h>

#include <algorithm>
#include <iterator>
#include <stdexcept>

namespace rivano::testing {
namespace {

std::wstring fromUtf8(const char* text) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text, -1, out.data(), n);
  out.resize(static_cast<std::size_t>(n > 0 ? n - 1 : 0));
  return out;
}

struct WindowSearch {
  DWORD processId;
  const wchar_t* className;
  HWND found;
};

BOOL CALLBACK findWindow(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != search->processId || !IsWindowVisible(hwnd)) return TRUE;
  wchar_t name[64] = {};
  GetClassNameW(hwnd, name, 64);
  if (search->className && wcscmp(name, search->className) != 0) return TRUE;
  search->found = hwnd;
  return FALSE;
}


}  // namespace

std::wstring linuxPath(const char* utf8) {
  // Wine shows the Linux root as drive Z:.
  std::wstring path = L"Z:" + fromUtf8(utf8);
  for (wchar_t& c : path)
    if (c == L'/') c = L'\\';
  return path;
}

std::wstring pictureDir() { return linuxPath(RIVANO_TEST_PICTURES) + L"\\"; }

std::wstring binDir() {
  wchar_t buffer[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, buffer, MAX_PATH);
  std::wstring path = buffer;
  return path.substr(0, path.find_last_of(L'\\') + 1);
}

TempFolder::TempFolder(const std::wstring& stem) {
  wchar_t base[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, base);
  static unsigned serial = 0;
  for (;;) {
    path_ = std::wstring(base) + stem + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(++serial) + L"\\";
    if (CreateDirectoryW(path_.c_str(), nullptr)) return;
    if (GetLastError() != ERROR_ALREADY_EXISTS) throw std::runtime_error("cannot make a temp folder");
  }
}

TempFolder::~TempFolder() {
  // SHFileOperation wants a double-NUL list and no trailing backslash.
  std::wstring from = path_.substr(0, path_.size() - 1);
  from.push_back(L'\0');
  SHFILEOPSTRUCTW op{};
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
  SHFileOperationW(&op);
}

std::vector<std::uint8_t> readFileBytes(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  LARGE_INTEGER size{};
  GetFileSizeEx(file, &size);
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size.QuadPart));
  DWORD read = 0;
  if (!bytes.empty()) ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
  CloseHandle(file);
  bytes.resize(read);
  return bytes;
}

void writeFileBytes(const std::wstring& path, const std::vector<std::uint8_t>& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot write a test file");
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

std::wstring programString(const std::wstring& exePath, int id) {
  HMODULE module = LoadLibraryExW(exePath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module) return L"<no program file>";
  wchar_t buffer[1024] = {};
  LoadStringW(module, static_cast<UINT>(id), buffer, 1024);
  FreeLibrary(module);
  return buffer;
}

RunningProgram::RunningProgram(const std::wstring& exePath, const std::wstring& arguments) {
  std::wstring line = L"\"" + exePath + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
  const std::wstring folder = exePath.substr(0, exePath.find_last_of(L'\\'));
  STARTUPINFOW si{sizeof si};
  PROCESS_INFORMATION pi{};
  if (CreateProcessW(exePath.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                     folder.c_str(), &si, &pi)) {
    CloseHandle(pi.hThread);
    process_ = pi.hProcess;
    id_ = pi.dwProcessId;
  }
}

RunningProgram::~RunningProgram() {
  if (!process_) return;
  if (running()) {
    TerminateProcess(process_, 1);
    WaitForSingleObject(process_, 5000);
  }
  CloseHandle(process_);
}

bool RunningProgram::waitForExit(DWORD milliseconds) {
  return process_ && WaitForSingleObject(process_, milliseconds) == WAIT_OBJECT_0;
}

bool RunningProgram::running() const {
  return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

DWORD RunningProgram::exitCode() const {
  DWORD code = STILL_ACTIVE;
  if (process_) GetExitCodeProcess(process_, &code);
  return code;
}

std::size_t RunningProgram::peakPrivateBytes() const {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (!process_ || !GetProcessMemoryInfo(process_, &counters, sizeof counters)) return 0;
  return counters.PeakPagefileUsage;
}

HWND RunningProgram::waitForWindow(const wchar_t* className, DWORD milliseconds) const {
  const DWORD until = GetTickCount() + milliseconds;
  do {
    WindowSearch search{id_, className, nullptr};
    EnumWindows(findWindow, reinterpret_cast<LPARAM>(&search));
    if (search.found) return search.found;
    if (!running()) return nullptr;
    Sleep(50);
  } while (static_cast<LONG>(until - GetTickCount()) > 0);
  return nullptr;
}

std::optional<SeenMessageBox> RunningProgram::waitForMessageBox(DWORD milliseconds) const {
  HWND box = waitForWindow(L"#32770", milliseconds);
  if (!box) return std::nullopt;
  // The box's text is the static control the system gives the id 0xFFFF.
  return SeenMessageBox{box, win::windowText(box), win::windowText(GetDlgItem(box, 0xFFFF))};
}

bool RunningProgram::hasVisibleWindow() const {
  WindowSearch search{id_, nullptr, nullptr};
  EnumWindows(findWindow, reinterpret_cast<LPARAM>(&search));
  return search.found != nullptr;
}

void pressOk(HWND box) {
  HWND ok = GetDlgItem(box, IDOK);
  if (ok) SendMessageW(ok, BM_CLICK, 0, 0);
  else PostMessageW(box, WM_COMMAND, IDOK, 0);
}

bool answerOk(const RunningProgram& program, HWND box) {
  pressOk(box);
  return waitUntil([&] { return !program.waitForMessageBox(0).has_value(); }, 30000);
}

FileHolder::FileHolder(const std::wstring& path, DWORD share)
    : file_(CreateFileW(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr)) {}

FileHolder::~FileHolder() {
  if (open()) CloseHandle(file_);
}

std::vector<std::uint8_t> FileHolder::content() const {
  SetFilePointer(file_, 0, nullptr, FILE_BEGIN);
  std::vector<std::uint8_t> bytes(GetFileSize(file_, nullptr));
  DWORD read = 0;
  ReadFile(file_, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
  bytes.resize(read);
  return bytes;
}

}  // namespace rivano::testing

namespace rivano::testing {

namespace {
constexpr SIZE_T kRemoteSize = 8192;
}

RemoteListView::RemoteListView(HWND list) : list_(list) {
  DWORD pid = 0;
  GetWindowThreadProcessId(list, &pid);
  process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (process_) remote_ = VirtualAllocEx(process_, nullptr, kRemoteSize, MEM_COMMIT, PAGE_READWRITE);
}

RemoteListView::~RemoteListView() {
  if (remote_) VirtualFreeEx(process_, remote_, 0, MEM_RELEASE);
  if (process_) CloseHandle(process_);
}

int RemoteListView::count() const { return static_cast<int>(SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0)); }

std::wstring RemoteListView::text(int item, int column) const {
  if (!remote_) return L"<no access>";
  LVITEMW lv{};
  lv.iSubItem = column;
  lv.cchTextMax = 1024;
  lv.pszText = reinterpret_cast<wchar_t*>(static_cast<char*>(remote_) + sizeof(LVITEMW));
  WriteProcessMemory(process_, remote_, &lv, sizeof lv, nullptr);
  const int n = static_cast<int>(SendMessageW(list_, LVM_GETITEMTEXTW, item, reinterpret_cast<LPARAM>(remote_)));
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  if (n > 0) ReadProcessMemory(process_, lv.pszText, out.data(), static_cast<SIZE_T>(n) * sizeof(wchar_t), nullptr);
  return out;
}

int RemoteListView::selected() const {
  return static_cast<int>(SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

bool RemoteListView::checked(int item) const {
  const auto state = SendMessageW(list_, LVM_GETITEMSTATE, item, LVIS_STATEIMAGEMASK);
  return ((state & LVIS_STATEIMAGEMASK) >> 12) == 2;
}

int RemoteListView::image(int item) const {
  if (!remote_) return -100;
  LVITEMW lv{};
  lv.mask = LVIF_IMAGE;
  lv.iItem = item;
  WriteProcessMemory(process_, remote_, &lv, sizeof lv, nullptr);
  SendMessageW(list_, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote_));
  ReadProcessMemory(process_, remote_, &lv, sizeof lv, nullptr);
  return lv.iImage;
}

RECT RemoteListView::itemRect(int item, int code) const {
  RECT r{code, 0, 0, 0};
  if (!remote_) return r;
  WriteProcessMemory(process_, remote_, &r, sizeof r, nullptr);
  SendMessageW(list_, LVM_GETITEMRECT, item, reinterpret_cast<LPARAM>(remote_));
  ReadProcessMemory(process_, remote_, &r, sizeof r, nullptr);
  return r;
}

// Posted, as the mouse's messages are: a list view that waits for the
// release to tell a click from a drag finds it already queued.
static void mouseClick(HWND window, int x, int y) {
  const LPARAM at = MAKELPARAM(x, y);
  PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(window, WM_LBUTTONUP, 0, at);
}

void RemoteListView::click(int item) const {
  const RECT r = itemRect(item, LVIR_LABEL);
  mouseClick(list_, r.left + 4, (r.top + r.bottom) / 2);
}

POINT RemoteListView::itemCentre(int item) const {
  const RECT r = itemRect(item, LVIR_LABEL);
  POINT at{r.left + 4, (r.top + r.bottom) / 2};
  ClientToScreen(list_, &at);
  return at;
}

void RemoteListView::clickCheckBox(int item) const {
  const RECT r = itemRect(item, LVIR_BOUNDS);
  // The check box is the state image at the very left of the item.
  mouseClick(list_, r.left + 8, (r.top + r.bottom) / 2);
}

void RemoteListView::clickColumn(int column) const {
  // The header item's place from the column widths, which need no memory
  // of the other process.
  HWND header = reinterpret_cast<HWND>(SendMessageW(list_, LVM_GETHEADER, 0, 0));
  int x = 0;
  for (int c = 0; c < column; ++c) x += static_cast<int>(SendMessageW(list_, LVM_GETCOLUMNWIDTH, c, 0));
  // Near the item's left edge: a wide list may show only the start of it.
  x += std::min(8, static_cast<int>(SendMessageW(list_, LVM_GETCOLUMNWIDTH, column, 0)) / 2);
  RECT r{};
  GetClientRect(header, &r);
  mouseClick(header, x, (r.top + r.bottom) / 2);
}

void clickButton(HWND button) { SendMessageW(button, BM_CLICK, 0, 0); }

namespace {
INPUT keyInput(WORD key, bool up) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = key;
  in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
  in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  return in;
}
}  // namespace

void pressKeys(HWND foreground, std::initializer_list<WORD> held, WORD key) {
  SetForegroundWindow(foreground);
  waitUntil([&] { return GetForegroundWindow() == foreground; }, 5000);
  std::vector<INPUT> inputs;
  for (WORD h : held) inputs.push_back(keyInput(h, false));
  inputs.push_back(keyInput(key, false));
  inputs.push_back(keyInput(key, true));
  for (auto h = std::rbegin(held); h != std::rend(held); ++h) inputs.push_back(keyInput(*h, true));
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

HWND focusedControl(HWND window) {
  GUITHREADINFO info{sizeof info};
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

namespace {

struct ControlSearch {
  int id;
  HWND found;
};

BOOL CALLBACK matchControlId(HWND child, LPARAM param) {
  auto* search = reinterpret_cast<ControlSearch*>(param);
  if (GetDlgCtrlID(child) != search->id) return TRUE;
  search->found = child;
  return FALSE;
}

}  // namespace

HWND controlInside(HWND window, int id) {
  ControlSearch search{id, nullptr};
  EnumChildWindows(window, matchControlId, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void hoverOver(HWND control) {
  RECT r{};
  GetWindowRect(control, &r);
  const int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
  SetCursorPos(x - 2, y - 2);
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dx = 2;
  in.mi.dy = 2;
  in.mi.dwFlags = MOUSEEVENTF_MOVE;
  SendInput(1, &in, sizeof in);
}

void chooseMenu(HWND window, int commandId) { SendMessageW(window, WM_COMMAND, MAKEWPARAM(commandId, 0), 0); }

std::wstring controlText(HWND control) {
  wchar_t text[1024] = {};
  SendMessageW(control, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
  return text;
}

bool isButtonChecked(HWND button) { return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

std::string narrow(const std::wstring& text) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

bool waitUntil(const std::function<bool()>& condition, DWORD milliseconds) {
  const DWORD until = GetTickCount() + milliseconds;
  for (;;) {
    if (condition()) return true;
    const auto left = static_cast<LONG>(until - GetTickCount());
    if (left <= 0) return false;
    // Calls another process makes into this thread (a drag over a window
    // of the test) arrive as messages: answered at once, they wake the wait.
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::min<LONG>(left, 50)), QS_ALLINPUT);
  }
}

bool waitForIdle(HWND window, DWORD milliseconds) {
  const DWORD thread = GetWindowThreadProcessId(window, nullptr);
  return waitUntil([&] {
    GUITHREADINFO info{sizeof info};
    if (!GetGUIThreadInfo(thread, &info)) return false;
    if (info.hwndCapture || (info.flags & (GUI_INMENUMODE | GUI_INMOVESIZE | GUI_POPUPMENUMODE))) return false;
    DWORD_PTR answer = 0;
    return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_BLOCK, 1000, &answer) != 0;
  }, milliseconds);
}

bool waitForPostedMessages(HWND listView, DWORD milliseconds) {
  // The hover time is set by a message posted behind the others and read
  // back by one sent, which the thread answers at once.
  const LRESULT before = SendMessageW(listView, LVM_GETHOVERTIME, 0, 0);
  const LPARAM marker = before == 4321 ? 4322 : 4321;
  PostMessageW(listView, LVM_SETHOVERTIME, 0, marker);
  const bool taken = waitUntil([&] { return SendMessageW(listView, LVM_GETHOVERTIME, 0, 0) == marker; }, milliseconds);
  SendMessageW(listView, LVM_SETHOVERTIME, 0, before);
  return taken;
}

}  // namespace rivano::testing
