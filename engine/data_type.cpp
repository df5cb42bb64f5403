#include "engine/data_type.h"

#include "engine/path_kind.h"
#include "common/run_error.h"

namespace rivano {

SourceKind sourceKindOf(const std::wstring& path, const AttributeQuery& query, const ErrorReport& report) {
  const PathAttributes a = query(path);
  if (a.error != 0) {
    // A registered file that has gone away is simply no usable source.
    if (a.error != err::fileNotFound) report(a.error);
    return SourceKind::none;
  }
  if (a.attributes & kDirectoryAttribute) return SourceKind::folder;
  return archiveKindOf(path);
}

}  // namespace rivano
