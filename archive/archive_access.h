// Pictures inside archives: listing them into a picture list, and taking
// one out into the temporary folder when it is needed, through the
// archiver libraries.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "archive/picture_list_rows.h"
#include "engine/picture_rows.h"
#include "platform/archiver_libraries.h"
#include "common/run_error.h"
#include "common/system_registry.h"

namespace rivano {

// What the archive procedures work with, set up when the main window loads.
struct ArchiveAccess {
  win::ArchiverLibraries& libraries;  // one per process
  SystemRegistry& registry;                 // file-type names of the members
  std::wstring unpackFolder;          // without a trailing "\"
  HWND mainWindow = nullptr;          // owner of the extraction command and of the notice
  // A silent run ("/S" at logon) shows no box: a missing library is not
  // announced, and a member the list cannot show is left out.
  bool quiet = false;
};

// The run-time error number of a library that cannot be loaded.
inline constexpr int kArchiverNotLoaded = 48;

// The library of an archive's kind cannot be loaded (or lacks a function).
// The window tells the user with its "no DLL" notice; nothing in here shows
// a box.
class ArchiverMissing : public RunError {
 public:
  ArchiverMissing() : RunError(kArchiverNotLoaded, "archiver library cannot be loaded") {}
};

// The library code of the archive's kind when its library loads (1, 2, 3,
// 5, 6, 7); 0 for a path of no archive kind, and, when quiet, for a library
// that cannot be loaded. Otherwise that library raises ArchiverMissing.
std::int16_t archiverCodeFor(ArchiveAccess& access, std::wstring_view archivePath);

// Runs one command line through the library of `libraryCode`. True when the
// library returned 0; false also for a code without a loadable library and
// for a line the ANSI code page cannot hold exactly (nothing is run then).
bool runArchiverCommand(ArchiveAccess& access, HWND owner, std::int16_t libraryCode,
                        std::wstring_view commandLine);

// Appends one row per picture member, in the archive's order. A member too
// large for the size column raises RunError(6) for the caller's error
// dialog (the rows appended before it stay), or is left out when quiet. An
// archive path the ANSI code page cannot hold exactly raises RunError(53)
// before the library sees it. A library that cannot be loaded raises
// ArchiverMissing unless quiet, with nothing appended.
void addArchivePictures(ArchiveAccess& access, HWND owner, PictureListRows& rows,
                        std::wstring_view archivePath);
// The same listing collected as picture rows.
PictureRows listArchivePictures(ArchiveAccess& access, HWND owner, std::wstring_view archivePath);

// The extracted file: unpackFolder & "\" & memberName, taken out of the
// archive unless it is there already. Whether extraction worked is for the
// caller to find out by testing the file. A member whose name would land
// outside the folder is never extracted, nor is anything while the folder
// is not set: the result is then empty text, which names no file. A name
// the ANSI code page cannot hold exactly is never handed to the library:
// the archive path or the member raises RunError(53), the folder
// RunError(76). A library that cannot be loaded raises ArchiverMissing
// unless quiet.
std::wstring extractMember(ArchiveAccess& access, std::wstring_view archivePath,
                          std::wstring_view memberName);

}  // namespace rivano
