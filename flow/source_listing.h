// A source's pictures as its picture list shows them, for the draws of the
// window's start and of the logon run alike.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "archive/archive_access.h"
#include "engine/picture_rows.h"
#include "engine/source_kind.h"
#include "shell/folder_pictures.h"

namespace rivano {

// How the picture list sorts: by a column above the name's, or not at all.
struct ListSort {
  bool on = false;
  std::int16_t key = 0;
  bool descending = false;
};

// The rows of a folder or an archive, in the order the list shows them;
// none when the source cannot be listed. A source that fails here is
// reported by its own listing when the user selects it, not by the draw.
std::optional<PictureRows> listSourcePictures(ArchiveAccess& archives, HWND owner, SystemRegistry& registry,
                                              const std::wstring& source, SourceKind kind,
                                              const ListSort& sort, RowColumns columns = RowColumns::all);

// Only the names of those rows.
std::vector<std::wstring> listedPictureNames(ArchiveAccess& archives, HWND owner, SystemRegistry& registry,
                                             const std::wstring& source, SourceKind kind,
                                             const ListSort& sort, RowColumns columns = RowColumns::all);

}  // namespace rivano
