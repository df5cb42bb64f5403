// The six archiver libraries of the common archiver interface, loaded from
// the program's own folder when first needed and kept loaded for the rest
// of the process.
#pragma once

#include <windows.h>

#include <vector>
#include <cstddef>
#include <cstdint>

#include "engine/source_kind.h"
#include "platform/unique_handle.h"

namespace rivano::win {

// The member record the libraries fill, byte for byte.
#pragma pack(push, 1)
struct ArchiveMemberInfo {
  std::uint32_t originalSize;
  std::uint32_t compressedSize;
  std::uint32_t crc;
  std::uint32_t flags;
  std::uint32_t osType;
  std::uint16_t ratio;
  std::uint16_t date;  // MS-DOS date
  std::uint16_t time;
  char fileName[513];
  char reserved[3];
  char attribute[8];
  char method[8];
};
#pragma pack(pop)
static_assert(sizeof(ArchiveMemberInfo) == 558);
static_assert(offsetof(ArchiveMemberInfo, date) == 22);
static_assert(offsetof(ArchiveMemberInfo, fileName) == 26);
static_assert(offsetof(ArchiveMemberInfo, attribute) == 542);

using HARC = HANDLE;

// The functions of one library, all resolved.
struct ArchiverFunctions {
  WORD(WINAPI* getVersion)();
  int(WINAPI* command)(HWND owner, LPCSTR commandLine, LPSTR output, DWORD outputSize);
  HARC(WINAPI* openArchive)(HWND owner, LPCSTR archivePath, DWORD mode);
  int(WINAPI* findFirst)(HARC archive, LPCSTR wildcard, ArchiveMemberInfo* info);
  int(WINAPI* findNext)(HARC archive, ArchiveMemberInfo* info);
  int(WINAPI* closeArchive)(HARC archive);
};

class ArchiverLibraries {
 public:
  // Loads a library by its name ("unlha32"); null when it cannot.
  using Loader = HMODULE (*)(const char* name);
  // The file "<name>.dll" in the folder of the running program, and
  // nowhere else: a search by name would also try the current folder and
  // the PATH when the program's folder lacks one.
  ArchiverLibraries() : ArchiverLibraries(&loadBesideProgram) {}
  explicit ArchiverLibraries(Loader load) : load_(load), libraries_(archiverLibraries().size()) {}

  // The library of a library code (archiverLibraries() in
  // engine/source_kind.h), loaded now if it is not yet. Null when the code
  // names no library, or the library cannot be loaded or lacks one of the
  // functions; a later call tries again, so a library installed meanwhile
  // is found.
  const ArchiverFunctions* functions(int libraryCode);

 private:
  static HMODULE loadBesideProgram(const char* name);

  struct Loaded {
    UniqueModule module;
    ArchiverFunctions functions{};
  };
  Loader load_;
  std::vector<Loaded> libraries_;  // in the order of archiverLibraries()
};

}  // namespace rivano::win
