// The file on disk behind a picture of a source: a folder's own file, or
// an archive's member taken out into the temporary folder.
#pragma once

#include <string>

#include "archive/archive_access.h"

namespace rivano {

// The folder's file, or empty text when the folder holds no plain file at
// all (the picture list shows nothing then, so there is nothing to load).
std::wstring folderPictureFile(const std::wstring& folder, const std::wstring& name);

// Where a member is taken out to; empty text when its name, which comes
// from the archive, would lead outside the temporary folder.
std::wstring memberCopyPath(const std::wstring& unpackFolder, const std::wstring& member);

// Takes the member out anew to `copy` (from memberCopyPath). A file of
// that name already there may be another archive's member or an earlier
// run's, so it goes first. False when the archive's library cannot be
// loaded or nothing was taken out.
bool takeOutMember(ArchiveAccess& archives, const std::wstring& archive, const std::wstring& member,
                   const std::wstring& copy);

}  // namespace rivano
