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

// The folders made for one member, removed again (innermost first) unless
// the member arrives: a failed extraction leaves the destination as it was.
// Folders that were there before are never touched, and one that gained
// other content meanwhile stays, as RemoveDirectory takes empty ones only.
class MadeFolders {
 public:
  MadeFolders() = default;
  MadeFolders(const MadeFolders&) = delete;
  MadeFolders& operator=(const MadeFolders&) = delete;
  ~MadeFolders() {
    for (auto it = made_.rbegin(); it != made_.rend(); ++it) RemoveDirectoryA(it->c_str());
  }
  bool make(const std::string& folder) {
    if (CreateDirectoryA(folder.c_str(), nullptr)) {
      made_.push_back(folder);
      return true;
    }
    return isFolder(folder);
  }
  bool make(const std::vector<std::string>& folders) {
    for (const std::string& folder : folders) {
      if (!make(folder)) return false;
    }
    return true;
  }
  void keep() { made_.clear(); }

 private:
  std::vector<std::string> made_;
};

// Closes the handle and deletes the file it was made for, unless kept.
class TemporaryFile {
 public:
  TemporaryFile(const char* path, HANDLE file) : path_(path), file_(file) {}
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  ~TemporaryFile() {
    close();
    if (!path_.empty()) DeleteFileA(path_.c_str());
  }
  HANDLE handle() const { return file_; }
  bool close() {
    if (file_ == INVALID_HANDLE_VALUE) return true;
    const bool closed = CloseHandle(file_) != FALSE;
    file_ = INVALID_HANDLE_VALUE;
    return closed;
  }
  bool moveTo(const std::string& target) {
    if (!MoveFileExA(path_.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) return false;
    path_.clear();
    return true;
  }

 private:
  std::string path_;
  HANDLE file_;
};

void setModified(HANDLE file, const MemberEntry& member) {
  FILETIME local{}, utc{};
  if (DosDateTimeToFileTime(member.dosDate, member.dosTime, &local) && LocalFileTimeToFileTime(&local, &utc)) {
    SetFileTime(file, nullptr, nullptr, &utc);
  }
}

}  // namespace

int extractToFile(ArchiveReader& reader, const MemberEntry& member, const PlacedPath& placed) {
  MadeFolders folders;
  if (!folders.make(placed.folders)) return kErrorMakeFolder;
  if (member.isFolder) {
    if (!folders.make(placed.file)) return kErrorMakeFolder;
    folders.keep();
    return 0;
  }
  char temp[MAX_PATH] = {};
  const std::string& folder = placed.parent;
  if (folder.size() + 14 >= MAX_PATH || GetTempFileNameA(folder.c_str(), "rv", 0, temp) == 0) {
    return kErrorCannotWrite;
  }
  TemporaryFile file(temp, CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                       nullptr));
  if (file.handle() == INVALID_HANDLE_VALUE) return kErrorCannotWrite;
  FileSink sink(file.handle());
  const Result r = reader.extract(member, sink);
  if (r == Result::ok) setModified(file.handle(), member);
  const bool closed = file.close();
  if (r == Result::ok && closed && file.moveTo(placed.file)) {
    folders.keep();
    return 0;
  }
  if (r == Result::corrupt) return kErrorCrc;
  return r == Result::ok ? kErrorCannotWrite : errorFor(r);
}

}  // namespace rivano::arc
