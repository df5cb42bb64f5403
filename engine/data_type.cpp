#include "engine/data_type.h"

#include "engine/path_kind.h"
#include "common/run_error.h"

namespace rivano {

std::wstring myDataType(const std::wstring& path, const AttributeQuery& query, const ErrorReport& report) {
  const PathAttributes a = query(path);
  if (a.error != 0) {
    // A registered file that has gone away is simply no usable source.
    if (a.error != err::fileNotFound) report(a.error);
    return {};
  }
  if (a.attributes & kDirectoryAttribute) return L"DIR";
  return myArchiveType(path);
}

}  // namespace rivano
