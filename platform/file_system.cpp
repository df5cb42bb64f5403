#include "platform/file_system.h"

#include <algorithm>
#include <array>
#include <vector>

#include "common/run_error.h"
#include "platform/unique_handle.h"

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
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE: return err::permissionDenied;
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

std::wstring windowsFolder() {
  std::array<wchar_t, MAX_PATH> folder{};
  const UINT n = GetWindowsDirectoryW(folder.data(), static_cast<UINT>(folder.size()));
  return n < folder.size() ? std::wstring(folder.data(), n) : std::wstring();
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

namespace {

DWORD writeAll(HANDLE file, std::span<const std::uint8_t> content) {
  std::size_t done = 0;
  while (done < content.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(content.size() - done, 1 << 20));
    DWORD written = 0;
    if (!WriteFile(file, content.data() + done, chunk, &written, nullptr)) return GetLastError();
    if (written == 0) return ERROR_WRITE_FAULT;
    done += written;
  }
  return ERROR_SUCCESS;
}

UniqueFile createForWriting(const std::wstring& path) {
  return UniqueFile(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
}

// A companion left by a run that ended mid-write (read-only or hidden by
// whoever touched it since), or an empty folder of that name, is ours to
// clear; a folder with files in it is not.
void clearLeftover(const std::wstring& companion) {
  const DWORD attributes = GetFileAttributesW(companion.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    RemoveDirectoryW(companion.c_str());
    return;
  }
  SetFileAttributesW(companion.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileW(companion.c_str());
}

// The file the new content is written to before it replaces the target:
// "<target>.partial", or, when that name cannot be had, a fresh name in
// the same folder. Null with the first error when no file can be made.
struct Companion {
  std::wstring path;
  UniqueFile file;
  DWORD error = ERROR_SUCCESS;
};

Companion createCompanion(const std::wstring& target) {
  Companion c{target + L".partial"};
  c.file = createForWriting(c.path);
  if (c.file) return c;
  c.error = GetLastError();
  if (c.error == ERROR_PATH_NOT_FOUND) return c;
  clearLeftover(c.path);
  c.file = createForWriting(c.path);
  if (c.file) return c;
  const std::size_t slash = target.find_last_of(L"\\/");
  const std::wstring folder = slash == std::wstring::npos ? L"." : target.substr(0, slash + 1);
  wchar_t unique[MAX_PATH + 16] = {};
  if (folder.size() < MAX_PATH - 14 && GetTempFileNameW(folder.c_str(), L"rvn", 0, unique)) {
    c.path = unique;
    c.file = createForWriting(c.path);
    if (!c.file) DeleteFileW(c.path.c_str());
  }
  return c;
}

// Rewrites the existing file through a handle that shares everything, for
// a target that other programs hold open: a rename cannot replace it, but
// readers that share writing expect exactly this. Not atomic, so only the
// fallback: a holder that shares no writing keeps the file as it was.
void overwriteInPlace(const std::wstring& path, const FileContent& content) {
  UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) throw RunError(runErrorFor(GetLastError()));
  // The length first: a reader that maps the file refuses a shorter one,
  // and then not a byte of the old picture has been touched.
  LARGE_INTEGER length{};
  length.QuadPart = static_cast<LONGLONG>(content.size);
  if (!SetFilePointerEx(file.get(), length, nullptr, FILE_BEGIN) || !SetEndOfFile(file.get()))
    throw RunError(runErrorFor(GetLastError()));
  LARGE_INTEGER start{};
  if (!SetFilePointerEx(file.get(), start, nullptr, FILE_BEGIN)) throw RunError(runErrorFor(GetLastError()));
  const DWORD error = content.writeTo(file.get());
  if (error != ERROR_SUCCESS) throw RunError(runErrorFor(error));
  FlushFileBuffers(file.get());
}

bool heldByAnother(DWORD code) {
  return code == ERROR_ACCESS_DENIED || code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION;
}

}  // namespace

void removeLeftoverCompanion(const std::wstring& path) { clearLeftover(path + L".partial"); }

void replaceFileContent(const std::wstring& path, std::span<const std::uint8_t> content) {
  replaceFileContent(path, FileContent{content.size(), [content](HANDLE file) { return writeAll(file, content); }});
}

void replaceFileContent(const std::wstring& path, const FileContent& content) {
  Companion companion = createCompanion(path);
  if (!companion.file) {
    // Without a companion (a folder that lets us write files but not make
    // them) the file can still be rewritten where it is.
    if (companion.error != ERROR_ACCESS_DENIED || !fileExists(path)) throw RunError(runErrorFor(companion.error));
    overwriteInPlace(path, content);
    return;
  }
  const DWORD error = content.writeTo(companion.file.get());
  // Some file systems refuse to flush; the rename below still publishes a
  // complete file, as every byte was written.
  if (error == ERROR_SUCCESS) FlushFileBuffers(companion.file.get());
  companion.file.reset();
  if (error != ERROR_SUCCESS) {
    DeleteFileW(companion.path.c_str());
    throw RunError(runErrorFor(error));
  }
  if (MoveFileExW(companion.path.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return;
  const DWORD code = GetLastError();
  DeleteFileW(companion.path.c_str());
  if (!heldByAnother(code) || !fileExists(path)) throw RunError(runErrorFor(code));
  overwriteInPlace(path, content);
}

void BitmapFile::write(const std::wstring& path, const PixelImage& image) {
  // Written a megabyte of rows at a time: a wallpaper the size of a large
  // screen is never held a second time as its file.
  replaceFileContent(path, FileContent{bmp24Size(image), [&image](HANDLE file) {
                       DWORD error = ERROR_SUCCESS;
                       encodeBmp24Pieces(image, std::size_t{1} << 20, [&](std::span<const std::uint8_t> piece) {
                         error = writeAll(file, piece);
                         return error == ERROR_SUCCESS;
                       });
                       return error;
                     }});
}

}  // namespace rivano::win

namespace rivano::win {

PathAttributes pathAttributes(const std::wstring& path) {
  const DWORD a = GetFileAttributesW(path.c_str());
  if (a != INVALID_FILE_ATTRIBUTES) return {a, 0};
  const DWORD code = GetLastError();
  return {0, code == ERROR_FILE_NOT_FOUND ? err::fileNotFound : runErrorFor(code)};
}

std::wstring changeStamp(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return {};
  wchar_t text[64];
  swprintf(text, 64, L"%08lX%08lX-%lX%08lX", data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime,
           data.nFileSizeHigh, data.nFileSizeLow);
  return text;
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
