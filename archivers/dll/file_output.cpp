#include "archivers/dll/file_output.h"

#include <windows.h>

#include "archivers/dll/archive_shell.h"

namespace rivano::arc {
namespace {

class FileSink final : public Sink {
 public:
  explicit FileSink(HANDLE file) : file_(file) {}
  bool write(const std::uint8_t* data, std::size_t size) override {
    while (size > 0) {
      const DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
      DWORD written = 0;
      if (!WriteFile(file_, data, chunk, &written, nullptr) || written != chunk) return false;
      data += chunk;
      size -= chunk;
    }
    return true;
  }

 private:
  HANDLE file_;
};

bool isFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool makeFolders(const std::vector<std::string>& folders) {
  for (const std::string& folder : folders) {
    if (!CreateDirectoryA(folder.c_str(), nullptr) && !isFolder(folder)) return false;
  }
  return true;
}

void setModified(HANDLE file, const MemberEntry& member) {
  FILETIME local{}, utc{};
  if (DosDateTimeToFileTime(member.dosDate, member.dosTime, &local) && LocalFileTimeToFileTime(&local, &utc)) {
    SetFileTime(file, nullptr, nullptr, &utc);
  }
}

}  // namespace

int extractToFile(ArchiveReader& reader, const MemberEntry& member, const PlacedPath& placed) {
  if (!makeFolders(placed.folders)) return kErrorMakeFolder;
  if (member.isFolder) {
    return CreateDirectoryA(placed.file.c_str(), nullptr) || isFolder(placed.file) ? 0 : kErrorMakeFolder;
  }
  char temp[MAX_PATH] = {};
  const std::string& folder = placed.parent;
  if (folder.size() + 14 >= MAX_PATH || GetTempFileNameA(folder.c_str(), "rv", 0, temp) == 0) {
    return kErrorCannotWrite;
  }
  HANDLE file = CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    DeleteFileA(temp);
    return kErrorCannotWrite;
  }
  FileSink sink(file);
  Result r = Result::ioError;
  try {
    r = reader.extract(member, sink);
  } catch (...) {
    CloseHandle(file);
    DeleteFileA(temp);
    throw;
  }
  if (r == Result::ok) setModified(file, member);
  const bool closed = CloseHandle(file) != FALSE;
  if (r == Result::ok && closed && MoveFileExA(temp, placed.file.c_str(), MOVEFILE_REPLACE_EXISTING)) return 0;
  DeleteFileA(temp);
  if (r == Result::corrupt) return kErrorCrc;
  return r == Result::ok ? kErrorCannotWrite : errorFor(r);
}

}  // namespace rivano::arc
