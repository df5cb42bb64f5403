// Helpers of the Windows tests: where their files are, temporary folders,
// and driving the real program as a user would.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

namespace rivano::testing {

// The folder of pictures made for the tests at build time.
std::wstring pictureDir();
// A Linux path of the build as Wine shows it (on drive Z:), no trailing "\".
std::wstring linuxPath(const char* utf8);
// The folder that holds the test programs and Rivano.exe.
std::wstring binDir();

// A folder of its own under the temporary folder, removed with its files.
class TempFolder {
 public:
  explicit TempFolder(const std::wstring& stem);
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::wstring& path() const { return path_; }  // ends in "\"

 private:
  std::wstring path_;
};

std::vector<std::uint8_t> readFileBytes(const std::wstring& path);
void writeFileBytes(const std::wstring& path, const std::vector<std::uint8_t>& bytes);

// A string of the program file's string table.
std::wstring programString(const std::wstring& exePath, int id);

struct SeenMessageBox {
  HWND hwnd = nullptr;
  std::wstring title;
  std::wstring text;
};

// The real program started with an argument text, ended on destruction if
// it is still running.
class RunningProgram {
 public:
  RunningProgram(const std::wstring& exePath, const std::wstring& arguments);
  ~RunningProgram();
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;

  bool started() const { return process_ != nullptr; }
  bool waitForExit(DWORD milliseconds);
  bool running() const;
  // The code the process ended with; STILL_ACTIVE while it runs. A fault
  // ends it with the exception's code (0xC0000005 and the like).
  DWORD exitCode() const;
  // The most memory the process has reserved for its own use so far, in
  // bytes; 0 when the system does not tell.
  std::size_t peakPrivateBytes() const;
  // A visible top-level window of this process with the given class.
  HWND waitForWindow(const wchar_t* className, DWORD milliseconds) const;
  std::optional<SeenMessageBox> waitForMessageBox(DWORD milliseconds) const;
  bool hasVisibleWindow() const;

 private:
  HANDLE process_ = nullptr;
  DWORD id_ = 0;
};

// Presses the box's OK button the way a click does.
void pressOk(HWND box);
// Presses OK and waits until the program shows no box any more.
bool answerOk(const RunningProgram& program, HWND box);

// Another program's handle on a file, as a viewer or an indexer holds it.
class FileHolder {
 public:
  FileHolder(const std::wstring& path, DWORD share);
  ~FileHolder();
  FileHolder(const FileHolder&) = delete;
  FileHolder& operator=(const FileHolder&) = delete;
  bool open() const { return file_ != INVALID_HANDLE_VALUE; }
  // What the holder reads from the start of the file now.
  std::vector<std::uint8_t> content() const;

 private:
  HANDLE file_;
};

}  // namespace rivano::testing

namespace rivano::testing {

// A list view of another process, read and driven through memory of that
// process, since list-view messages carry pointers.
class RemoteListView {
 public:
  RemoteListView(HWND list);
  ~RemoteListView();
  RemoteListView(const RemoteListView&) = delete;
  RemoteListView& operator=(const RemoteListView&) = delete;

  int count() const;
  std::wstring text(int item, int column = 0) const;
  int selected() const;
  bool checked(int item) const;
  // The item's image index; negative when it shows no icon.
  int image(int item) const;
  // Clicks an item's first column as the mouse does.
  void click(int item) const;
  void clickCheckBox(int item) const;
  void clickColumn(int column) const;
  // The middle of an item's label in screen coordinates, where a hand
  // takes hold of it to drag it.
  POINT itemCentre(int item) const;

 private:
  RECT itemRect(int item, int code) const;
  HWND list_;
  HANDLE process_ = nullptr;
  void* remote_ = nullptr;
};

// UTF-8 for test messages.
std::string narrow(const std::wstring& text);

// Waits until the condition holds, up to the given time, answering this
// thread's messages meanwhile.
bool waitUntil(const std::function<bool()>& condition, DWORD milliseconds);
// Waits until the window's thread holds the mouse no more and answers a
// message: a drag, a menu or a move it ran has ended.
bool waitForIdle(HWND window, DWORD milliseconds);
// Waits until the thread of a list view of another process has taken every
// message posted to it before the call: work a window put off is done.
bool waitForPostedMessages(HWND listView, DWORD milliseconds);

// Sends a button click as a user's click does, and waits for it.
void clickButton(HWND button);
// The text of a control of another process (an edit box's own text).
std::wstring controlText(HWND control);
bool isButtonChecked(HWND button);
// A menu command of a window, as choosing it from the menu bar does.
void chooseMenu(HWND window, int commandId);

// The keyboard as a user's hands: the keys go through the system's input
// queue to the foreground window, which is made the given one first.
// Each entry is a virtual key; modifiers are held while the next key is
// pressed when listed in `held`.
void pressKeys(HWND foreground, std::initializer_list<WORD> held, WORD key);
// The control of another process's window that has the keyboard focus.
HWND focusedControl(HWND window);
// A control anywhere in a window, in whichever frame it lies; null when none
// has that id.
HWND controlInside(HWND window, int id);
// Moves the mouse over the middle of a control, as a user's hand does.
void hoverOver(HWND control);

}  // namespace rivano::testing
