// Copying one file through the shell, as Explorer copies: the shell shows
// its progress, asks before it replaces a file of the same name and lets
// the user cancel.
#pragma once

#include <windows.h>

#include <string>

namespace rivano::win {

// True when the shell reports the copy done and nobody cancelled it.
// The wide call: a name outside the ANSI code page is copied under its own
// name, not as question marks.
bool copyFileByShell(HWND owner, const std::wstring& from, const std::wstring& to);

}  // namespace rivano::win
