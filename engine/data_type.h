// What kind of wallpaper source a path is: a folder, an archive kind by its
// name, or nothing usable. The only classification that reads the disk.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "engine/source_kind.h"

namespace rivano {

struct PathAttributes {
  std::uint32_t attributes = 0;
  int error = 0;  // the run-time error reading them raised, 0 when none
};
using AttributeQuery = std::function<PathAttributes(const std::wstring& path)>;
// Shows the error dialog for an error number (title and advice by the caller).
using ErrorReport = std::function<void(int errorNumber)>;

inline constexpr std::uint32_t kDirectoryAttribute = 16;

// The folder (whatever its name ends in), an archive kind, or `none`. A
// path that does not exist is no source and says nothing; any other
// failure to read it is reported.
SourceKind sourceKindOf(const std::wstring& path, const AttributeQuery& query, const ErrorReport& report);

}  // namespace rivano
