#include "platform/file_system.h"

#include <vector>

#include "platform/unique_handle.h"
#include "settings/run_error.h"

namespace rivano::win {
namespace {

int runErrorFor(DWORD code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND: return err::fileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_INVALID_NAME: return err::pathNotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return err::permissionDenied;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return err::diskFull;
    default: return err::pathFileAccess;
  }
}

}  // namespace

std::wstring modulePath() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n < buffer.size()) return std::wstring(buffer.data(), n);
    buffer.resize(buffer.size() * 2);
  }
}

bool fileExists(const std::wstring& path) {
  const DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool directoryExists(const std::wstring& path) {
  const DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

void raiseMissingPath(const std::wstring& path) {
  if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return;
  const DWORD code = GetLastError();
  throw RunError(code == ERROR_FILE_NOT_FOUND ? err::fileNotFound : runErrorFor(code));
}

void replaceFileContent(const std::wstring& path, std::span<const std::uint8_t> content) {
  const std::wstring partial = path + L".partial";
  {
    UniqueFile file(CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) throw RunError(runErrorFor(GetLastError()));
    std::size_t done = 0;
    while (done < content.size()) {
      const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(content.size() - done, 1 << 20));
      DWORD written = 0;
      if (!WriteFile(file.get(), content.data() + done, chunk, &written, nullptr) || written == 0) {
        const DWORD code = GetLastError();
        file.reset();
        DeleteFileW(partial.c_str());
        throw RunError(runErrorFor(code));
      }
      done += written;
    }
    if (!FlushFileBuffers(file.get())) {
      // Some file systems refuse to flush; the rename below still publishes
      // a complete file, as every byte was written.
    }
  }
  if (!MoveFileExW(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const DWORD code = GetLastError();
    DeleteFileW(partial.c_str());
    throw RunError(runErrorFor(code));
  }
}

void BitmapFile::write(const std::wstring& path, const PixelImage& image) {
  replaceFileContent(path, encodeBmp24(image));
}

}  // namespace rivano::win

namespace rivano::win {

PathAttributes pathAttributes(const std::wstring& path) {
  const DWORD a = GetFileAttributesW(path.c_str());
  if (a != INVALID_FILE_ATTRIBUTES) return {a, 0};
  const DWORD code = GetLastError();
  return {0, code == ERROR_FILE_NOT_FOUND ? err::fileNotFound : runErrorFor(code)};
}

bool folderHasNormalFile(const std::wstring& folder) {
  std::wstring pattern = folder;
  if (pattern.empty() || pattern.back() != L'\\') pattern += L'\\';
  pattern += L"*.*";
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(pattern.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return false;
  bool found = false;
  do {
    constexpr DWORD notNormal = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    found = (data.dwFileAttributes & notNormal) == 0;
  } while (!found && FindNextFileW(find, &data));
  FindClose(find);
  return found;
}

bool isNormalFile(const std::wstring& path) {
  const DWORD a = GetFileAttributesW(path.c_str());
  constexpr DWORD notNormal = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  return a != INVALID_FILE_ATTRIBUTES && !(a & notNormal);
}

}  // namespace rivano::win

namespace rivano::win {

void removeFolderTree(const std::wstring& folder) {
  std::wstring base = folder;
  if (!base.empty() && base.back() == L'\\') base.pop_back();
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((base + L"\\*.*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = base + L"\\" + name;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        removeFolderTree(path);
      } else {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
      }
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  RemoveDirectoryW(base.c_str());
}

}  // namespace rivano::win
