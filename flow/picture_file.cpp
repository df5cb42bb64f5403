#include "flow/picture_file.h"

#include <windows.h>

#include "archive/member_text.h"
#include "platform/file_system.h"
#include "shell/path_parts.h"

namespace rivano {

std::wstring folderPictureFile(const std::wstring& source, const std::wstring& name) {
  const std::wstring folder = withBackslash(source);
  // The picture itself, when it is a plain file, answers whether the
  // folder holds one; only otherwise is the folder searched.
  const bool found = win::isNormalFile(folder + name) || win::folderHasNormalFile(folder);
  return found ? folder + name : std::wstring();
}

std::wstring memberCopyPath(const std::wstring& unpackFolder, const std::wstring& member) {
  if (!memberNameStaysInside(member)) return {};
  return unpackFolder + L"\\" + member;
}

bool takeOutMember(ArchiveAccess& archives, const std::wstring& archive, const std::wstring& member,
                   const std::wstring& copy) {
  if (copy.empty() || archiverCodeFor(archives, archive) == 0) return false;
  DeleteFileW(copy.c_str());
  return !extractMember(archives, archive, member).empty();
}

}  // namespace rivano
