// The work behind the exports of one archiver library: opening archives
// through the registered readers, the member walk of FindFirst/FindNext,
// and extracting one member to disk. Every Windows call of the libraries
// lives in this folder; the exports only translate to and from it.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "archivers/core/archive_format.h"
#include "archivers/core/member_record.h"

namespace rivano::arc {

// Results the exports return besides 0 (done / found) and -1 (no more
// members). The program only tells zero from non-zero; the numbers keep the
// customary 0x8000 range of archiver libraries.
enum ShellError : int {
  kErrorMethod = 0x8009,        // compression or encryption we do not decode
  kErrorCrc = 0x800C,           // the member's data is damaged
  kErrorNoSuchMember = 0x800F,
  kErrorMakeFolder = 0x8012,
  kErrorCannotWrite = 0x8013,
  kErrorNameTooLong = 0x8016,   // the member's path would be too long for Windows
  kErrorBrokenArchive = 0x8017,
  kErrorOpenArchive = 0x8018,   // the file could not be opened or mapped
  kErrorNotArchive = 0x8019,
  kErrorCommand = 0x801C,       // not the one command line we accept
  kErrorTooLarge = 0x801E,
  kErrorBadHandle = 0x8021,
  kErrorUnsafeName = 0x8026,    // the member would land outside the destination
  kErrorInternal = 0x8030,
};

int errorFor(Result r) noexcept;

// A read-only view of a whole file, mapped.
class MappedFile {
 public:
  MappedFile() = default;
  ~MappedFile();
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;
  bool open(const char* path);
  ByteSpan bytes() const { return {view_, size_}; }
  // The file's last change as MS-DOS date and time words (local time);
  // false when the system cannot tell.
  bool dosTimestamp(std::uint16_t& date, std::uint16_t& time) const;

 private:
  HANDLE file_ = INVALID_HANDLE_VALUE;
  HANDLE mapping_ = nullptr;
  const std::uint8_t* view_ = nullptr;
  std::size_t size_ = 0;
};

// One opened archive: its bytes, its reader and its listed members.
struct ArchiveSession {
  MappedFile file;
  std::unique_ptr<ArchiveReader> reader;
  std::vector<MemberEntry> members;
  std::vector<std::string> names;  // as the program sees them: ANSI, '\' separated
  Result listResult = Result::ok;
  std::string pattern;
  std::size_t cursor = 0;
};

// Opens and lists `path` with the readers of library `prefix`. Returns
// nullptr with `error` set when no reader can open it.
std::unique_ptr<ArchiveSession> openSession(std::string_view prefix, const char* path, int& error);

// The next member matching the session's pattern: 0 with `info` filled,
// -1 after the last member of a fully read archive, an error otherwise.
int nextMember(ArchiveSession& session, MemberInfo& info);

// Runs an extraction command line of library `prefix`.
int runCommand(std::string_view prefix, std::string_view commandLine, std::string& message);

}  // namespace rivano::arc
