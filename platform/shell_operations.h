// The shell services behind the program's small shell helpers: deleting a
// file through the shell, opening a document with its program, and the
// name of the user logged on.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace rivano::win {

class ShellOperations {
 public:
  virtual ~ShellOperations() = default;
  // One shell delete of one file; the shell speaks to the user itself
  // (confirmation, progress, errors). Its result is not reported.
  virtual void deleteFile(HWND owner, const std::wstring& path, bool toRecycleBin) = 0;
  virtual bool fileExists(const std::wstring& path) = 0;
  // Runs the verb "open" on the document, owned by the desktop window.
  virtual void openDocument(const std::wstring& path) = 0;
  // Empty when the system cannot tell.
  virtual std::optional<std::wstring> userName() = 0;
};

// The real shell on shell32/advapi32's wide functions.
class Win32Shell final : public ShellOperations {
 public:
  void deleteFile(HWND owner, const std::wstring& path, bool toRecycleBin) override;
  bool fileExists(const std::wstring& path) override;
  void openDocument(const std::wstring& path) override;
  std::optional<std::wstring> userName() override;
};

}  // namespace rivano::win
