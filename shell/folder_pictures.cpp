#include "shell/folder_pictures.h"

#include <windows.h>

#include <cstdint>
#include <map>

#include "engine/file_row.h"
#include "engine/path_kind.h"
#include "platform/unique_handle.h"
#include "shell/file_type_name.h"
#include "shell/path_parts.h"

namespace rivano {

bool listFolderPictures(const std::wstring& folder, SystemRegistry& registry, PictureRows& rows, RowColumns columns) {
  // One pass over the folder: under Wine each search reads the whole
  // folder, and a folder of ten thousand pictures makes that count.
  bool hasNormalFile = false;
  // One class-table lookup per extension, not per file: a folder of
  // thousands of JPEGs asks the registry once.
  std::map<std::wstring, std::wstring> typeNames;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"*.*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return false;
  win::UniqueFindHandle closer(find);
  do {
    constexpr DWORD notNormal = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    if (!(data.dwFileAttributes & notNormal)) hasNormalFile = true;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    const std::wstring name = data.cFileName;
    if (!isPictureName(name)) continue;
    if (columns == RowColumns::nameOnly) {
      rows.add({name, {}, {}, {}, {}});
      continue;
    }
    FILETIME local;
    SYSTEMTIME when;
    FileTimeToLocalFileTime(&data.ftLastWriteTime, &local);
    FileTimeToSystemTime(&local, &when);
    const std::uint64_t size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    const std::wstring extension = extensionOfPath(name);
    auto type = typeNames.find(extension);
    if (type == typeNames.end()) type = typeNames.emplace(extension, fileTypeName(registry, folder + name)).first;
    rows.add({name, fileSizeText(size), type->second, fileDateText(when.wYear, when.wMonth, when.wDay),
              fileAttributeText(data.dwFileAttributes)});
  } while (FindNextFileW(find, &data));
  return hasNormalFile;
}

}  // namespace rivano
