#include "flow/source_listing.h"

#include <new>

#include "platform/collation.h"
#include "platform/file_system.h"
#include "common/run_error.h"
#include "shell/path_parts.h"

namespace rivano {

std::optional<PictureRows> listSourcePictures(ArchiveAccess& archives, HWND owner, SystemRegistry& registry,
                                              const std::wstring& source, SourceKind kind,
                                              const ListSort& sort, RowColumns columns) {
  std::optional<PictureRows> rows;
  try {
    if (kind == SourceKind::folder) {
      PictureRows listed;
      if (!listFolderPictures(withBackslash(source), registry, listed, columns)) return std::nullopt;
      rows = std::move(listed);
    } else {
      if (!isArchive(kind) || !win::fileExists(source)) return std::nullopt;
      rows = listArchivePictures(archives, owner, source);
    }
  } catch (const ArchiverMissing&) {
    throw;  // the window tells the user; the logon run asks quietly and never meets it
  } catch (const RunError&) {
    return std::nullopt;
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
  if (sort.on) rows->sort(sort.key, sort.descending, win::collationKey, -1);
  return rows;
}

std::vector<std::wstring> listedPictureNames(ArchiveAccess& archives, HWND owner, SystemRegistry& registry,
                                             const std::wstring& source, SourceKind kind,
                                             const ListSort& sort, RowColumns columns) {
  std::vector<std::wstring> names;
  if (std::optional<PictureRows> rows = listSourcePictures(archives, owner, registry, source, kind, sort, columns)) {
    names.reserve(rows->size());
    for (std::size_t i = 0; i < rows->size(); ++i) names.push_back((*rows)[i].name);
  }
  return names;
}

}  // namespace rivano
