// The shell helpers the lists and dialogs call: deleting a picture file,
// opening a document, and the user's name for the version dialog.
#pragma once

#include <windows.h>

#include <string>

#include "platform/shell_operations.h"

namespace rivano {

// Deletes through the shell: to the recycle bin, or for good when
// `forGood`. True when no file of that path is left, so a cancelled
// confirmation or a failed delete gives false.
bool deleteFileByShell(win::ShellOperations& shell, const std::wstring& path, HWND owner, bool forGood);
bool deleteFileByShell(const std::wstring& path, HWND owner, bool forGood);

// Opens the document with its associated program. A failed launch goes
// unnoticed. The run-time error number raised on the way, for the caller's
// error dialog; 0 when none was.
int openDocument(win::ShellOperations& shell, const std::wstring& path);
int openDocument(const std::wstring& path);

// The logon name, or the "Licensed To: " text when it cannot be read.
std::wstring logonUserName(win::ShellOperations& shell);
std::wstring logonUserName();

}  // namespace rivano
