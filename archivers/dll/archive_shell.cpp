#include "archivers/dll/archive_shell.h"

#include "archivers/bzip2/bzip2_tar.h"

#include "archivers/core/command_line.h"
#include "archivers/core/member_path.h"
#include "archivers/core/reader_registry.h"
#include "archivers/core/wildcard.h"
#include "archivers/dll/file_output.h"

namespace rivano::arc {
namespace {

// A 32-bit process: whole streams of a gigabyte would not fit beside the
// program, and pictures are far smaller.
Limits shellLimits() {
  Limits limits;
  limits.maxMemberSize = std::uint64_t{256} << 20;
  limits.maxStreamSize = std::uint64_t{512} << 20;
  limits.maxMembers = 1u << 18;
  return limits;
}

bool isAnsiLead(std::uint8_t b) { return IsDBCSLeadByteEx(CP_ACP, b) != FALSE; }

bool isAscii(std::string_view s) {
  for (char c : s) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

// UTF-8 names become ANSI; characters the code page lacks become '_'.
// Bytes that are not valid UTF-8 after all (archivers that set the flag on
// Shift_JIS names) stay as they are.
std::string ansiName(const MemberEntry& m) {
  std::string name = m.name;
  if (m.nameIsUtf8 && !isAscii(name) && name.size() < 0x10000) {
    const int n = static_cast<int>(name.size());
    const int wide = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, name.data(), n, nullptr, 0);
    if (wide > 0) {
      std::wstring w(static_cast<std::size_t>(wide), L'\0');
      MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, name.data(), n, w.data(), wide);
      const int bytes = WideCharToMultiByte(CP_ACP, 0, w.data(), wide, nullptr, 0, "_", nullptr);
      if (bytes > 0) {
        std::string ansi(static_cast<std::size_t>(bytes), '\0');
        WideCharToMultiByte(CP_ACP, 0, w.data(), wide, ansi.data(), bytes, "_", nullptr);
        name = std::move(ansi);
      }
    }
  }
  return toBackslashes(name, isAnsiLead);
}

}  // namespace

int errorFor(Result r) noexcept {
  switch (r) {
    case Result::ok: return 0;
    case Result::notThisFormat: return kErrorNotArchive;
    case Result::corrupt: return kErrorBrokenArchive;
    case Result::unsupportedMethod: return kErrorMethod;
    case Result::tooLarge: return kErrorTooLarge;
    case Result::ioError: return kErrorCannotWrite;
  }
  return kErrorInternal;
}

MappedFile::~MappedFile() {
  if (view_ != nullptr) UnmapViewOfFile(view_);
  if (mapping_ != nullptr) CloseHandle(mapping_);
  if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
}

bool MappedFile::open(const char* path) {
  file_ = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file_ == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file_, &size) || size.QuadPart < 0 ||
      static_cast<unsigned long long>(size.QuadPart) > 0x7FFFFFFFull) {
    return false;
  }
  size_ = static_cast<std::size_t>(size.QuadPart);
  if (size_ == 0) return true;  // nothing to map; readers see an empty archive
  mapping_ = CreateFileMappingA(file_, nullptr, PAGE_READONLY, 0, 0, nullptr);
  if (mapping_ == nullptr) return false;
  view_ = static_cast<const std::uint8_t*>(MapViewOfFile(mapping_, FILE_MAP_READ, 0, 0, 0));
  return view_ != nullptr;
}

bool MappedFile::dosTimestamp(std::uint16_t& date, std::uint16_t& time) const {
  FILETIME written{}, local{};
  WORD d = 0, t = 0;
  if (file_ == INVALID_HANDLE_VALUE || !GetFileTime(file_, nullptr, nullptr, &written) ||
      !FileTimeToLocalFileTime(&written, &local) || !FileTimeToDosDateTime(&local, &d, &t))
    return false;
  date = d;
  time = t;
  return true;
}

std::unique_ptr<ArchiveSession> openSession(std::string_view prefix, const char* path, int& error) {
  auto session = std::make_unique<ArchiveSession>();
  if (path == nullptr || !session->file.open(path)) {
    error = kErrorOpenArchive;
    return nullptr;
  }
  Result r = Result::ok;
  session->reader = openWithReaders(readersFor(prefix), session->file.bytes(), shellLimits(), r);
  if (!session->reader) {
    error = errorFor(r);
    return nullptr;
  }
  nameBzip2Member(*session->reader, path);  // a single .bz2 file's member is named after the archive
  session->listResult = session->reader->list(session->members);
  // A member that carries no date of its own (the one file of a .bz2) shows
  // the archive's, rather than a day 0 of month 0.
  std::uint16_t archiveDate = 0, archiveTime = 0;
  if (session->file.dosTimestamp(archiveDate, archiveTime)) {
    for (MemberEntry& m : session->members) {
      if (m.dosDate != 0) continue;
      m.dosDate = archiveDate;
      m.dosTime = archiveTime;
    }
  }
  session->names.reserve(session->members.size());
  for (const MemberEntry& m : session->members) session->names.push_back(ansiName(m));
  error = 0;
  return session;
}

int nextMember(ArchiveSession& session, MemberInfo& info) {
  while (session.cursor < session.members.size()) {
    const std::size_t i = session.cursor++;
    if (!wildcardMatch(session.pattern, session.names[i])) continue;
    fillMemberInfo(session.members[i], session.names[i], info);
    return 0;
  }
  return session.listResult == Result::ok ? -1 : errorFor(session.listResult);
}

int runCommand(std::string_view prefix, std::string_view commandLine, std::string& message) {
  ExtractCommand command;
  if (!parseExtractCommand(prefix, commandLine, command)) {
    message = "command line not understood";
    return kErrorCommand;
  }
  int error = 0;
  std::unique_ptr<ArchiveSession> session = openSession(prefix, command.archive.c_str(), error);
  if (!session) {
    message = "cannot open the archive";
    return error;
  }
  for (std::size_t i = 0; i < session->members.size(); ++i) {
    if (!sameMemberName(session->names[i], command.member, isAnsiLead)) continue;
    // A folder entry's name ends in its separator; the folder itself is placed.
    std::string_view name = session->names[i];
    if (session->members[i].isFolder && name.size() > 1 && name.back() == '\\' &&
        !isAnsiLead(static_cast<std::uint8_t>(name[name.size() - 2]))) {
      name.remove_suffix(1);
    }
    PlacedPath placed;
    switch (placeMember(command.destination, name, isAnsiLead, placed)) {
      case Placement::placed:
        break;
      case Placement::unsafe:
        message = "member name leaves the destination folder";
        return kErrorUnsafeName;
      case Placement::tooLong:
        message = "member name too long for a path";
        return kErrorNameTooLong;
    }
    const int rc = extractToFile(*session->reader, session->members[i], placed);
    message = rc == 0 ? "extracted" : "extraction failed";
    return rc;
  }
  message = "no such member";
  return kErrorNoSuchMember;
}

}  // namespace rivano::arc
