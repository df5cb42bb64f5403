// Where the program takes the libraries it loads at run time from. Windows
// looks for a library that is not one of its "known DLLs" in the program's
// own folder first, so a file of the same name planted beside the program
// (in a downloads folder, say) would run inside it.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace rivano::win {

// Makes the system folder the only place the process looks for a library
// named without a path, for the program's own loads and for those the
// system's libraries make on its behalf. Where the system cannot do that
// (Windows 7 without its 2011 loader update) this changes nothing.
void limitLibrarySearchToSystemFolder();

// A library of Windows by its file name ("version.dll"), from the system
// folder only; null when it cannot be loaded.
HMODULE loadSystemLibrary(std::wstring_view fileName);

// The system folder's path for a library's file name.
std::wstring systemLibraryPath(std::wstring_view fileName);

}  // namespace rivano::win
