// Files and folders as the program uses them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <span>
#include <functional>
#include <string>

#include "engine/data_type.h"
#include "engine/wallpaper.h"

namespace rivano::win {

// The full path of the running program file.
std::wstring modulePath();
// The Windows folder, without a trailing backslash.
std::wstring windowsFolder();

bool fileExists(const std::wstring& path);       // a file, not a folder
bool directoryExists(const std::wstring& path);

// Raises the run-time error for a path that cannot be reached: 53 when the
// file is missing in an existing folder, 76 when the folder is missing.
void raiseMissingPath(const std::wstring& path);

// Writes the whole content beside `path` and then replaces `path` with it,
// so that a reader never meets a half-written file. A leftover companion of
// an earlier run never stands in the way. When other programs hold `path`
// open so that it cannot be replaced, it is rewritten in place if they
// share writing; otherwise RunError 70 and the file is left as it was.
// Raises RunError.
void replaceFileContent(const std::wstring& path, std::span<const std::uint8_t> content);
// The same for content made as it is written: its size, and a routine that
// writes all of it to the handle and returns the first error
// (ERROR_SUCCESS when every byte went).
struct FileContent {
  std::uint64_t size = 0;
  std::function<DWORD(HANDLE)> writeTo;
};
void replaceFileContent(const std::wstring& path, const FileContent& content);

// Clears what a run ended mid-write left beside `path`: the half-written
// companion that replaceFileContent would have renamed over it.
void removeLeftoverCompanion(const std::wstring& path);

class BitmapFile final : public BitmapFileWriter {
 public:
  void write(const std::wstring& path, const PixelImage& image) override;
};

}  // namespace rivano::win

namespace rivano::win {

// The attributes of a path, or the run-time error the query raises (53 for
// a missing file in an existing folder, 76 for a missing folder).
PathAttributes pathAttributes(const std::wstring& path);

// True when the folder (path ending in "\" or not) holds at least one file
// with normal attributes: no hidden, system or folder entries count.
bool folderHasNormalFile(const std::wstring& folder);
// A file that is neither hidden nor system (nor a folder).
bool isNormalFile(const std::wstring& path);
// Changes when a file is rewritten or a folder gains, loses or renames an
// entry (its last-write time and size); empty when the path cannot be read.
std::wstring changeStamp(const std::wstring& path);

}  // namespace rivano::win

namespace rivano::win {

// Deletes a folder with everything in it; errors are ignored.
void removeFolderTree(const std::wstring& folder);

}  // namespace rivano::win
