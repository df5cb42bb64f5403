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
bool myDeleteFile(win::ShellOperations& shell, const std::wstring& path, HWND owner, bool forGood);
bool myDeleteFile(const std::wstring& path, HWND owner, bool forGood);

// Opens the document with its associated program. A failed launch goes
// unnoticed; an error raised on the way shows the error dialog. Always true.
bool myShellExecute(win::ShellOperations& shell, const std::wstring& path);
bool myShellExecute(const std::wstring& path);

// The logon name, or the "Licensed To: " text when it cannot be read.
std::wstring myUserName(win::ShellOperations& shell);
std::wstring myUserName();

}  // namespace rivano
